// The pieces of the edge measurement: crossing, edge offset, ESF windows,
// LSF, the drawn edge and the MTF window correction.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "tools/resolution/distance_order.h"
#include "tools/resolution/edge_spread.h"
#include "tools/resolution/edge_target.h"
#include "tools/resolution/transfer.h"

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(HalfMaxCrossing, InterpolatesBetweenTheSamplesAroundHalfTheMaximum) {
    // max 4, half 2: first above is index 2 (3 > 2); t = (3 − 2) / (3 − 1) = 0.5.
    const std::vector<double> v = {0, 1, 3, 4, 2};
    const Crossing c = half_max_crossing(v.data(), 5);
    EXPECT_DOUBLE_EQ(c.index, 1.5);
    EXPECT_FALSE(c.starts_above_half);
    // Strictly greater: a sample exactly at half does not count.
    const std::vector<double> at_half = {0, 2, 4};
    EXPECT_DOUBLE_EQ(half_max_crossing(at_half.data(), 3).index, 1.0);
    // Half the maximum, not the midpoint of minimum and maximum.
    const std::vector<double> raised = {2, 2, 3, 4};
    EXPECT_DOUBLE_EQ(half_max_crossing(raised.data(), 4).index, 1.0);  // the midpoint 3 would give 2
}

TEST(HalfMaxCrossing, NeverReadsOutsideItsSequence) {
    // Bright first: r becomes 1, flagged; t = (1 − 0.5) / (1 − 0.8) = 2.5.
    const std::vector<double> bright_first = {0.8, 1.0, 0.0};
    const Crossing c = half_max_crossing(bright_first.data(), 3);
    EXPECT_TRUE(c.starts_above_half);
    EXPECT_DOUBLE_EQ(c.index, -1.5);
    // Nothing above half (all ≤ 0): r = 1, not flagged.
    const std::vector<double> dark = {-1, -2, -3};
    const Crossing none = half_max_crossing(dark.data(), 3);
    EXPECT_FALSE(none.starts_above_half);
    EXPECT_DOUBLE_EQ(none.index, 1 - (-2 + 0.5) / (-2 + 1));
    // Too short to interpolate.
    EXPECT_EQ(half_max_crossing(dark.data(), 1).index, 0.0);
    EXPECT_EQ(half_max_crossing(nullptr, 0).index, 0.0);
    // A constant row has no crossing: NaN.
    const std::vector<double> flat = {0.5, 0.5, 0.5};
    EXPECT_TRUE(std::isnan(half_max_crossing(flat.data(), 3).index));
}

TEST(EdgeOffsetIndex, OnlyFiniteIndicesInsideTheList) {
    EXPECT_EQ(edge_offset_index(3.49, 10), 3);
    EXPECT_EQ(edge_offset_index(3.5, 10), 4);
    EXPECT_EQ(edge_offset_index(-0.7, 10), 0);  // trunc(−0.2) is 0
    EXPECT_EQ(edge_offset_index(9.4, 10), 9);
    EXPECT_EQ(edge_offset_index(9.5, 10), std::nullopt);
    EXPECT_EQ(edge_offset_index(-1.6, 10), std::nullopt);
    EXPECT_EQ(edge_offset_index(0.0, 0), std::nullopt);
    EXPECT_EQ(edge_offset_index(nan, 10), std::nullopt);
    EXPECT_EQ(edge_offset_index(std::numeric_limits<double>::infinity(), 10), std::nullopt);
}

// Every point scans the whole sorted list, as the windows are defined.
std::vector<double> edge_spread_by_full_scan(const std::vector<double>& d, const std::vector<double>& v,
                                             std::int64_t points, double delta, double d0) {
    std::vector<double> esf(points);
    for (std::int64_t b = 0; b < points; ++b) {
        const double centre = static_cast<double>(b - points / 2) * delta + d0;
        const double lower = centre - delta, upper = centre + delta;
        double sum = 0;
        int count = 0;
        for (std::size_t i = 0; i < d.size(); ++i) {
            if (lower <= d[i] && d[i] < upper) {
                sum += v[i];
                ++count;
            }
        }
        esf[b] = sum / count;
    }
    return esf;
}

std::vector<std::uint64_t> bits(const std::vector<double>& v) {
    std::vector<std::uint64_t> out;
    for (double x : v) out.push_back(std::bit_cast<std::uint64_t>(x));
    return out;
}

TEST(EdgeSpread, WindowSumsMatchTheFullScanBitForBit) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> noise(-0.3, 0.3);
    const double degrees = 3.14159265358979 / 180;
    struct Case {
        int w, h;
        double angle, delta, d0;
        std::int64_t points;
    };
    const Case cases[] = {
        {32, 32, 3 * degrees, 0.1, 0.37, 64},  // the usual oversampling
        {9, 7, 0.0, 0.5, 0.0, 33},  // untilted: window edges fall on the distances
        {15, 15, 45 * degrees, 0.25, -0.5, 40},
        {20, 20, 3 * degrees, 0.01, 0.0, 64},  // many empty windows
        {8, 8, 3 * degrees, 100.0, 0.0, 5},  // every pixel in every window
        {8, 8, 3 * degrees, -0.1, 0.0, 8},  // lower above upper: all empty
        {8, 8, 3 * degrees, nan, 0.0, 4},
        {8, 8, nan, 0.1, 0.0, 6},  // NaN angle: NaN distances
        {8, 8, 3 * degrees, 0.1, 0.0, 1},
        {8, 8, 3 * degrees, 0.1, 0.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " delta " << c.delta << " points " << c.points);
        std::vector<double> d = distance_map(c.w, c.h, c.angle);
        std::vector<double> v(d.size());
        for (double& x : v) x = noise(random);
        sort_by_distance(d.data(), v.data(), static_cast<std::int64_t>(d.size()));
        EXPECT_EQ(bits(edge_spread(d, v, c.points, c.delta, c.d0)),
                  bits(edge_spread_by_full_scan(d, v, c.points, c.delta, c.d0)));
    }
}

TEST(LineSpread, ForwardDifferencesAndAZeroLastPoint) {
    const std::vector<double> esf = {0, 0.1, 0.6, 1.0};
    std::vector<double> lsf(4, -1);
    line_spread(esf.data(), 4, 0.5, lsf.data());
    EXPECT_EQ(lsf, (std::vector<double>{(0.1 - 0) / 0.5, (0.6 - 0.1) / 0.5, (1.0 - 0.6) / 0.5, 0}));
    double one = -1;
    line_spread(esf.data(), 1, 0.5, &one);
    EXPECT_EQ(one, 0);
    line_spread(esf.data(), 0, 0.5, nullptr);  // nothing to write, nothing before the array
}

TEST(DistanceMap, UntiltedDistancesAreColumnOffsets) {
    const std::vector<double> d = distance_map(5, 3, 0.0);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 5; ++j) EXPECT_EQ(d[i * 5 + j], j - 2);
    }
}

TEST(DrawStepEdge, GeometryOfTheSigmoidEdge) {
    std::vector<double> image(256 * 256);
    draw_step_edge(image, 256, 256, 2, 3.0);
    EXPECT_EQ(image[128 * 256 + 128], 0.5);
    EXPECT_LT(image[0], 1e-100);
    EXPECT_GT(image[255 * 256 + 255], 1 - 1e-12);

    std::vector<double> odd(25);
    draw_step_edge(odd, 5, 5, 1, 0.0);
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) EXPECT_EQ(odd[i * 5 + j], 1 / (std::exp(-(j - 2.0)) + 1));
    }
    draw_step_edge(odd, 5, 5, 3, 90.0);  // horizontal: bright on top
    EXPECT_GT(odd[0 * 5 + 2], 0.99);
    EXPECT_LT(odd[4 * 5 + 2], 0.01);
    draw_step_edge(odd, 5, 5, 0, 30.0);
    for (double x : odd) EXPECT_EQ(x, 0.5);
}

TEST(Transfer, PointCountsTheTransformTakes) {
    for (std::int32_t n : {2, 4, 256, 1 << 29}) EXPECT_TRUE(is_transfer_point_count(n)) << n;
    for (std::int32_t n : {-256, 0, 1, 3, 6, 255, 1 << 30, INT32_MIN}) EXPECT_FALSE(is_transfer_point_count(n)) << n;
}

TEST(Transfer, NormalisedAtZeroFrequencyAndCorrectedForTheWindow) {
    // A symmetric triangle about element n: a real spectrum, 1 at zero frequency.
    const std::int32_t n = 8;
    std::vector<double> lsf(2 * n, 0.0);
    lsf[n - 1] = 0.25, lsf[n] = 0.5, lsf[n + 1] = 0.25;
    std::vector<double> mtf(n);
    transfer_from_line_spread(lsf.data(), n, mtf.data());
    EXPECT_EQ(mtf[0], 1.0);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(mtf[i], 0.5 + 0.5 * std::cos(3.14159265358979 * i / n), 1e-12);

    std::vector<double> ones(256, 1.0);
    correct_for_window(ones.data(), 256, 0.1);
    correct_for_window(ones.data(), 256, 0.1);
    EXPECT_EQ(ones[0], 1.0);
    EXPECT_NEAR(ones[128], 3.14159265358979 * 3.14159265358979 / 4, 1e-12);  // (π/2)²
    EXPECT_NEAR(ones[255], 6.5e4, 1e3);
}

}  // namespace
