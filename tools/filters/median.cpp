#include "tools/filters/median.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/sample_arrays.h"
#include "tools/filters/periodic.h"

namespace {

// The element at `rank` of the stably sorted window, given its value.
// Numbers that compare equal are the same number, except +0 and −0: a
// stable sort keeps the zeros in window order, so the one at that rank is
// the (rank − number of negatives)-th zero met in the window.
double at_stable_rank(const double* window, std::int64_t count, std::int64_t rank, double value) {
    if (value != 0.0) return value;
    std::int64_t zeros_to_skip = rank;
    for (std::int64_t k = 0; k < count; ++k) zeros_to_skip -= window[k] < 0.0 ? 1 : 0;
    for (std::int64_t k = 0; k < count; ++k) {
        if (window[k] == 0.0 && zeros_to_skip-- == 0) return window[k];
    }
    return value;  // not reached: the rank lies among the zeros
}

}  // namespace

int compare_ascending(const void* a, const void* b) {
    const double x = *static_cast<const double*>(a);
    const double y = *static_cast<const double*>(b);
    if (x > y) return 1;
    if (x < y) return -1;
    return 0;
}

double sorted_window_median(double* window, std::int64_t count, std::int32_t width) {
    std::qsort(window, static_cast<std::size_t>(count), sizeof(double), compare_ascending);
    const std::int64_t middle = count / 2;
    if (width % 2 != 0) return window[middle];
    return (window[middle - 1] + window[middle]) * 0.5;
}

double window_median(const double* window, double* scratch, std::int64_t count, std::int32_t width) {
    std::memcpy(scratch, window, static_cast<std::size_t>(count) * sizeof(double));
    // With a NaN the comparison is no ordering, and only qsort itself knows
    // where its merges leave each value.
    if (std::any_of(window, window + count, [](double v) { return std::isnan(v); })) {
        return sorted_window_median(scratch, count, width);
    }
    const std::int64_t middle = count / 2;
    std::nth_element(scratch, scratch + middle, scratch + count);
    const double upper = at_stable_rank(window, count, middle, scratch[middle]);
    if (width % 2 != 0) return upper;
    const double lower_value = *std::max_element(scratch, scratch + middle);
    const double lower = at_stable_rank(window, count, middle - 1, lower_value);
    return (lower + upper) * 0.5;
}

void median_smooth(const double* input, double* output, std::int32_t width, std::int32_t height,
                   std::int32_t window_width) {
    if (width <= 0 || height <= 0 || window_width <= 0) return;
    const std::int64_t a = window_width;
    const std::int64_t b = a / 2;
    const std::int64_t count = a * a;
    std::vector<double> window = take_samples(count);
    std::vector<double> scratch = take_samples(count);
    std::vector<std::int64_t> row_starts = take_array<std::int64_t>(a);
    std::vector<std::int64_t> columns = take_array<std::int64_t>(a);

    for (std::int64_t i = 0; i < height; ++i) {
        for (std::int64_t l = 0; l < a; ++l) row_starts[l] = wrap_index(l - b + i, height) * width;
        for (std::int64_t j = 0; j < width; ++j) {
            for (std::int64_t m = 0; m < a; ++m) columns[m] = wrap_index(m - b + j, width);
            double* gathered = window.data();
            for (std::int64_t l = 0; l < a; ++l) {
                const double* row = input + row_starts[l];
                for (std::int64_t m = 0; m < a; ++m) *gathered++ = row[columns[m]];
            }
            output[i * width + j] = window_median(window.data(), scratch.data(), count, window_width);
        }
    }
}
