#include "tools/recon/fbp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "tests/support/row_share_runs.h"
#include "tests/support/thread_counts.h"
#include "tests/support/tool_runner.h"
#include "tests/support/vector_codes.h"
#include "tools/projection/tests/stored_cij.h"

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

// The filter exactly as described: every term of every sum, in increasing k.
std::vector<double> filter_every_term(std::vector<double> sinogram, std::int32_t bins, std::int32_t angles, double d) {
    std::vector<double> kernel(bins, 0.0);
    kernel[0] = 1 / ((d * 4) * d);
    for (int n = 1; n < bins; n += 2) kernel[n] = -1 / ((((d * 9.869604401089338) * d) * n) * n);
    std::vector<double> out(bins);
    for (int i = 0; i < angles; ++i) {
        double* p = sinogram.data() + static_cast<std::size_t>(i) * bins;
        for (int j = 0; j < bins; ++j) {
            out[j] = 0;
            for (int k = 0; k < bins; ++k) out[j] += kernel[std::abs(j - k)] * p[k];
        }
        for (int j = 0; j < bins; ++j) p[j] = (d * out[j]) * d;
    }
    return sinogram;
}

std::vector<double> filtered(std::vector<double> sinogram, std::int32_t bins, std::int32_t angles, double d,
                             CodePath path = CodePath::fastest) {
    ramp_filter(sinogram.data(), bins, angles, d, path);
    return sinogram;
}

std::vector<double> random_samples(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> value(-1.0, 3.0);
    std::vector<double> samples(count);
    for (double& v : samples) v = value(rng);
    return samples;
}

TEST(RampKernel, ValuesAtZeroOddAndEvenLags) {
    const auto kernel = ramp_kernel(6, 0.5);
    EXPECT_EQ(kernel[0], 1.0);
    EXPECT_EQ(kernel[1], -1 / ((((0.5 * 9.869604401089338) * 0.5) * 1.0) * 1.0));
    EXPECT_EQ(kernel[3], -1 / ((((0.5 * 9.869604401089338) * 0.5) * 3.0) * 3.0));
    for (int n : {2, 4}) {
        EXPECT_EQ(kernel[n], 0.0);
        EXPECT_FALSE(std::signbit(kernel[n]));
    }
}

TEST(RampFilter, SameBytesAsEveryTermOnFiniteRows) {
    for (std::int32_t bins : {1, 2, 3, 7, 8, 64, 257}) {
        for (double d : {0.078125, 1.0, 0.3}) {
            auto sinogram = random_samples(static_cast<std::size_t>(bins) * 5, bins);
            sinogram[0] = -0.0;
            if (bins > 3) sinogram[3] = 0.0;
            const auto expected = filter_every_term(sinogram, bins, 5, d);
            EXPECT_TRUE(same_bytes(filtered(sinogram, bins, 5, d), expected)) << bins << " bins, pixel length " << d;
            EXPECT_TRUE(same_bytes(filtered(sinogram, bins, 5, d, CodePath::portable), expected)) << bins << " bins";
        }
    }
}

TEST(RampFilter, ANaNOrInfinitySpoilsItsWholeRowAsEveryTermDoes) {
    // 0 × NaN at an even lag is NaN: the skipped terms would matter here.
    for (double odd : {nan, inf, -inf}) {
        for (std::int32_t where : {0, 1, 5, 10}) {
            auto sinogram = random_samples(11 * 3, 4);
            sinogram[11 + where] = odd;
            const auto got = filtered(sinogram, 11, 3, 0.5);
            EXPECT_TRUE(same_bytes(got, filter_every_term(sinogram, 11, 3, 0.5))) << odd << " at " << where;
            for (int j = 0; j < 11; ++j) EXPECT_FALSE(std::isfinite(got[11 + j])) << j;  // every bin of that row
            EXPECT_FALSE(std::isnan(got[0]));  // the others are untouched
        }
    }
}

TEST(RampFilter, PixelLengthsThatAreNotFiniteOrZero) {
    for (double d : {0.0, -0.0, inf, nan, 1e200}) {
        const auto sinogram = random_samples(9 * 2, 5);
        EXPECT_TRUE(same_bytes(filtered(sinogram, 9, 2, d), filter_every_term(sinogram, 9, 2, d))) << d;
    }
}

TEST(RampFilter, ASingleBinSpreadsIntoTheKernelShape) {
    std::vector<double> sinogram(21, 0.0);
    sinogram[10] = 2.0;
    ramp_filter(sinogram.data(), 21, 1, 0.078125);
    EXPECT_NEAR(sinogram[10], 2.0 / 4, 1e-12);
    for (int n = 1; n <= 10; ++n) {
        const double expected = n % 2 == 0 ? 0.0 : -2.0 / (9.869604401089338 * n * n);
        EXPECT_NEAR(sinogram[10 + n], expected, 1e-12) << n;
        EXPECT_NEAR(sinogram[10 - n], expected, 1e-12) << n;
    }
}

struct Size {
    std::int32_t width, height, bins, angles;
};

std::vector<double> back_projected(const std::vector<double>& sinogram, const Size& s,
                                   CodePath path = CodePath::fastest, const RowShares& shares = RowShares{}) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    const CijTable cij = make_cij(s.width, s.height, s.bins, s.angles, sink);
    std::fclose(sink);
    std::vector<double> image(static_cast<std::size_t>(s.width) * s.height, -1.0);
    back_project(image.data(), s.width, s.height, sinogram.data(), cij, path, shares);
    return image;
}

TEST(BackProject, SameBytesAsTheStoredTable) {
    for_each_vector_code([&] {
        const Size sizes[] = {{5, 7, 9, 3}, {8, 8, 8, 4}, {16, 16, 11, 1}, {6, 5, 2, 4}, {1, 1, 1, 1}, {33, 17, 20, 7}, {64, 64, 64, 64}, {9, 9, 13, 12}, {4, 6, 3, 2}};
        for (const Size& s : sizes) {
            const StoredCij stored = make_stored_cij(s.width, s.height, s.bins, s.angles);
            const auto sinogram = random_samples(static_cast<std::size_t>(s.bins) * s.angles, 11);
            for (CodePath path : {CodePath::fastest, CodePath::portable}) {
                EXPECT_TRUE(same_bytes(back_projected(sinogram, s, path), back_project_with_table(sinogram, stored)))
                    << s.width << "x" << s.height << " N=" << s.bins << " P=" << s.angles;
            }
        }
    });
}

TEST(BackProject, NaNsAndInfinitiesInTheFirstBinsReachThePixelsOfEmptyEntries) {
    for_each_vector_code([&] {
        for (const Size& s : {Size{12, 12, 10, 6}, Size{6, 6, 2, 3}, Size{5, 5, 1, 2}}) {
            const StoredCij stored = make_stored_cij(s.width, s.height, s.bins, s.angles);
            for (double odd : {nan, inf, -inf, -nan}) {
                for (std::int32_t bin : {0, 1, 2, 4}) {
                    if (bin >= s.bins) continue;
                    auto sinogram = random_samples(static_cast<std::size_t>(s.bins) * s.angles, 2);
                    sinogram[static_cast<std::size_t>(s.bins) * (s.angles - 1) + bin] = odd;
                    sinogram[0] = -0.0;
                    for (CodePath path : {CodePath::fastest, CodePath::portable}) {
                        const auto expected = back_project_with_table(sinogram, stored);
                        EXPECT_TRUE(same_bytes(back_projected(sinogram, s, path), expected))
                            << s.width << " N=" << s.bins << " " << odd << " in bin " << bin;
                    }
                }
            }
        }
    });
}

// No angle at all: nothing is read, and every pixel is 0 × (π / 0), NaN.
TEST(BackProject, NoAngleReadsNothing) {
    for (double v : back_projected({}, {5, 3, 9, 0})) EXPECT_TRUE(std::isnan(v));
}

TEST(BackProject, ZeroSinogramGivesZeroImageAndOneAngleScalesByPi) {
    for (double v : back_projected(std::vector<double>(9 * 4, 0.0), {7, 7, 9, 4})) EXPECT_EQ(v, 0.0);
    // P = 1: only θ = 0, where pixel column q takes bin N/2 + q − W/2 whole.
    std::vector<double> sinogram(9, 0.0);
    sinogram[4 + 1] = 2.0;
    const auto image = back_projected(sinogram, {7, 7, 9, 1});
    for (int r = 0; r < 7; ++r) EXPECT_EQ(image[r * 7 + 3 + 1], 2.0 * 3.14159265358979) << r;
    EXPECT_EQ(image[3], 0.0);
}

TEST(BackProject, ThePixelLengthMattersOnlyThroughRounding) {
    const Size s{32, 32, 40, 30};
    const auto sinogram = random_samples(40 * 30, 9);
    const auto a = back_projected(filtered(sinogram, 40, 30, 0.078125), s);
    const auto b = back_projected(filtered(sinogram, 40, 30, 1.0), s);
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-12 * (1 + std::abs(b[i]))) << i;
}

// At angles within about 3·10⁻⁵ rad of 0 (here angle 1 of 200000) four
// neighbouring pixels may reach past four neighbouring bins, and the vector
// rows give way to the pixel-by-pixel ones: the bytes stay those of the
// portable path, and the last row, read past its end by the vector rows,
// comes from a copy.
TEST(BackProject, AnglesCloseToZeroAndTheLastRowKeepTheBytesOfThePortablePath) {
    for_each_vector_code([&] {
        for (const Size& s : {Size{6, 5, 11, 200000}, Size{21, 19, 23, 9}}) {
            const auto sinogram = random_samples(static_cast<std::size_t>(s.bins) * s.angles, 4);
            EXPECT_TRUE(same_bytes(back_projected(sinogram, s), back_projected(sinogram, s, CodePath::portable)))
                << s.angles << " angles";
        }
    });
}

// Row r and row 2·(H/2) − r go together, pixel (x, y) with (−x, −y):
// odd and even widths and heights, W ≠ H, few bins (many empty entries,
// the two rows' runs of filled entries of different lengths) and many,
// 45 degrees (P = 4, 8), and an empty entry's NaN.
TEST(BackProject, MirrorRowsGiveTheBytesOfThePortablePath) {
    for_each_vector_code([&] {
        const Size sizes[] = {{37, 24, 64, 8},
                              {24, 37, 16, 12},
                              {40, 40, 101, 4},
                              {33, 35, 7, 45},
                              {64, 48, 200, 90},
                              {2, 9, 5, 4},
                              {9, 2, 3, 8},
                              {18, 17, 18, 16},
                              // rows longer than one chunk of columns; 129 paired
                              // columns end in a group of their own that overlaps
                              // the chunk before
                              {130, 9, 190, 6},
                              {133, 12, 64, 10}};
        for (const Size& s : sizes) {
            auto sinogram = random_samples(static_cast<std::size_t>(s.bins) * s.angles, 7);
            const auto expected = back_projected(sinogram, s, CodePath::portable);
            EXPECT_TRUE(same_bytes(back_projected(sinogram, s), expected))
                << s.width << "x" << s.height << " N=" << s.bins << " P=" << s.angles;
            sinogram[static_cast<std::size_t>(s.bins) * (s.angles / 2) + 1] = nan;
            EXPECT_TRUE(same_bytes(back_projected(sinogram, s), back_projected(sinogram, s, CodePath::portable)))
                << s.width << "x" << s.height << " with a NaN";
        }
    });
}

// Angles whose t = x·C + y·S falls on halves: where t + 0.5 is an integer
// the mirror's nearest bin is not −g and the mirror pixel is formed on its
// own. Here C and S are rounded to eighths, which makes many pixels such
// ties, while the shares keep the geometry of the true angles (at a tie
// they come out near 1/2 each, but not exactly, so taking the pixel's
// shares swapped onto the wrong bins would show).
TEST(BackProject, TiesAtHalfABinKeepTheBytesOfThePortablePath) {
    for_each_vector_code([&] {
        const Size s{23, 20, 31, 8};
        std::FILE* sink = std::fopen("/dev/null", "w");
        CijTable cij = make_cij(s.width, s.height, s.bins, s.angles, sink);
        std::fclose(sink);
        for (CijAngle& a : cij.angle) {
            a.cos_theta = std::round(a.cos_theta * 8) / 8;
            a.sin_theta = std::round(a.sin_theta * 8) / 8;
        }
        const auto sinogram = random_samples(static_cast<std::size_t>(s.bins) * s.angles, 3);
        std::vector<double> fast(static_cast<std::size_t>(s.width) * s.height);
        std::vector<double> portable(fast.size());
        back_project(fast.data(), s.width, s.height, sinogram.data(), cij, CodePath::fastest);
        back_project(portable.data(), s.width, s.height, sinogram.data(), cij, CodePath::portable);
        EXPECT_TRUE(same_bytes(fast, portable));
    });
}

// The threads share out rows of the sinogram and blocks of image rows: odd
// sizes, several blocks, one angle whose NaN reaches the empty entries.
TEST(ThreadCounts, FilterAndBackProjectionGiveTheSameBytes) {
    for_each_vector_code([&] {
        const Size s{37, 53, 31, 23};
        auto sinogram = random_samples(static_cast<std::size_t>(s.bins) * s.angles, 5);
        sinogram[static_cast<std::size_t>(s.bins) * 4 + 1] = nan;
        expect_same_bytes_for_every_thread_count([&] { return filtered(sinogram, s.bins, s.angles, 0.3); });
        for (CodePath path : {CodePath::fastest, CodePath::portable})
            expect_same_bytes_for_every_thread_count([&] { return back_projected(sinogram, s, path); });
    });
}

// Blocks of rows computed in share runs, then taken by a whole run, give the
// image of one run: odd and even heights (a lone row 0 or not), more shares
// than blocks, and a whole run given only some of the shares.
TEST(BackProject, RowSharesGiveTheBytesOfOneRun) {
    ScratchDir dir;
    for (const Size& s : {Size{33, 17, 20, 7}, Size{40, 64, 45, 30}}) {
        const auto sinogram = random_samples(static_cast<std::size_t>(s.bins) * s.angles, 5);
        const auto shared = [&](const RowShares& shares) { return back_projected(sinogram, s, CodePath::fastest, shares); };
        for (int parts : {2, 3, 9})
            for (int given : {-1, parts - 1})
                EXPECT_TRUE(same_bytes(whole_run_of_shares(dir.path(), parts, shared, given), back_projected(sinogram, s)))
                    << s.width << "x" << s.height << ", " << given << " of " << parts << " shares";
    }
}

}  // namespace
