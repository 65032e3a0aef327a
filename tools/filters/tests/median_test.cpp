// The median filter and its selection, held to what qsort itself yields.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/filters/median.h"
#include "tools/filters/tests/reference_filters.h"
#include "tools/filters/tests/test_images.h"

namespace {

using test_images::same_bits;
using Image = std::vector<double>;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

Image median(const Image& in, int w, int h, int a) {
    Image out(in.size(), 0.0);
    median_smooth(in.data(), out.data(), w, h, a);
    return out;
}

// Selection against the literal sort, one window at a time.
::testing::AssertionResult selects_like_qsort(const Image& window, int width) {
    Image sorted = window, scratch(window.size());
    const double expected = sorted_window_median(sorted.data(), static_cast<std::int64_t>(sorted.size()), width);
    const double actual = window_median(window.data(), scratch.data(), static_cast<std::int64_t>(window.size()), width);
    return same_bits({expected}, {actual});
}

TEST(WindowMedian, SignOfZeroFollowsTheWindowOrder) {
    // A stable sort keeps +0 and −0 in gathered order; the median is the one at the middle rank.
    EXPECT_TRUE(selects_like_qsort({0.0, -0.0, -0.0, 1, -1, 0.0, 2, 0.0, -0.0}, 3));
    EXPECT_TRUE(selects_like_qsort({-0.0, 0.0, 0.0, 1, -1, -0.0, 2, 0.0, -0.0}, 3));
    EXPECT_TRUE(selects_like_qsort({-0.0, 0.0, 5, -5}, 2));  // mean of −0 and +0 is +0
    EXPECT_TRUE(selects_like_qsort({-0.0, -0.0, 5, -5}, 2));
    EXPECT_TRUE(selects_like_qsort({0.0, -0.0, 0.0, -0.0}, 2));
    EXPECT_TRUE(selects_like_qsort({3, -0.0, 4, 0.0}, 2));  // lower middle a zero, upper not
    EXPECT_TRUE(selects_like_qsort({-0.0}, 1));
    Image scratch(9);
    // One negative, so the median is the fourth zero met in the window.
    const Image positive = {0.0, -0.0, -0.0, 1, -1, 0.0, 2, 0.0, -0.0};
    EXPECT_FALSE(std::signbit(window_median(positive.data(), scratch.data(), 9, 3)));
    const Image negative = {0.0, -0.0, -0.0, 1, -1, -0.0, 2, 0.0, 0.0};
    EXPECT_TRUE(std::signbit(window_median(negative.data(), scratch.data(), 9, 3)));
}

TEST(WindowMedian, EveryArrangementOfSmallWindowsAndNaNs) {
    // All 4 × 4 windows over a few values, and random 5 × 5 and 6 × 6 ones with NaN.
    const double values[] = {-0.0, 0.0, 1, -1, nan, std::numeric_limits<double>::infinity()};
    for (int code = 0; code < 6 * 6 * 6 * 6; ++code) {
        Image window(4);
        for (int k = 0, c = code; k < 4; ++k, c /= 6) window[k] = values[c % 6];
        ASSERT_TRUE(selects_like_qsort(window, 2)) << code;
    }
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        ASSERT_TRUE(selects_like_qsort(test_images::mixed(5, 5, seed, seed % 3 == 0), 5)) << seed;
        ASSERT_TRUE(selects_like_qsort(test_images::mixed(6, 6, seed, seed % 3 == 0), 6)) << seed;
    }
}

TEST(Median, OutlierGoesEdgeStaysAndWidthOneCopies) {
    Image flat(7 * 5, 2.0);
    flat[2 * 7 + 3] = 100;
    EXPECT_EQ(median(flat, 7, 5, 3), Image(7 * 5, 2.0));
    Image edge(6 * 4);
    for (int k = 0; k < 6 * 4; ++k) edge[k] = k % 6 < 3 ? 1.0 : 5.0;
    Image expected = edge;  // wraps: column 5 sees column 0, column 0 sees column 5
    EXPECT_EQ(median(edge, 6, 4, 3), expected);
    const Image any = test_images::mixed(5, 3, 9, true);
    EXPECT_TRUE(same_bits(any, median(any, 5, 3, 1)));
}

TEST(Median, EvenWidthAveragesTheMiddlePairReachingUpAndLeft) {
    // 2 × 2 windows of rows i − 1, i and columns j − 1, j.
    const Image in = {1, 2, 3, 10, 20, 30};
    const Image out = median(in, 3, 2, 2);
    EXPECT_EQ(out[1 * 3 + 1], (2 + 10) * 0.5);  // {1, 2, 10, 20}
    EXPECT_EQ(out[0], (3 + 10) * 0.5);  // {30, 10, 3, 1}: row 1 and column 2 wrapped
}

TEST(Median, MatchesQsortOnEveryImageAndWidth) {
    // Widths up to twice the image, so windows wrap more than once.
    for (auto [w, h] : test_images::sizes) {
        for (int a = 1; a <= 2 * std::max(w, h) + 1; ++a) {
            for (int kind : {0, 1, 2, 3, 4}) {
                // NaN, and zeros of both signs, send a window to the gathered selection;
                // without them (or with zeros of one sign) the sliding window gives the value.
                Image in = test_images::mixed(w, h, a * 131 + w * 7 + h + kind, kind == 1);
                if (kind >= 2) std::replace(in.begin(), in.end(), 0.0, kind == 2 ? 3.0 : kind == 3 ? 0.0
                                                                                                   : -0.0);
                ASSERT_TRUE(same_bits(reference::median(in, w, h, a), median(in, w, h, a)))
                    << w << "x" << h << " width " << a << " kind " << kind;
            }
        }
    }
}

TEST(Median, LargerImagesSlideThroughNaNsAndZeros) {
    for (int a : {3, 4, 15}) {
        Image in = test_images::mixed(40, 23, a, true);
        for (std::size_t k = 0; k < in.size(); ++k) {
            if (k % 97 > 2 && std::isnan(in[k])) in[k] = 0.5;  // a few NaN, in short runs
            if (k % 5 != 0 && in[k] == 0.0) in[k] = static_cast<double>(k % 11);
        }
        ASSERT_TRUE(same_bits(reference::median(in, 40, 23, a), median(in, 40, 23, a))) << "width " << a;
    }
}

TEST(Median, EmptyWindowOrImageWritesNothing) {
    Image out(4, 7.0);
    const Image in(4, 1.0);
    median_smooth(in.data(), out.data(), 2, 2, 0);
    median_smooth(in.data(), out.data(), 2, 2, -4);
    median_smooth(in.data(), out.data(), -2, -2, 3);
    EXPECT_EQ(out, Image(4, 7.0));
}

}  // namespace
