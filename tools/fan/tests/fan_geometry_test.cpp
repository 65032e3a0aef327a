// The fan geometry, its ray integrals and its weights against closed forms
// and numerical integrals.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/failure.h"
#include "tools/fan/fan_fbp.h"
#include "tools/fan/fan_geometry.h"
#include "tools/fan/fan_projector.h"
#include "tools/recon/fbp.h"

namespace {

FanGeometry curved_geometry() {
    FanGeometry g;
    g.detector = FanDetector::curved;
    g.source_distance = 40;
    g.detector_distance = 60;
    g.bins = 96;
    g.spacing = 0.35 * fan_pi / 180;
    g.offset = 0.25;
    g.views = 90;
    g.range = fan_two_pi;
    return g;
}

// The head phantom of examples/n3-2.txt, in half image sizes.
const std::vector<Ellipse> head = {
    {0, 0, 0.69, 0.92, 0, 0.4},
    {0, -0.0184, 0.6624, 0.874, 0, -0.196},
    {0.22, 0, 0.11, 0.31, -18, -0.004},
    {-0.22, 0, 0.16, 0.41, 18, -0.004},
    {0, 0.35, 0.21, 0.25, 0, 0.002},
    {0, 0.1, 0.046, 0.046, 0, 0.002},
    {0.35, -0.3, 0.05, 0.04, 30, 0.02},
};

// ∫ f along the ray by the midpoint rule with `steps` steps over `length`.
template <typename F>
double midpoint_integral(const FanRay& ray, double length, int steps, F f) {
    const double h = length / steps;
    double sum = 0;
    for (int k = 0; k < steps; ++k) {
        const double s = (k + 0.5) * h;
        sum += f(ray.from_x + s * ray.direction_x, ray.from_y + s * ray.direction_y);
    }
    return sum * h;
}

}  // namespace

// Both integrals of every ray of a few views against a fine midpoint rule
// of the same object: the ellipses' inside test of draw_ellipse, and the
// image looked up pixel by pixel. The rule's error is at most a few steps
// at each boundary the ray crosses.
TEST(FanRays, ExactIntegralsAgreeWithNumericalIntegrals) {
    const std::int32_t w = 48, h = 40;
    const FanGeometry g = curved_geometry();
    std::vector<double> image(w * h);
    for (int k = 0; k < w * h; ++k) image[k] = 1 + std::sin(0.37 * k) * 0.5;
    const double pixel_length = 0.5;  // source 80 pixels from the isocentre
    for (std::int32_t view : {0, 7, 22, 45, 61}) {
        for (std::int32_t bin = 0; bin < g.bins; bin += 5) {
            const FanRay ray = fan_ray(g, view, bin, pixel_length);
            EXPECT_NEAR(std::hypot(ray.direction_x, ray.direction_y), 1.0, 1e-12);
            const double ellipses = midpoint_integral(ray, 160, 400000, [&](double x, double y) {
                double sum = 0;
                for (const Ellipse& e : head) {
                    const double t = e.angle * fan_pi / 180, c = std::cos(t), s = std::sin(t);
                    const double dx = x - (w / 2) * e.centre_x, dy = y - (h / 2) * e.centre_y;
                    const double u = dx * c + dy * s, v = dy * c - dx * s;
                    const double rx = (w / 2) * e.radius_x, ry = (h / 2) * e.radius_y;
                    if (u * u / (rx * rx) + v * v / (ry * ry) <= 1) sum += e.value;
                }
                return sum;
            });
            EXPECT_NEAR(ellipse_path_integral(head, w, h, ray), ellipses, 2e-4) << view << " " << bin;
            const double pixels = midpoint_integral(ray, 160, 400000, [&](double x, double y) {
                const double q = std::floor(x + w / 2 + 0.5), r = std::floor(h / 2 + 0.5 - y);
                if (q < 0 || q >= w || r < 0 || r >= h) return 0.0;
                return image[static_cast<int>(r) * w + static_cast<int>(q)];
            });
            EXPECT_NEAR(pixel_path_integral(image.data(), w, h, ray), pixels, 2e-3) << view << " " << bin;
        }
    }
}

// A ray along a row of pixel centres and one along a column of pixel edges
// of a uniform image: the chord is the image's width or height exactly.
TEST(FanRays, AxisParallelRaysCrossTheWholeImage) {
    const std::vector<double> ones(10 * 6, 1.0);
    EXPECT_DOUBLE_EQ(pixel_path_integral(ones.data(), 10, 6, {-50, 1, 1, 0}), 10.0);
    EXPECT_DOUBLE_EQ(pixel_path_integral(ones.data(), 10, 6, {0.5, 40, 0, -1}), 6.0);
    EXPECT_DOUBLE_EQ(pixel_path_integral(ones.data(), 10, 6, {0, 40, 0.6, 0.8}), 0.0);  // misses
}

TEST(FanWeights, ParkerWeightsSumToOneOverConjugateRays) {
    for (double delta : {0.1, 0.28, 0.5}) {
        for (double gamma = -delta * 0.999; gamma < delta; gamma += delta / 37) {
            for (double beta = 0; beta <= fan_pi + 2 * delta; beta += 0.013) {
                const double w = parker_weight(beta, gamma, delta);
                EXPECT_GE(w, 0.0);
                EXPECT_LE(w, 1.0);
                const double conjugate = beta + fan_pi + 2 * gamma;
                const double other = conjugate <= fan_pi + 2 * delta
                                         ? parker_weight(conjugate, -gamma, delta)
                                         : parker_weight(beta - fan_pi + 2 * gamma, -gamma, delta);
                EXPECT_NEAR(w + other, 1.0, 1e-12) << delta << " " << gamma << " " << beta;
            }
        }
    }
}

// The windowed kernels are the band-limited integrals ∫|f|W(f)cos(2πfn)df,
// checked by a numerical integral; the bare one is reconstruct's kernel.
TEST(FanWeights, WindowedRampKernelsAreTheirIntegrals) {
    EXPECT_EQ(windowed_ramp(9, no_window), ramp_kernel(9, 1.0));
    for (double band : {1.0, 0.68}) {
        for (std::int32_t w = -1; w < 5; ++w) {
            const std::vector<double> k = windowed_ramp(12, w, band);
            for (std::int32_t n = 0; n < 12; ++n) {
                const int steps = 200000;
                const double top = band / 2;
                double sum = 0;
                for (int i = 0; i < steps; ++i) {
                    const double f = (i + 0.5) / steps * top;
                    const double window = w < 0 ? 1.0 : 0.5 + 0.5 * std::cos(2 * fan_pi * f / band / (w + 1));
                    sum += f * window * std::cos(2 * fan_pi * f * n);
                }
                EXPECT_NEAR(k[n], 2 * sum * top / steps, 1e-9) << band << " " << w << " " << n;
            }
        }
    }
}

TEST(FanGeometryFile, RoundTripsExactlyAndNamesWhatIsMissing) {
    FanGeometry g = curved_geometry();
    g.detector = FanDetector::flat;
    g.spacing = 0.1 / 3;
    g.range = short_scan_range(g);
    const FanGeometry back = parse_fan_geometry(fan_geometry_text(g), "g.txt");
    EXPECT_EQ(back.detector, g.detector);
    EXPECT_EQ(back.source_distance, g.source_distance);
    EXPECT_EQ(back.detector_distance, g.detector_distance);
    EXPECT_EQ(back.bins, g.bins);
    EXPECT_EQ(back.spacing, g.spacing);
    EXPECT_EQ(back.offset, g.offset);
    EXPECT_EQ(back.views, g.views);
    EXPECT_EQ(back.range, g.range);
    try {
        parse_fan_geometry("detector = curved\nbins = 3\n", "g.txt");
        FAIL();
    } catch (const Failure& f) {
        EXPECT_NE(std::string(f.what()).find("source_to_isocentre_cm"), std::string::npos) << f.what();
    }
    EXPECT_THROW(parse_fan_geometry(fan_geometry_text(g) + "views = 2.5\n", "g.txt"), Failure);
}

TEST(FanGeometryChecks, RefuseWhatCannotBeMeasured) {
    const FanGeometry good = curved_geometry();  // ±16.8° around the central ray
    EXPECT_NO_THROW(check_fan_geometry(good, 10.0));
    auto refused = [&](FanGeometry g, double radius, const char* word) {
        try {
            check_fan_geometry(g, radius);
            return std::string("accepted");
        } catch (const Failure& f) {
            const std::string what = f.what();
            return what.find(word) != std::string::npos ? std::string() : what;
        }
    };
    EXPECT_EQ(refused(good, 40.5, "物体の円"), "");  // the source inside the object's circle
    EXPECT_EQ(refused(good, 12.0, "覆いきれません"), "");  // asin(12/40) = 17.5° > 16.8°
    FanGeometry g = good;
    g.offset = 8;  // one side reaches only 14.0° of the 14.5° the circle needs
    EXPECT_EQ(refused(g, 10.0, "覆いきれません"), "");
    g = good, g.source_distance = 0;
    EXPECT_EQ(refused(g, 10.0, "線源・回転中心間距離"), "");
    g = good, g.detector_distance = 30;
    EXPECT_EQ(refused(g, 10.0, "手前"), "");
    g = good, g.bins = -3;
    EXPECT_EQ(refused(g, 10.0, "検出器の素子数"), "");
    g = good, g.spacing = 0;
    EXPECT_EQ(refused(g, 10.0, "角度間隔"), "");
    g = good, g.views = 0;
    EXPECT_EQ(refused(g, 10.0, "投影数"), "");
    g = good, g.range = 7;
    EXPECT_EQ(refused(g, 10.0, "角度範囲"), "");
}
