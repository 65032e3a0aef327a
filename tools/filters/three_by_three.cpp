#include "tools/filters/three_by_three.h"

#include "common/console_text.h"
#include "common/parallel.h"

namespace {

// Applies `sum_of_nine(neighbours)` to every pixel; the neighbours come in
// filter order, with the wrapped rows and columns of a periodic image.
template <typename SumOfNine>
void for_each_window(const double* input, double* output, std::int32_t width, std::int32_t height,
                     SumOfNine sum_of_nine) {
    const std::int64_t w = width;
    // Output rows are independent: the threads share them out.
    parallel_for(height, Schedule::static_runs, [&](std::int64_t i) {
        const double* rows[3] = {input + ((i - 1 + height) % height) * w, input + i * w,
                                 input + ((i + 1) % height) * w};
        for (std::int64_t j = 0; j < width; ++j) {
            const std::int64_t left = (j - 1 + w) % w;
            const std::int64_t right = (j + 1) % w;
            const double neighbours[9] = {rows[0][left], rows[0][j], rows[0][right],
                                          rows[1][left], rows[1][j], rows[1][right],
                                          rows[2][left], rows[2][j], rows[2][right]};
            output[i * w + j] = sum_of_nine(neighbours);
        }
    });
}

}  // namespace

SmoothingKernel make_smoothing_kernel(std::int32_t corner, std::int32_t side, std::int32_t centre) {
    const auto a = static_cast<std::uint32_t>(corner);
    const auto e = static_cast<std::uint32_t>(side);
    const auto m = static_cast<std::uint32_t>(centre);
    return {{corner, side, corner, side, centre, side, corner, side, corner},
            static_cast<std::int32_t>(m + 4u * (e + a))};
}

Message smoothing_kernel_lines(const SmoothingKernel& kernel) {
    const std::int32_t* k = kernel.weights;
    return Message("\t\t%d\t%d\t%d\nh(x,y) = 1/%d (\t%d\t%d\t%d )\n\t\t%d\t%d\t%d\n", k[0], k[1], k[2],
                   kernel.divisor, k[3], k[4], k[5], k[6], k[7], k[8]);
}

void print_smoothing_kernel(std::FILE* out, const SmoothingKernel& kernel) {
    std::fputs(smoothing_kernel_lines(kernel).for_stream(out).c_str(), out);
}

void moving_average_3x3(const double* input, double* output, std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) return;
    for_each_window(input, output, width, height, [](const double(&v)[9]) {
        double sum = 0.0;  // from +0: nine zeros of either sign give +0
        for (double x : v) sum += x;
        return sum / 9.0;
    });
}

void weighted_average_3x3(const double* input, double* output, std::int32_t width, std::int32_t height,
                          const SmoothingKernel& kernel) {
    if (width <= 0 || height <= 0) return;
    const double divisor = static_cast<double>(kernel.divisor);
    double weights[9];
    for (int n = 0; n < 9; ++n) weights[n] = static_cast<double>(kernel.weights[n]);
    for_each_window(input, output, width, height, [&](const double(&v)[9]) {
        double sum = 0.0;
        for (int n = 0; n < 9; ++n) sum += weights[n] * v[n];
        return sum / divisor;
    });
}
