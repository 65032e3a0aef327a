// The five filters share out output rows among the threads: the same bytes
// for every thread count, on an odd-sized image with zeros of both signs,
// NaN and infinities.

#include <gtest/gtest.h>

#include "tests/support/thread_counts.h"
#include "tools/filters/bilateral.h"
#include "tools/filters/gaussian.h"
#include "tools/filters/median.h"
#include "tools/filters/tests/test_images.h"
#include "tools/filters/three_by_three.h"

namespace {

constexpr int width = 41, height = 27;

template <typename Filter>
void expect_same_bytes_for_every_thread_count_of(Filter filter) {
    const std::vector<double> in = test_images::mixed(width, height, 17, true);
    expect_same_bytes_for_every_thread_count([&] {
        std::vector<double> out(in.size(), 0.0);
        filter(in.data(), out.data());
        return out;
    });
}

TEST(ThreadCounts, EveryFilterGivesTheSameBytes) {
    expect_same_bytes_for_every_thread_count_of([](const double* in, double* out) {
        moving_average_3x3(in, out, width, height);
    });
    expect_same_bytes_for_every_thread_count_of([](const double* in, double* out) {
        weighted_average_3x3(in, out, width, height, make_smoothing_kernel(1, 2, 4));
    });
    expect_same_bytes_for_every_thread_count_of([](const double* in, double* out) {
        gaussian_smooth(in, out, width, height, 3);
    });
    for (int window : {3, 4})
        expect_same_bytes_for_every_thread_count_of([&](const double* in, double* out) {
            median_smooth(in, out, width, height, window);
        });
    expect_same_bytes_for_every_thread_count_of([](const double* in, double* out) {
        bilateral_smooth(in, out, width, height, 7, 2.0, 0.5);
    });
}

}  // namespace
