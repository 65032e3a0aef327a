// The bilateral filter against hand-worked cases and its straightforward version.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "tools/filters/bilateral.h"
#include "tools/filters/tests/reference_filters.h"
#include "tools/filters/tests/test_images.h"

namespace {

using test_images::same_values;
using Image = std::vector<double>;

Image bilateral(const Image& in, int w, int h, int n, double d1, double d2) {
    Image out(in.size(), 0.0);
    bilateral_smooth(in.data(), out.data(), w, h, n, d1, d2);
    return out;
}

// Not-a-number exactly as this machine's division 0 / 0 makes it.
std::uint64_t runtime_nan_bits() {
    volatile double zero = 0.0;
    return std::bit_cast<std::uint64_t>(zero / zero);
}

TEST(Bilateral, SpatialWeightsOfTheOffsets) {
    const Image ws = spatial_weights(3, 1.0);
    EXPECT_EQ(ws[4], 1.0);
    EXPECT_EQ(ws[0], std::exp(-2.0 / 2.0));
    EXPECT_EQ(ws[1], std::exp(-1.0 / 2.0));
    const Image even = spatial_weights(2, 1.0);  // offsets −1 and 0
    EXPECT_EQ(even[3], 1.0);
    EXPECT_EQ(even[0], std::exp(-2.0 / 2.0));
    EXPECT_TRUE(spatial_weights(0, 1.0).empty());
    EXPECT_TRUE(spatial_weights(-3, 1.0).empty());
}

TEST(Bilateral, DefaultsKeepTheImageAndWidthOneCopies) {
    Image in = test_images::mixed(9, 7, 3);
    for (double& v : in) v = v * 0.01 + 0.02;  // away from zero, like attenuation values
    const Image out = bilateral(in, 9, 7, 7, 0.1, 0.1);
    for (std::size_t k = 0; k < in.size(); ++k) EXPECT_NEAR(out[k], in[k], 1e-18);
    // Up to the sign of zero: the sum starts at +0, and +0 + −0 is +0.
    const Image any = test_images::mixed(5, 4, 2);
    EXPECT_EQ(bilateral(any, 5, 4, 1, 0.5, 0.5), any);
    EXPECT_FALSE(std::signbit(bilateral({-0.0}, 1, 1, 1, 0.5, 0.5)[0]));
}

TEST(Bilateral, EdgeStaysSharpWhileSmallNoiseIsSmoothed) {
    Image in(16 * 8);
    for (int k = 0; k < 16 * 8; ++k) in[k] = (k % 16 < 8 ? 0.0 : 10.0) + ((k * 7) % 5 - 2) * 0.01;
    const Image out = bilateral(in, 16, 8, 5, 2.0, 1.0);
    double noise_in = 0, noise_out = 0;
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(out[i * 16 + 7], 0.0, 0.03);  // last column of the dark half
        EXPECT_NEAR(out[i * 16 + 8], 10.0, 0.03);
        noise_in += std::abs(in[i * 16 + 4]);
        noise_out += std::abs(out[i * 16 + 4]);
    }
    EXPECT_LT(noise_out, noise_in / 2);
}

TEST(Bilateral, EmptyWindowAndZeroWidthsGiveNaN) {
    const Image in(3 * 2, 1.0);
    for (int n : {0, -2})
        for (double v : bilateral(in, 3, 2, n, 0.1, 0.1)) EXPECT_EQ(std::bit_cast<std::uint64_t>(v), runtime_nan_bits());
    for (double v : bilateral(in, 3, 2, 3, 0.0, 0.1)) EXPECT_TRUE(std::isnan(v));
    for (double v : bilateral(in, 3, 2, 3, 0.1, 0.0)) EXPECT_TRUE(std::isnan(v));
    // (δ2 × 2) × δ2 and (v − t)² both infinite: a NaN range weight, even
    // for the neighbours whose spatial weight is 0.
    Image far_apart(7 * 7, 1.0);
    far_apart[0] = 1e200;  // pixel (3, 3) sees it only at offset (−3, −3), where ws = exp(−900) = 0
    const Image out = bilateral(far_apart, 7, 7, 7, 0.1, 1e200);
    EXPECT_TRUE(same_values(reference::bilateral(far_apart, 7, 7, 7, 0.1, 1e200), out));
    EXPECT_TRUE(std::isnan(out[3 * 7 + 3]));
}

TEST(Bilateral, MatchesTheStraightforwardFilterBitForBit) {
    // Without NaN as well: a window wider than the image would otherwise meet one everywhere.
    for (auto [w, h] : test_images::sizes) {
        for (bool with_nan : {false, true}) {
            const Image in = test_images::mixed(w, h, w * 5 + h, with_nan);
            for (int n : {1, 2, 3, 4, 7, 2 * std::max(w, h) + 1}) {
                for (auto [d1, d2] : {std::pair{0.1, 0.1}, {1.5, 0.7}, {50.0, 1e3}}) {
                    ASSERT_TRUE(same_values(reference::bilateral(in, w, h, n, d1, d2), bilateral(in, w, h, n, d1, d2)))
                        << w << "x" << h << " n " << n << " d1 " << d1 << " d2 " << d2 << " NaN " << with_nan;
                }
            }
        }
    }
}

}  // namespace
