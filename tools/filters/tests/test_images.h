#pragma once
// Small test images for the filter tests, and an exact comparison.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace test_images {

// Values a filter must not confuse: ties, both zeros, negatives, and (when
// asked) NaN and infinities, in a repeatable pseudo-random order.
inline std::vector<double> mixed(int w, int h, std::uint32_t seed, bool with_nan = false) {
    std::vector<double> image(static_cast<std::size_t>(w) * h);
    std::uint32_t state = seed * 2654435761u + 1;
    for (double& v : image) {
        state = state * 1664525u + 1013904223u;
        const std::uint32_t r = state >> 8;
        switch (r % 8) {
            case 0: v = 0.0; break;
            case 1: v = -0.0; break;
            case 2: v = static_cast<double>(r % 3); break;
            case 3: v = -static_cast<double>(r % 5); break;
            case 4: v = with_nan && r % 5 == 0 ? std::numeric_limits<double>::quiet_NaN() : 0.25; break;
            case 5: v = with_nan && r % 7 == 0 ? -std::numeric_limits<double>::infinity() : 1.0; break;
            default: v = static_cast<double>(r % 1000) / 997.0 - 0.5; break;
        }
    }
    return image;
}

// Equal bit for bit (so +0 differs from −0); the first difference is named.
// Where the filter computes rather than moves its values, `any_nan` lets
// every NaN match every other: which NaN an operation on two NaNs passes on
// is the compiler's choice of operand order, not the filter's.
inline ::testing::AssertionResult same_bits(const std::vector<double>& expected, const std::vector<double>& actual,
                                            bool any_nan = false) {
    if (expected.size() != actual.size()) return ::testing::AssertionFailure() << "sizes differ";
    for (std::size_t k = 0; k < expected.size(); ++k) {
        if (any_nan && std::isnan(expected[k]) && std::isnan(actual[k])) continue;
        if (std::bit_cast<std::uint64_t>(expected[k]) != std::bit_cast<std::uint64_t>(actual[k])) {
            return ::testing::AssertionFailure() << "sample " << k << ": expected " << expected[k] << " (sign "
                                                 << std::signbit(expected[k]) << "), got " << actual[k] << " (sign "
                                                 << std::signbit(actual[k]) << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

// The same for computed values.
inline ::testing::AssertionResult same_values(const std::vector<double>& expected, const std::vector<double>& actual) {
    return same_bits(expected, actual, true);
}

// The sizes every filter is tried on: odd, single rows and columns, one pixel.
struct Size {
    int w, h;
};
inline const std::vector<Size> sizes = {{1, 1}, {1, 5}, {6, 1}, {2, 2}, {5, 3}, {7, 8}};

}  // namespace test_images
