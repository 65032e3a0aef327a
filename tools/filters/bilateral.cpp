#include "tools/filters/bilateral.h"

#include <algorithm>
#include <cmath>

#include "common/parallel.h"
#include "common/sample_arrays.h"
#include "tools/filters/periodic.h"

std::vector<double> spatial_weights(std::int32_t window_width, double spatial_width) {
    const std::int64_t n = std::max<std::int32_t>(window_width, 0);
    const std::int64_t half = n / 2;
    std::vector<double> weights = take_samples(n * n);
    const double spread = (spatial_width * 2.0) * spatial_width;
    for (std::int64_t l = 0; l < n; ++l) {
        const std::int64_t f = -half + l;
        for (std::int64_t m = 0; m < n; ++m) {
            const std::int64_t g = -half + m;
            weights[l * n + m] = std::exp(static_cast<double>(-(f * f) - g * g) / spread);
        }
    }
    return weights;
}

void bilateral_smooth(const double* input, double* output, std::int32_t width, std::int32_t height,
                      std::int32_t window_width, double spatial_width, double range_width,
                      RowProgress* progress) {
    if (width <= 0 || height <= 0) return;
    const std::int64_t n = std::max<std::int32_t>(window_width, 0);
    const std::int64_t half = window_width / 2;
    const std::vector<double> ws = spatial_weights(window_width, spatial_width);
    const double spread = (range_width * 2.0) * range_width;
    // A neighbour whose spatial weight is 0 adds a zero to both sums, which
    // leaves them as they are (they start at +0 and never turn −0), as long
    // as its range weight is a number: finite values and a finite, positive
    // spread. Such terms are skipped; all others are computed, NaN and
    // infinities included.
    const bool spread_is_number = spread > 0.0 && std::isfinite(spread);

    // Output rows are independent: the threads share them out.
    std::int64_t rows_finished = 0;
    parallel_for_with_scratch(height, Schedule::static_runs, [&] {
        return LoopBody([&, row_starts = take_array<std::int64_t>(n),
                         columns = take_array<std::int64_t>(n)](std::int64_t i) mutable {
            for (std::int64_t l = 0; l < n; ++l) row_starts[l] = wrap_index(i + height - half + l, height) * width;
            for (std::int64_t j = 0; j < width; ++j) {
                for (std::int64_t m = 0; m < n; ++m) columns[m] = wrap_index(j + width - half + m, width);
                const double v = input[i * width + j];
                const bool may_skip = spread_is_number && std::isfinite(v);
                double sum = 0.0;
                double total = 0.0;
                for (std::int64_t l = 0; l < n; ++l) {
                    const double* row = input + row_starts[l];
                    const double* ws_row = ws.data() + l * n;
                    for (std::int64_t m = 0; m < n; ++m) {
                        const double t = row[columns[m]];
                        if (ws_row[m] == 0.0 && may_skip && std::isfinite(t)) continue;
                        const double d = v - t;
                        const double u = std::exp(-(d * d / spread));
                        const double w = u * ws_row[m];
                        sum = sum + t * w;
                        total = total + w;
                    }
                }
                output[i * width + j] = sum / total;
            }
            // Rows finish in any order: the count goes up one row at a
            // time, under a lock, so that it reads 1, 2, … as on one thread.
            if (progress != nullptr) one_thread_at_a_time([&] { progress->rows_done(++rows_finished); });
        });
    });
}
