// Fan-beam reconstruction, direct and rebinned, against known images.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/support/row_share_runs.h"
#include "tests/support/thread_counts.h"
#include "tests/support/tool_runner.h"
#include "tests/support/vector_codes.h"
#include "tools/fan/fan_fbp.h"
#include "tools/fan/fan_projector.h"
#include "tools/fan/fan_rebinning.h"
#include "tools/phantom/ellipse.h"
#include "tools/projection/projector.h"
#include "tools/recon/fbp.h"

namespace {

// A scan of an image of W × W pixels of length Δ = 20/W cm (a 20 cm field),
// bins of `pixels` pixel lengths at the isocentre, the detector wide enough
// for the field and an odd quarter of a bin off centre.
FanGeometry scan(FanDetector detector, double magnification, double pixels, std::int32_t views, bool short_scan,
                 std::int32_t width) {
    FanGeometry g;
    g.detector = detector;
    g.source_distance = 30;
    g.detector_distance = 30 * magnification;
    const double iso = pixels * 20.0 / width;
    g.spacing = detector == FanDetector::curved ? iso / g.source_distance : iso * magnification;
    const double needed = std::asin(10.0 / 30) * 1.02;
    const double reach = detector == FanDetector::curved ? needed / g.spacing
                                                         : g.detector_distance * std::tan(needed) / g.spacing;
    g.bins = 2 * static_cast<std::int32_t>(std::ceil(reach)) + 2;
    g.offset = 0.25;
    g.views = views;
    g.range = short_scan ? short_scan_range(g) : fan_two_pi;
    return g;
}

// The mean over the central half of the disc's area (radius r/√2, pixels).
double central_mean(const std::vector<double>& image, std::int32_t width, double radius) {
    double sum = 0;
    int count = 0;
    for (std::int32_t r = 0; r < width; ++r)
        for (std::int32_t q = 0; q < width; ++q) {
            const double x = q - width / 2, y = width / 2 - r;
            if (x * x + y * y <= radius * radius / 2) sum += image[r * width + q], ++count;
        }
    return sum / count;
}

// Blocks of rows computed in share runs, then taken by a whole run, give the
// image of one run: the mirrored path (a full turn of an even number of
// views) and the direct one (a short scan), an odd height.
TEST(FanReconstruction, RowSharesGiveTheBytesOfOneRun) {
    ScratchDir dir;
    const std::int32_t w = 40;
    std::vector<double> image(w * w);
    for (int k = 0; k < w * w; ++k) image[k] = 0.1 + 0.05 * std::sin(0.07 * k);
    for (bool short_scan : {false, true}) {
        const FanGeometry g = scan(FanDetector::curved, 1.4, 1.0, 50, short_scan, w);
        const std::vector<double> sinogram = fan_project_image(image.data(), w, w, 0.5, g);
        const auto shared = [&](const RowShares& shares) {
            return fan_reconstruct_image(sinogram, g, w, w - 1, 0.5, 1, true, CodePath::fastest, shares);
        };
        const std::vector<double> one_run = shared(RowShares{});
        for (int parts : {2, 5}) {
            const std::vector<double> whole = whole_run_of_shares(dir.path(), parts, shared);
            EXPECT_TRUE(std::memcmp(whole.data(), one_run.data(), one_run.size() * sizeof(double)) == 0)
                << (short_scan ? "short scan, " : "full turn, ") << parts << " shares";
        }
    }
}

}  // namespace

// A disc of μ = 0.2/cm, radius 8 cm, projected exactly: within ±0.5 % for
// both detectors, full and short scans, magnifications 1.2 to 2, bins of
// 0.5 to 2 pixels, 64 to 720 views.
TEST(FanReconstruction, UniformDiscWithinHalfAPercent) {
    struct Case {
        FanDetector detector;
        double magnification, pixels;
        std::int32_t views, width;
        bool short_scan;
    };
    const Case cases[] = {
        {FanDetector::curved, 1.2, 1.0, 360, 64, false},
        {FanDetector::flat, 1.2, 1.0, 360, 64, false},
        {FanDetector::curved, 2.0, 0.5, 720, 96, true},
        {FanDetector::flat, 2.0, 0.5, 720, 96, true},
        {FanDetector::curved, 1.5, 2.0, 64, 64, false},
        {FanDetector::flat, 1.6, 2.0, 128, 64, true},
    };
    for (const Case& c : cases) {
        const FanGeometry g = scan(c.detector, c.magnification, c.pixels, c.views, c.short_scan, c.width);
        const double pixel_length = 20.0 / c.width;
        const std::vector<Ellipse> disc = {{0, 0, 0.8, 0.8, 0, 0.2}};
        const std::vector<double> sinogram = fan_project_ellipses(disc, c.width, c.width, pixel_length, g);
        const std::vector<double> image =
            fan_reconstruct_image(sinogram, g, c.width, c.width, pixel_length, no_window, true);
        const double mean = central_mean(image, c.width, 0.8 * (c.width / 2));
        EXPECT_NEAR(mean, 0.2, 0.001) << static_cast<int>(c.detector) << " magnification " << c.magnification
                                      << " short " << c.short_scan << " views " << c.views;
    }
}

// The head phantom drawn into pixels, projected along the pixels' paths:
// reconstructed directly and by rebinning with reconstruct's kernel and
// back projection, the two differ by < 1 % RMS of μ inside the head; both
// detectors, linear interpolation. A short scan without Parker's weights
// is far worse than with them.
TEST(FanReconstruction, HeadDirectAndRebinnedAgreeAndParkerMatters) {
    const std::int32_t w = 96;
    const double pixel_length = 20.0 / w;
    std::vector<double> head(w * w, 0.0);
    const std::vector<Ellipse> ellipses = {{0, 0, 0.69, 0.92, 0, 0.4},
                                           {0, -0.0184, 0.6624, 0.874, 0, -0.196},
                                           {0.22, 0, 0.11, 0.31, -18, -0.004},
                                           {-0.22, 0, 0.16, 0.41, 18, -0.004},
                                           {0.35, -0.3, 0.05, 0.04, 30, 0.02}};
    for (const Ellipse& e : ellipses) draw_ellipse(head, w, w, e);
    // Inside the brain (away from the skull's edges, where both are mostly edge error).
    auto rms_inside = [&](const std::vector<double>& a, const std::vector<double>& b, double scale_b) {
        double sum = 0, level = 0;
        int count = 0;
        for (std::int32_t r = 0; r < w; ++r)
            for (std::int32_t q = 0; q < w; ++q) {
                const double x = (q - w / 2) / (w / 2 * 0.6), y = (w / 2 - r) / (w / 2 * 0.8);
                if (x * x + y * y > 1) continue;
                const double d = a[r * w + q] - b[r * w + q] * scale_b;
                sum += d * d, level += a[r * w + q], ++count;
            }
        return std::sqrt(sum / count) / (level / count);
    };
    for (FanDetector detector : {FanDetector::curved, FanDetector::flat}) {
        const FanGeometry g = scan(detector, 1.5, 1.0, 720, false, w);
        const std::vector<double> fan = fan_project_image(head.data(), w, w, pixel_length, g);
        const std::vector<double> direct = fan_reconstruct_image(fan, g, w, w, pixel_length, no_window, true);
        std::vector<double> parallel = rebin_to_parallel(fan, g, w, 180, pixel_length, RebinInterpolation::linear);
        ramp_filter(parallel.data(), w, 180, pixel_length);
        const CijTable cij = make_cij(w, w, w, 180, nullptr);
        std::vector<double> rebinned(w * w);
        back_project(rebinned.data(), w, w, parallel.data(), cij);
        // reconstruct gives μ per pixel length.
        EXPECT_LT(rms_inside(direct, rebinned, 1 / pixel_length), 0.01) << static_cast<int>(detector);

        const FanGeometry s = scan(detector, 1.5, 1.0, 400, true, w);
        const std::vector<double> short_fan = fan_project_image(head.data(), w, w, pixel_length, s);
        const double parker =
            rms_inside(head, fan_reconstruct_image(short_fan, s, w, w, pixel_length, no_window, true), 1);
        const double none =
            rms_inside(head, fan_reconstruct_image(short_fan, s, w, w, pixel_length, no_window, false), 1);
        EXPECT_GT(none, 3 * parker) << "Parker " << parker << ", none " << none;
    }
}

// The same bytes on every thread count, and from every lane type as from
// the portable form (a full turn of an even number of views takes the
// mirrored path, an odd number and a short scan the direct one).
TEST(FanReconstruction, BytesDoNotDependOnTheThreadCountOrTheLanes) {
    const std::int32_t w = 40;
    std::vector<double> image(w * w);
    for (int k = 0; k < w * w; ++k) image[k] = 0.1 + 0.05 * std::sin(0.11 * k);
    for (bool short_scan : {false, true}) {
        const FanGeometry g = scan(FanDetector::flat, 1.4, 1.0, 50, short_scan, w);
        expect_same_bytes_for_every_thread_count([&] {
            std::vector<double> all = fan_project_image(image.data(), w, w, 0.5, g);
            const std::vector<double> recon = fan_reconstruct_image(all, g, w, w, 0.5, 2, true);
            const std::vector<double> parallel =
                rebin_to_parallel(all, g, w, 30, 0.5, short_scan ? RebinInterpolation::nearest : RebinInterpolation::linear);
            all.insert(all.end(), recon.begin(), recon.end());
            all.insert(all.end(), parallel.begin(), parallel.end());
            return all;
        });
    }
    for (std::int32_t views : {50, 51}) {
        for (FanDetector detector : {FanDetector::curved, FanDetector::flat}) {
            const FanGeometry g = scan(detector, 1.4, 1.0, views, false, w);
            const std::vector<double> sinogram = fan_project_image(image.data(), w, w, 0.5, g);
            const std::vector<double> portable =
                fan_reconstruct_image(sinogram, g, w, w - 1, 0.5, 1, true, CodePath::portable);
            for_each_vector_code([&] {
                const std::vector<double> fastest = fan_reconstruct_image(sinogram, g, w, w - 1, 0.5, 1, true);
                EXPECT_TRUE(std::memcmp(fastest.data(), portable.data(), portable.size() * sizeof(double)) == 0)
                    << views << " views, detector " << static_cast<int>(detector);
            });
        }
    }
}
