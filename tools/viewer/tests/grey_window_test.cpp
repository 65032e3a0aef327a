#include "tools/viewer/grey_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(GreyWindow, RampMapsLinearlyRoundingToTheNearestLevel) {
    // 0 … 8 in a window of 0 … 8: level i × 31.875 (exact in binary), halves rounded up.
    std::vector<double> ramp;
    for (int i = 0; i <= 8; ++i) ramp.push_back(i);
    const auto grey = map_to_grey(ramp, 9, 1, {0.0, 8.0});
    EXPECT_EQ(grey, (std::vector<unsigned char>{0, 32, 64, 96, 128, 159, 191, 223, 255}));

    // A ramp of 256 steps over its own range gives every level once.
    std::vector<double> full;
    for (int i = 0; i < 256; ++i) full.push_back(-3.0 + i * 0.5);
    const auto levels = map_to_grey(full, 16, 16, finite_range(full.data(), 256));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(levels[i], i) << "sample " << i;
}

TEST(GreyWindow, ValuesOutsideTheWindowClampAndAReversedWindowInverts) {
    const DisplayWindow window{1.0, 2.0};
    EXPECT_EQ(grey_level(0.5, window), 0);
    EXPECT_EQ(grey_level(-1e300, window), 0);
    EXPECT_EQ(grey_level(2.5, window), 255);
    EXPECT_EQ(grey_level(1e300, window), 255);
    EXPECT_EQ(grey_level(-inf, window), 0);
    EXPECT_EQ(grey_level(inf, window), 255);
    EXPECT_EQ(grey_level(1.25, {2.0, 1.0}), 191);  // 0.75 × 255 = 191.25
    EXPECT_EQ(grey_level(2.0, {2.0, 1.0}), 0);
    EXPECT_EQ(grey_level(1.0, {2.0, 1.0}), 255);
}

TEST(GreyWindow, NanIsBlackWhateverTheWindow) {
    EXPECT_EQ(grey_level(nan, {0.0, 1.0}), 0);
    EXPECT_EQ(grey_level(nan, {1.0, 0.0}), 0);
    EXPECT_EQ(grey_level(nan, {0.5, 0.5}), 0);
    // A window with a NaN end or an infinite width has no levels to give: black, never a crash.
    EXPECT_EQ(grey_level(0.5, {nan, 1.0}), 0);
    EXPECT_EQ(grey_level(0.5, {-inf, inf}), 0);
    EXPECT_EQ(grey_level(0.5, {-1.7e308, 1.7e308}), 0);  // width overflows to infinity
    EXPECT_EQ(grey_level(0.0, {-8e307, 8e307}), 128);
}

TEST(GreyWindow, ZeroWidthWindowThresholdsInsteadOfDividingByZero) {
    const DisplayWindow flat{0.5, 0.5};
    EXPECT_EQ(grey_level(0.5, flat), 0);
    EXPECT_EQ(grey_level(0.4, flat), 0);
    EXPECT_EQ(grey_level(0.6, flat), 255);
    EXPECT_EQ(grey_level(inf, flat), 255);

    // A constant image in its own window: one level throughout.
    const std::vector<double> constant(12, 7.25);
    const DisplayWindow own = choose_window(constant.data(), 12, 0.0, 0.0);
    EXPECT_EQ(own.low, 7.25);
    EXPECT_EQ(own.high, 7.25);
    EXPECT_EQ(map_to_grey(constant, 4, 3, own), std::vector<unsigned char>(12, 0));
}

TEST(GreyWindow, OwnRangeLeavesOutNanAndInfinities) {
    const std::vector<double> samples{nan, inf, 3.0, -inf, -2.0, 5.5, nan, 0.0};
    const DisplayWindow range = finite_range(samples.data(), 8);
    EXPECT_EQ(range.low, -2.0);
    EXPECT_EQ(range.high, 5.5);
    // The first finite sample may also be the largest or the smallest.
    const std::vector<double> falling{9.0, 4.0, 1.0};
    EXPECT_EQ(finite_range(falling.data(), 3).low, 1.0);
    EXPECT_EQ(finite_range(falling.data(), 3).high, 9.0);

    const std::vector<double> nothing_finite{nan, inf, -inf};
    const DisplayWindow none = finite_range(nothing_finite.data(), 3);
    EXPECT_EQ(none.low, 0.0);
    EXPECT_EQ(none.high, 0.0);
    EXPECT_EQ(map_to_grey(nothing_finite, 3, 1, none), (std::vector<unsigned char>{0, 255, 0}));
    EXPECT_EQ(finite_range(nullptr, 0).low, 0.0);
}

TEST(GreyWindow, OnlyBothEndsZeroMeanTheImagesOwnRange) {
    const std::vector<double> samples{-4.0, 8.0};
    EXPECT_EQ(choose_window(samples.data(), 2, 0.0, 0.0).low, -4.0);
    EXPECT_EQ(choose_window(samples.data(), 2, -0.0, 0.0).high, 8.0);
    EXPECT_EQ(choose_window(samples.data(), 2, 0.0, 1.0).low, 0.0);
    EXPECT_EQ(choose_window(samples.data(), 2, 0.0, 1.0).high, 1.0);
    EXPECT_EQ(choose_window(samples.data(), 2, -1.0, 0.0).low, -1.0);
    EXPECT_EQ(choose_window(samples.data(), 2, -1.0, 0.0).high, 0.0);
}

}  // namespace
