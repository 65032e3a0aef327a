#include "tools/filters/gaussian.h"

#include <algorithm>
#include <cmath>

#include "common/parallel.h"
#include "common/sample_arrays.h"

double gaussian_sigma(std::int32_t fwhm) { return fwhm / (std::sqrt(std::log(2.0) * 2.0) * 2.0); }

std::int64_t gaussian_length(double sigma, std::int64_t limit) {
    const double length = sigma * 4.0 + 1.0;
    if (!(length >= 1.0)) return 0;  // also NaN: no tap at all
    // Compared before converting, so that a huge σ never overflows the integer.
    if (length >= static_cast<double>(limit)) return std::max<std::int64_t>(limit, 0);
    return static_cast<std::int64_t>(length);
}

std::vector<double> gaussian_taps(double sigma, std::int64_t count) {
    std::vector<double> taps = take_samples(count);
    const double scale = 1.0 / (std::sqrt(6.28318530717958) * sigma);
    const double spread = (sigma * 2.0) * sigma;
    for (std::int64_t n = 0; n < count; ++n) {
        taps[n] = std::exp(static_cast<double>(-(n * n)) / spread) * scale;
    }
    return taps;
}

void gaussian_smooth(const double* input, double* output, std::int32_t width, std::int32_t height,
                     std::int32_t fwhm) {
    if (width <= 0 || height <= 0) return;
    const double sigma = gaussian_sigma(fwhm);
    const std::int64_t length = gaussian_length(sigma, std::max(width, height));
    const std::vector<double> g = gaussian_taps(sigma, length);
    const std::int64_t w = width;
    const std::int64_t h = height;
    std::vector<double> rows = take_samples(w * h);

    // Row pass: each sum runs over k upwards, only the lags below L. In both
    // passes the output rows are independent: the threads share them out.
    parallel_for(h, Schedule::static_runs, [&](std::int64_t i) {
        const double* in = input + i * w;
        for (std::int64_t j = 0; j < w; ++j) {
            double sum = 0.0;
            const std::int64_t last = std::min(w - 1, j + length - 1);
            for (std::int64_t k = std::max<std::int64_t>(0, j - length + 1); k <= last; ++k) {
                sum += in[k] * g[std::abs(j - k)];
            }
            rows[i * w + j] = sum;
        }
    });

    // Column pass, a whole output row at a time: each output pixel still
    // takes its terms in increasing k, as a sum down its column would.
    parallel_for(h, Schedule::static_runs, [&](std::int64_t i) {
        double* out = output + i * w;
        std::fill(out, out + w, 0.0);
        const std::int64_t last = std::min(h - 1, i + length - 1);
        for (std::int64_t k = std::max<std::int64_t>(0, i - length + 1); k <= last; ++k) {
            const double tap = g[std::abs(i - k)];
            const double* row = rows.data() + k * w;
            for (std::int64_t j = 0; j < w; ++j) out[j] += tap * row[j];
        }
    });
}
