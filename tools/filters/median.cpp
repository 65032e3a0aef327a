#include "tools/filters/median.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/console_text.h"
#include "common/parallel.h"
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

// Sorts values[0 … count − 1] by compare_ascending exactly as glibc's qsort
// does: a top-down merge sort that splits at count / 2 and, on a tie or a
// comparison with a NaN, takes from the left half. Written out here so that
// every system, Windows with its own qsort included, sorts a window holding
// NaNs into the same order.
void merge_sort_ascending(double* values, std::int64_t count, double* scratch) {
    if (count <= 1) return;
    const std::int64_t left_count = count / 2;
    merge_sort_ascending(values, left_count, scratch);
    merge_sort_ascending(values + left_count, count - left_count, scratch);
    const double* left = values;
    const double* right = values + left_count;
    const double* const left_end = right;
    const double* const right_end = values + count;
    double* out = scratch;
    while (left < left_end && right < right_end) {
        *out++ = compare_ascending(left, right) <= 0 ? *left++ : *right++;
    }
    while (left < left_end) *out++ = *left++;
    std::memcpy(values, scratch, static_cast<std::size_t>(out - scratch) * sizeof(double));
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
    std::vector<double> scratch(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    merge_sort_ascending(window, count, scratch.data());
    const std::int64_t middle = count / 2;
    if (width % 2 != 0) return window[middle];
    return (window[middle - 1] + window[middle]) * 0.5;
}

double window_median(const double* window, double* scratch, std::int64_t count, std::int32_t width) {
    std::memcpy(scratch, window, static_cast<std::size_t>(count) * sizeof(double));
    // With a NaN the comparison is no ordering, and only the merges
    // themselves know where they leave each value.
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

namespace {

// The numbers of one band of `a` rows, window after window along the band:
// the window's columns, each sorted, in a ring of `a` slots, and all its
// numbers sorted. Sliding one pixel right replaces the oldest column and
// merges instead of sorting again. NaNs are counted, never sorted; zeros are
// counted by sign, so that a zero median needs the window order only when
// both signs are in the window.
class SlidingWindow {
  public:
    explicit SlidingWindow(std::int64_t a)
        : a_(a), slots_(take_samples(a * a)), sizes_(take_array<std::int64_t>(a)), counts_(take_array<Census>(a)), leaving_(take_samples(a)), sorted_(take_samples(a * a)), merged_(take_samples(a * a)) {}

    // The window whose first column is image column `first` (already wrapped).
    void start(const double* input, const std::int64_t* row_starts, std::int64_t first, std::int64_t width) {
        size_ = 0;
        total_ = {};
        oldest_ = 0;
        for (std::int64_t s = 0; s < a_; ++s) {
            load(s, input, row_starts, wrap_index(first + s, width));
            std::copy_n(slot(s), sizes_[s], sorted_.data() + size_);
            size_ += sizes_[s];
            total_ += counts_[s];
        }
        std::sort(sorted_.data(), sorted_.data() + size_);
    }

    // One pixel to the right: `column` (wrapped) replaces the window's first one.
    void slide(const double* input, const std::int64_t* row_starts, std::int64_t column) {
        const std::int64_t s = oldest_;
        const std::int64_t leaving = sizes_[s];
        std::copy_n(slot(s), leaving, leaving_.data());
        total_ -= counts_[s];
        load(s, input, row_starts, column);
        total_ += counts_[s];
        oldest_ = (s + 1) % a_;
        merge(leaving_.data(), leaving, slot(s), sizes_[s]);
    }

    // The value at `rank` of the stably sorted window, when the counts settle
    // it: no NaN in the window, and no zero of each sign where a zero is asked.
    bool settled(std::int64_t rank, double& value) const {
        if (total_.nans > 0) return false;
        value = sorted_[rank];
        if (value != 0.0) return true;
        if (total_.negative_zeros == 0)
            value = 0.0;
        else if (total_.negative_zeros == total_.zeros)
            value = -0.0;
        else
            return false;
        return true;
    }

  private:
    struct Census {
        std::int64_t nans = 0, zeros = 0, negative_zeros = 0;
        void operator+=(const Census& c) { nans += c.nans, zeros += c.zeros, negative_zeros += c.negative_zeros; }
        void operator-=(const Census& c) { nans -= c.nans, zeros -= c.zeros, negative_zeros -= c.negative_zeros; }
    };

    double* slot(std::int64_t s) { return slots_.data() + s * a_; }

    void load(std::int64_t s, const double* input, const std::int64_t* row_starts, std::int64_t column) {
        double* values = slot(s);
        Census& c = counts_[s];
        c = {};
        std::int64_t n = 0;
        for (std::int64_t l = 0; l < a_; ++l) {
            const double v = input[row_starts[l] + column];
            if (std::isnan(v)) {
                ++c.nans;
                continue;
            }
            if (v == 0.0) {
                ++c.zeros;
                c.negative_zeros += std::signbit(v) ? 1 : 0;
            }
            values[n++] = v;
        }
        std::sort(values, values + n);
        sizes_[s] = n;
    }

    // sorted_ less the leaving numbers plus the entering ones, in order.
    // Numbers that compare equal are interchangeable here (the sign of a
    // zero is settled from the counts or the gathered window).
    void merge(const double* leave, std::int64_t leave_count, const double* enter, std::int64_t enter_count) {
        std::int64_t l = 0, e = 0, n = 0;
        for (std::int64_t k = 0; k < size_; ++k) {
            const double x = sorted_[k];
            if (l < leave_count && x == leave[l]) {
                ++l;
                continue;
            }
            while (e < enter_count && enter[e] < x) merged_[n++] = enter[e++];
            merged_[n++] = x;
        }
        while (e < enter_count) merged_[n++] = enter[e++];
        size_ = n;
        sorted_.swap(merged_);
    }

    std::int64_t a_;
    std::vector<double> slots_;
    std::vector<std::int64_t> sizes_;
    std::vector<Census> counts_;
    std::vector<double> leaving_, sorted_, merged_;
    std::int64_t size_ = 0, oldest_ = 0;
    Census total_;
};

}  // namespace

void median_smooth(const double* input, double* output, std::int32_t width, std::int32_t height,
                   std::int32_t window_width, RowProgress* progress) {
    if (width <= 0 || height <= 0 || window_width <= 0) return;
    const std::int64_t a = window_width;
    const std::int64_t b = a / 2;
    const std::int64_t count = a * a;
    const std::int64_t middle = count / 2;
    const bool odd = a % 2 != 0;

    // Output rows are independent: the threads share them out, each with
    // its own window, whose largest arrays are checked here, before them.
    require_memory(count, sizeof(double));
    std::int64_t rows_finished = 0;
    parallel_for_with_scratch(height, Schedule::static_runs, [&] {
        return LoopBody([&, sliding = SlidingWindow(a), window = take_samples(count), scratch = take_samples(count),
                         row_starts = take_array<std::int64_t>(a),
                         columns = take_array<std::int64_t>(a)](std::int64_t i) mutable {
            for (std::int64_t l = 0; l < a; ++l) row_starts[l] = wrap_index(l - b + i, height) * width;
            for (std::int64_t j = 0; j < width; ++j) {
                if (j == 0) {
                    sliding.start(input, row_starts.data(), wrap_index(-b, width), width);
                } else {
                    sliding.slide(input, row_starts.data(), wrap_index(j - b + a - 1, width));
                }
                // Otherwise the window is gathered in order and settled from that.
                double upper, lower;
                if (sliding.settled(middle, upper) && (odd || sliding.settled(middle - 1, lower))) {
                    output[i * width + j] = odd ? upper : (lower + upper) * 0.5;
                    continue;
                }
                for (std::int64_t m = 0; m < a; ++m) columns[m] = wrap_index(m - b + j, width);
                double* gathered = window.data();
                for (std::int64_t l = 0; l < a; ++l) {
                    const double* row = input + row_starts[l];
                    for (std::int64_t m = 0; m < a; ++m) *gathered++ = row[columns[m]];
                }
                output[i * width + j] = window_median(window.data(), scratch.data(), count, window_width);
            }
            // Rows finish in any order: the count goes up one row at a
            // time, under a lock, so that it reads 1, 2, … as on one thread.
            if (progress != nullptr) one_thread_at_a_time([&] { progress->rows_done(++rows_finished); });
        });
    });
}

void require_median_window(std::int32_t window_width) {
    if (window_width <= 0) fail_with(" エラー：参照領域の幅は1以上にしてください[%d].\n", window_width);
}
