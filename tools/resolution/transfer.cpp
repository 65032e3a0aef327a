#include "tools/resolution/transfer.h"

#include <cmath>
#include <vector>

#include "common/console_text.h"
#include "common/fft.h"
#include "common/sample_arrays.h"
#include "tools/resolution/edge_spread.h"

namespace {
constexpr double pi = 3.14159265358979;
}

bool is_transfer_point_count(std::int32_t n) {
    return n >= 2 && n <= max_transfer_points && (n & (n - 1)) == 0;
}

void transfer_from_line_spread(double* lsf, std::int32_t n, double* mtf) {
    std::vector<double> imaginary = take_samples(2 * static_cast<std::int64_t>(n));
    fft_centered(lsf, imaginary.data(), 2 * n);
    for (std::int32_t i = 0; i < n; ++i) mtf[i] = lsf[n + i] / lsf[n];
}

void correct_for_window(double* mtf, std::int32_t n, double delta) {
    for (std::int32_t i = 1; i < n; ++i) {
        const double x = ((i / delta) / n) * pi * delta;
        mtf[i] = (x / std::sin(x)) * mtf[i];
    }
}

void require_transfer_point_count(std::int32_t n) {
    if (is_transfer_point_count(n)) return;
    fail_with(" エラー：出力データ数は2から%dまでの2のべき乗にしてください[%d].\n", max_transfer_points, n);
}

void measure_transfer(std::vector<double>& image, std::int32_t width, std::int32_t height, std::int32_t points,
                      double delta, double* lsf, double* mtf, MessageSink& sink) {
    const std::int64_t lsf_points = 2 * static_cast<std::int64_t>(points);
    const std::vector<double> esf = measure_edge_spread(image, width, height, lsf_points, delta, sink);
    line_spread(esf.data(), lsf_points, delta, lsf);
    transfer_from_line_spread(lsf, points, mtf);
    correct_for_window(mtf, points, delta);
    correct_for_window(mtf, points, delta);
}
