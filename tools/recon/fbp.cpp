#include "tools/recon/fbp.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

#include "common/sample_arrays.h"

namespace {

bool all_finite(const double* samples, std::int32_t count) {
    for (std::int32_t k = 0; k < count; ++k)
        if (!std::isfinite(samples[k])) return false;
    return true;
}

// out[j] = Σ kernel[|j − k|] × p[k], every term in increasing k.
void convolve_every_term(const double* p, const double* kernel, std::int32_t bins, double* out) {
    for (std::int32_t j = 0; j < bins; ++j) {
        double sum = 0;
        for (std::int32_t k = 0; k < bins; ++k) sum += kernel[std::abs(j - k)] * p[k];
        out[j] = sum;
    }
}

// sum[a] += weight[a] × sample for a = 0 … count − 1: one term into many sums.
void add_scaled(double* sum, const double* weight, double sample, std::int32_t count) {
    for (std::int32_t a = 0; a < count; ++a) sum[a] += weight[a] * sample;
}

__attribute__((target("avx2"))) void add_scaled_avx2(double* sum, const double* weight, double sample,
                                                     std::int32_t count) {
    const __m256d s = _mm256_set1_pd(sample);
    std::int32_t a = 0;
    for (; a + 4 <= count; a += 4) {
        const __m256d term = _mm256_mul_pd(_mm256_loadu_pd(weight + a), s);
        _mm256_storeu_pd(sum + a, _mm256_add_pd(_mm256_loadu_pd(sum + a), term));
    }
    add_scaled(sum + a, weight + a, sample, count - a);
}

// The same sums without the even lags, where the kernel is +0. For a row of
// finite samples those products are ±0, and adding ±0 changes no sum (a sum
// that starts at +0 never becomes −0), so every out[j] keeps its bits. The
// terms go in k by k into all sums at once, still in increasing k for each
// sum; the sums of even and of odd bins are held apart so that each step is
// one contiguous sweep.
//   odd_lag[off + m] = kernel[|2m + 1|]
void convolve_odd_lags(const double* p, const double* kernel, const double* odd_lag, std::int32_t off,
                       std::int32_t bins, double* even_sum, double* odd_sum, bool vector) {
    const std::int32_t evens = (bins + 1) / 2;
    const std::int32_t odds = bins / 2;
    std::fill(even_sum, even_sum + evens, 0.0);
    std::fill(odd_sum, odd_sum + odds, 0.0);
    const double centre = kernel[0];
    for (std::int32_t k = 0; k < bins; ++k) {
        const double sample = p[k];
        const std::int32_t b = k / 2;
        if (k % 2 == 0) {
            // bin 2a + 1 lies 2(a − b) + 1 away
            const double* weight = odd_lag + off - b;
            if (vector)
                add_scaled_avx2(odd_sum, weight, sample, odds);
            else
                add_scaled(odd_sum, weight, sample, odds);
            even_sum[b] += centre * sample;
        } else {
            // bin 2a lies 2(a − b − 1) + 1 away
            const double* weight = odd_lag + off - b - 1;
            if (vector)
                add_scaled_avx2(even_sum, weight, sample, evens);
            else
                add_scaled(even_sum, weight, sample, evens);
            odd_sum[b] += centre * sample;
        }
    }
}

}  // namespace

std::vector<double> ramp_kernel(std::int32_t bins, double pixel_length) {
    std::vector<double> kernel = take_samples(bins);
    if (bins <= 0) return kernel;
    const double d = pixel_length;
    kernel[0] = 1 / ((d * 4) * d);
    for (std::int32_t n = 1; n < bins; n += 2) {
        const double lag = n;
        kernel[n] = -1 / ((((d * ramp_pi_squared) * d) * lag) * lag);
    }
    return kernel;
}

void ramp_filter(double* sinogram, std::int32_t bins, std::int32_t angles, double pixel_length, CodePath path) {
    if (bins <= 0 || angles <= 0) return;
    const std::vector<double> kernel = ramp_kernel(bins, pixel_length);
    const std::int32_t evens = (bins + 1) / 2;
    const std::int32_t off = evens;
    std::vector<double> odd_lag = take_samples(static_cast<std::int64_t>(off) + evens + 1);
    for (std::int32_t m = -off; m <= evens; ++m) {
        const std::int64_t lag = std::abs(2 * static_cast<std::int64_t>(m) + 1);
        odd_lag[off + m] = lag < bins ? kernel[lag] : 0.0;
    }
    std::vector<double> out = take_samples(bins);
    std::vector<double> even_sum = take_samples(evens);
    std::vector<double> odd_sum = take_samples(bins / 2);
    const bool vector = path == CodePath::fastest && vector_code_available();

    for (std::int32_t i = 0; i < angles; ++i) {
        double* p = sinogram + static_cast<std::int64_t>(i) * bins;
        if (all_finite(p, bins)) {
            convolve_odd_lags(p, kernel.data(), odd_lag.data(), off, bins, even_sum.data(), odd_sum.data(), vector);
            for (std::int32_t j = 0; j < bins; ++j) out[j] = j % 2 == 0 ? even_sum[j / 2] : odd_sum[j / 2];
        } else {
            // 0 × NaN or 0 × ∞ is NaN: here every term counts.
            convolve_every_term(p, kernel.data(), bins, out.data());
        }
        for (std::int32_t j = 0; j < bins; ++j) p[j] = (pixel_length * out[j]) * pixel_length;
    }
}

void back_project(double* image, std::int32_t width, std::int32_t height, const double* sinogram,
                  const CijTable& cij, CodePath path) {
    const std::int64_t pixels = sample_count(width, height);
    std::fill(image, image + std::max<std::int64_t>(pixels, 0), 0.0);
    const std::int32_t bins = cij.bins;
    if (width > 0 && height > 0 && bins > 0) {
        const std::int32_t empty_bins = std::min(bins, 3);
        std::vector<double> column_cos = take_samples(width);
        std::vector<double> row_sin = take_samples(height);
        CijRowEntries entries(width);
        for (std::int32_t i = 0; i < cij.angles; ++i) {
            const CijAngle& a = cij.angle[i];
            const double* p = sinogram + static_cast<std::int64_t>(i) * bins;
            // An empty entry adds p[k] × 0 for bins 0, 1, 2: ±0 (no change,
            // a pixel sum is never −0) unless one of them is NaN or infinite.
            const bool empty_adds_nothing = all_finite(p, empty_bins);
            cij_products(a, width, height, column_cos.data(), row_sin.data());
            for (std::int32_t r = 0; r < height; ++r) {
                cij_row_entries(a, column_cos.data(), row_sin[r], 0, width, bins, entries, path);
                double* pixel = image + static_cast<std::int64_t>(r) * width;
                for (std::int32_t q = 0; q < width; ++q) {
                    const std::int32_t b = entries.first_bin[q];
                    if (b >= 0) {
                        const double* bin = p + b;
                        double sum = pixel[q];
                        sum += bin[0] * entries.w0[q];
                        sum += bin[1] * entries.w1[q];
                        sum += bin[2] * entries.w2[q];
                        pixel[q] = sum;
                    } else if (!empty_adds_nothing) {
                        for (std::int32_t k = 0; k < empty_bins; ++k) pixel[q] += p[k] * 0.0;
                    }
                }
            }
        }
    }
    const double angular_step = projection_pi / cij.angles;
    for (std::int64_t j = 0; j < pixels; ++j) image[j] = image[j] * angular_step;
}
