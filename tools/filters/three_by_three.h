#pragma once
// The 3 × 3 smoothing filters with periodic borders. Every output pixel sums
// its nine neighbours in one fixed order: the row above (left, centre,
// right), its own row, the row below; then the sum is divided once.

#include <cstdint>
#include <cstdio>

#include "common/message.h"

// Nine weights in that order (weights[4] is the centre) and their divisor.
struct SmoothingKernel {
    std::int32_t weights[9];
    std::int32_t divisor;
};

// A symmetric kernel: `corner` at the four corners, `side` above, below,
// left and right, `centre` in the middle; divisor centre + 4 × (side +
// corner) in 32-bit arithmetic that wraps on overflow.
SmoothingKernel make_smoothing_kernel(std::int32_t corner, std::int32_t side, std::int32_t centre);

// The kernel in three lines, the divisor on the middle one.
Message smoothing_kernel_lines(const SmoothingKernel& kernel);
void print_smoothing_kernel(std::FILE* out, const SmoothingKernel& kernel);

// output = plain mean of the nine neighbours. Both images W × H, row major;
// nothing is written when W or H is 0 or less.
void moving_average_3x3(const double* input, double* output, std::int32_t width, std::int32_t height);

// output = Σ weight × neighbour, divided by the kernel's divisor (a divisor
// of 0 gives infinite or not-a-number samples).
void weighted_average_3x3(const double* input, double* output, std::int32_t width, std::int32_t height,
                          const SmoothingKernel& kernel);
