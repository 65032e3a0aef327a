// The five filters share out output rows among the threads: the same bytes
// for every thread count, on an odd-sized image with zeros of both signs,
// NaN and infinities.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/thread_counts.h"
#include "tests/support/tool_runner.h"
#include "tools/filters/bilateral.h"
#include "tools/filters/gaussian.h"
#include "tools/filters/median.h"
#include "tools/filters/tests/test_images.h"
#include "tools/filters/three_by_three.h"

namespace {

constexpr int width = 41, height = 27;

template <typename Filter>
void expect_same_bytes_for_every_thread_count_of(const char* name, Filter filter) {
    SCOPED_TRACE(name);
    const std::vector<double> in = test_images::mixed(width, height, 17, true);
    expect_same_bytes_for_every_thread_count([&] {
        std::vector<double> out(in.size(), 0.0);
        filter(in.data(), out.data());
        return out;
    });
}

TEST(ThreadCounts, EveryFilterGivesTheSameBytes) {
    expect_same_bytes_for_every_thread_count_of("moving average", [](const double* in, double* out) {
        moving_average_3x3(in, out, width, height);
    });
    expect_same_bytes_for_every_thread_count_of("weighted average", [](const double* in, double* out) {
        weighted_average_3x3(in, out, width, height, make_smoothing_kernel(1, 2, 4));
    });
    expect_same_bytes_for_every_thread_count_of("gaussian", [](const double* in, double* out) {
        gaussian_smooth(in, out, width, height, 3);
    });
    for (int window : {3, 4})
        expect_same_bytes_for_every_thread_count_of("median", [&](const double* in, double* out) {
            median_smooth(in, out, width, height, window);
        });
    expect_same_bytes_for_every_thread_count_of("bilateral", [](const double* in, double* out) {
        bilateral_smooth(in, out, width, height, 7, 2.0, 0.5);
    });
}

// Rows finish in any order on eight threads; the progress still counts
// 1, 2, … up to the last row, as on one thread.
TEST(ThreadCounts, ProgressCountsTheRowsInOrder) {
    const std::vector<double> in = test_images::mixed(width, height, 5);
    std::vector<double> out(in.size());
    std::string expected;
    for (int row = 1; row <= height; ++row)
        expected += "\r *** Filter [" + std::string(row < 10 ? "  " : " ") + std::to_string(row) + "/ 27]" +
                    (row == height ? "\n" : "");
    const std::int32_t saved = thread_count();
    set_thread_count(8);
    for (int filter = 0; filter < 2; ++filter) {
        std::FILE* stream = stream_writing();
        ASSERT_NE(stream, nullptr);
        RowProgress progress("Filter", height, stream);
        if (filter == 0)
            median_smooth(in.data(), out.data(), width, height, 3, &progress);
        else
            bilateral_smooth(in.data(), out.data(), width, height, 5, 1.0, 0.5, &progress);
        std::rewind(stream);
        std::string text;
        for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
        std::fclose(stream);
        EXPECT_EQ(text, expected) << (filter == 0 ? "median" : "bilateral");
    }
    set_thread_count(saved);
}

}  // namespace
