// The fast ordering must give exactly the selection sort's permutation,
// ties, signed zeros and NaN included.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "tools/resolution/distance_order.h"
#include "tools/resolution/edge_spread.h"

namespace {

// The straightforward quadratic procedure the fast ordering replaces.
void selection_sort(std::vector<double>& distance, std::vector<double>& value) {
    const std::size_t n = distance.size();
    for (std::size_t p = 0; p + 1 < n; ++p) {
        std::size_t q = p;
        for (std::size_t i = p + 1; i < n; ++i) {
            if (distance[i] < distance[q]) q = i;
        }
        std::swap(distance[p], distance[q]);
        std::swap(value[p], value[q]);
    }
}

std::vector<std::uint64_t> bits(const std::vector<double>& v) {
    std::vector<std::uint64_t> out;
    for (double x : v) out.push_back(std::bit_cast<std::uint64_t>(x));
    return out;
}

// Sorts the distances both ways, with each pixel's position as its value,
// and requires the same bits and the same permutation.
void expect_same_order(const std::vector<double>& distance) {
    std::vector<double> slow = distance, fast = distance;
    std::vector<double> slow_pos(distance.size()), fast_pos(distance.size());
    for (std::size_t i = 0; i < distance.size(); ++i) slow_pos[i] = fast_pos[i] = static_cast<double>(i);
    selection_sort(slow, slow_pos);
    sort_by_distance(fast.data(), fast_pos.data(), static_cast<std::int64_t>(fast.size()));
    ASSERT_EQ(bits(fast), bits(slow));
    ASSERT_EQ(fast_pos, slow_pos);
}

TEST(SortByDistance, MatchesSelectionSortOnEdgeGeometries) {
    const double degrees = 3.14159265358979 / 180;
    // Square, odd and single-row/column images; untilted, diagonal, steep,
    // reversed and slightly tilted edges give runs of exactly equal distances.
    const std::pair<int, int> sizes[] = {{16, 16}, {5, 7}, {9, 9}, {7, 4}, {1, 11}, {13, 1}, {32, 31}};
    const double angles[] = {0.0, 45 * degrees, -45 * degrees, 90 * degrees, 180 * degrees, -180 * degrees,
                             2.978 * degrees, -0.0};
    for (auto [w, h] : sizes) {
        for (double theta : angles) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << " at " << theta);
            expect_same_order(distance_map(w, h, theta));
        }
    }
}

TEST(SortByDistance, MatchesSelectionSortOnHeavyTiesAndSignedZeros) {
    std::mt19937 random(4);
    const double pool[] = {0.0, -0.0, 1.5, -1.5, 0.25, -3.0, 1e-300};
    for (int round = 0; round < 200; ++round) {
        std::vector<double> d(random() % 90);
        for (double& x : d) x = pool[random() % 7];
        expect_same_order(d);
    }
    expect_same_order({});
    expect_same_order({-0.0});
    expect_same_order({0.0, -0.0});
    expect_same_order({-0.0, 0.0, -0.0, 0.0});
}

TEST(SortByDistance, NaNDistancesStayWhereTheSelectionSortLeavesThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    expect_same_order(std::vector<double>(37, nan));  // a NaN angle: every distance NaN
    expect_same_order(distance_map(6, 5, nan));
    std::mt19937 random(7);
    const double pool[] = {nan, 0.0, -0.0, 2.0, -2.0, inf, -inf};
    for (int round = 0; round < 200; ++round) {
        std::vector<double> d(random() % 60);
        for (double& x : d) x = pool[random() % 7];
        expect_same_order(d);
    }
}

TEST(SortByDistance, MatchesSelectionSortOnRandomDistinctDistances) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> uniform(-50, 50);
    std::vector<double> d(3000);
    for (double& x : d) x = uniform(random);
    expect_same_order(d);
}

}  // namespace
