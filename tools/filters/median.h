#pragma once
// The median filter: every output pixel is the median of a square window of
// the periodic image. The result is exactly what sorting the gathered window
// with the C library's qsort and a three-way comparison (1 when greater, −1
// when smaller, 0 otherwise) gives on Linux, where it is a stable merge
// sort; the filter does those merges itself, so Windows gives the same. The filter keeps each window's numbers sorted as it slides
// along a row, and only a window holding a NaN, or with a zero at a middle
// rank, is gathered in order and settled value by value.

#include <cstdint>

#include "common/row_progress.h"

// The three-way comparison of two doubles handed to qsort.
int compare_ascending(const void* a, const void* b);

// Median of window[0 … count − 1] sorted as glibc's qsort sorts it: the middle value for an odd
// `width`, the mean of the two middle values for an even one. Sorts `window`.
double sorted_window_median(double* window, std::int64_t count, std::int32_t width);

// The same value without sorting the whole window (sorts it when the
// window holds a NaN). `window` keeps its gathered order; `scratch`
// holds `count` values of work space.
double window_median(const double* window, double* scratch, std::int64_t count, std::int32_t width);

// output = median of the width × width window around each pixel, reaching
// width / 2 pixels up and left; windows wider than the image wrap around as
// often as needed. Nothing is written for a width of 0 or less, or when W
// or H is 0 or less.
// `progress`, when given, hears of every finished row.
void median_smooth(const double* input, double* output, std::int32_t width, std::int32_t height,
                   std::int32_t window_width, RowProgress* progress = nullptr);
