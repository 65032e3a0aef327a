// The 3 × 3 filters and the Gaussian against hand-worked cases and against
// their straightforward versions.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

#include "tests/support/tool_runner.h"
#include "tools/filters/gaussian.h"
#include "tools/filters/tests/reference_filters.h"
#include "tools/filters/tests/test_images.h"
#include "tools/filters/three_by_three.h"

namespace {

using test_images::same_values;
using Image = std::vector<double>;

Image box(const Image& in, int w, int h) {
    Image out(in.size(), 0.0);
    moving_average_3x3(in.data(), out.data(), w, h);
    return out;
}

Image weighted(const Image& in, int w, int h, const SmoothingKernel& k) {
    Image out(in.size(), 0.0);
    weighted_average_3x3(in.data(), out.data(), w, h, k);
    return out;
}

Image gaussian(const Image& in, int w, int h, int fwhm) {
    Image out(in.size(), 0.0);
    gaussian_smooth(in.data(), out.data(), w, h, fwhm);
    return out;
}

TEST(MovingAverage, ImpulseAtACornerWrapsToTheOppositeBorders) {
    Image in(5 * 4, 0.0);
    in[0] = 9;
    const Image out = box(in, 5, 4);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 5; ++j) {
            const bool near = (i == 3 || i <= 1) && (j == 4 || j <= 1);
            EXPECT_EQ(out[i * 5 + j], near ? 1.0 : 0.0) << i << "," << j;
        }
}

TEST(MovingAverage, SingleColumnCountsEachRowThrice) {
    const Image out = box({1, 2, 4}, 1, 3);
    EXPECT_EQ(out[0], (0.0 + 4 + 4 + 4 + 1 + 1 + 1 + 2 + 2 + 2) / 9);
    EXPECT_EQ(box({-0.0}, 1, 1)[0], 0.0);
    EXPECT_FALSE(std::signbit(box({-0.0}, 1, 1)[0]));  // the sum starts at +0
}

TEST(MovingAverage, MatchesTheStraightforwardFilterBitForBit) {
    for (auto [w, h] : test_images::sizes) {
        const Image in = test_images::mixed(w, h, w * 31 + h, true);
        EXPECT_TRUE(same_values(reference::box(in, w, h), box(in, w, h))) << w << "x" << h;
    }
}

TEST(WeightedAverage, KernelPlacesAnswersAndWrapsItsDivisor) {
    const SmoothingKernel k = make_smoothing_kernel(1, 2, 4);
    const int expected[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
    for (int n = 0; n < 9; ++n) EXPECT_EQ(k.weights[n], expected[n]);
    EXPECT_EQ(k.divisor, 16);
    EXPECT_EQ(make_smoothing_kernel(0, -1, 5).divisor, 1);
    EXPECT_EQ(make_smoothing_kernel(0, 0, 0).divisor, 0);
    // 2147483647 + 4 × (1 + 0) wraps to −2147483645 instead of being undefined.
    EXPECT_EQ(make_smoothing_kernel(0, 1, INT_MAX).divisor, INT_MIN + 3);
    EXPECT_EQ(make_smoothing_kernel(INT_MIN, INT_MIN, 0).divisor, 0);
}

TEST(WeightedAverage, PrintsTheKernelInThreeLines) {
    std::FILE* out = stream_writing();
    print_smoothing_kernel(out, make_smoothing_kernel(1, 2, 4));
    EXPECT_EQ(written_and_closed(out), "\t\t1\t2\t1\nh(x,y) = 1/16 (\t2\t4\t2 )\n\t\t1\t2\t1\n");
}

TEST(WeightedAverage, ImpulseReproducesTheKernelAndZeroDivisorGivesNonFinite) {
    Image in(4 * 3, 0.0);
    in[0] = 16;
    const Image out = weighted(in, 4, 3, make_smoothing_kernel(1, 2, 4));
    EXPECT_EQ(out[0], 4.0);
    EXPECT_EQ(out[1], 2.0);
    EXPECT_EQ(out[3], 2.0);  // column W − 1 wraps
    EXPECT_EQ(out[11], 1.0);  // the opposite corner
    EXPECT_EQ(out[2], 0.0);
    const Image zero = weighted(in, 4, 3, make_smoothing_kernel(0, 0, 0));
    EXPECT_TRUE(std::isnan(zero[0]));
    const Image infinite = weighted(in, 4, 3, make_smoothing_kernel(1, 0, -4));
    EXPECT_EQ(infinite[0], -INFINITY);  // −64 / 0
    EXPECT_EQ(infinite[5], INFINITY);  // the impulse at a corner of the window: 16 / 0
    EXPECT_TRUE(std::isnan(infinite[1]));
    EXPECT_EQ(weighted({1, 2, 3, 4}, 2, 2, make_smoothing_kernel(0, 0, 1)), (Image{1, 2, 3, 4}));
}

TEST(WeightedAverage, MatchesTheStraightforwardFilterBitForBit) {
    const int corner = 3, side = -7, centre = 11;
    const int k[9] = {corner, side, corner, side, centre, side, corner, side, corner};
    for (auto [w, h] : test_images::sizes) {
        const Image in = test_images::mixed(w, h, w * 17 + h, true);
        EXPECT_TRUE(same_values(reference::weighted(in, w, h, k, centre + 4 * (side + corner)),
                                weighted(in, w, h, make_smoothing_kernel(corner, side, centre))))
            << w << "x" << h;
    }
}

TEST(Gaussian, LengthsAndTapsOfTheUsualWidths) {
    EXPECT_NEAR(gaussian_sigma(2), 0.8493218, 1e-7);
    EXPECT_EQ(gaussian_length(gaussian_sigma(1), 1000), 2);
    EXPECT_EQ(gaussian_length(gaussian_sigma(2), 1000), 4);
    EXPECT_EQ(gaussian_length(gaussian_sigma(3), 1000), 6);
    EXPECT_EQ(gaussian_length(gaussian_sigma(5), 1000), 9);
    EXPECT_EQ(gaussian_length(gaussian_sigma(5), 7), 7);  // never more than the image needs
    EXPECT_EQ(gaussian_length(gaussian_sigma(0), 1000), 1);
    EXPECT_EQ(gaussian_length(gaussian_sigma(-1), 1000), 0);
    EXPECT_EQ(gaussian_length(gaussian_sigma(INT_MAX), 1 << 30), 1 << 30);
    EXPECT_EQ(gaussian_length(NAN, 1000), 0);
    EXPECT_EQ(gaussian_length(1e300, 1000), 1000);

    const Image g2 = gaussian_taps(gaussian_sigma(2), 4);
    const double expected[4] = {0.469719, 0.234859, 0.029357, 0.000917};
    for (int n = 0; n < 4; ++n) EXPECT_NEAR(g2[n], expected[n], 5e-7);
    EXPECT_NEAR(g2[0] + 2 * (g2[1] + g2[2] + g2[3]), 0.999987, 5e-7);
    const Image g1 = gaussian_taps(gaussian_sigma(1), 2);
    EXPECT_NEAR(g1[0] + 2 * g1[1], 1.056867, 5e-7);
}

TEST(Gaussian, ConstantImageDarkensTowardsBordersAndCorners) {
    const Image out = gaussian(Image(20 * 20, 1.0), 20, 20, 2);
    const double centre = out[10 * 20 + 10];
    EXPECT_NEAR(centre, 0.999987 * 0.999987, 1e-6);
    EXPECT_LT(out[10 * 20 + 0], centre);
    EXPECT_LT(out[0], out[10 * 20 + 0]);
    EXPECT_EQ(out[10 * 20 + 3], centre);  // L − 1 = 3 pixels from the border the whole kernel fits
    EXPECT_LT(out[10 * 20 + 2], centre);
}

TEST(Gaussian, ZeroWidthGivesNaNAndNegativeWidthZeros) {
    for (double v : gaussian(Image(3 * 2, 1.0), 3, 2, 0)) EXPECT_TRUE(std::isnan(v));
    for (double v : gaussian(Image(3 * 2, 1.0), 3, 2, -1)) EXPECT_EQ(std::bit_cast<std::uint64_t>(v), 0u);
}

TEST(Gaussian, MatchesTheStraightforwardFilterBitForBit) {
    for (auto [w, h] : test_images::sizes) {
        const Image in = test_images::mixed(w, h, w * 7 + h, true);
        for (int fwhm : {1, 2, 3, 5, 40, INT_MAX}) {
            EXPECT_TRUE(same_values(reference::gaussian(in, w, h, fwhm), gaussian(in, w, h, fwhm)))
                << w << "x" << h << " fwhm " << fwhm;
        }
    }
    const Image wide = test_images::mixed(33, 21, 5);
    EXPECT_TRUE(same_values(reference::gaussian(wide, 33, 21, 4), gaussian(wide, 33, 21, 4)));
}

}  // namespace
