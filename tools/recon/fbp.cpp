#include "tools/recon/fbp.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

#include "common/sample_arrays.h"
#include "tools/projection/cij_vector.h"

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

// x·C of every image column at one angle (the first term of each pixel's t).
void column_products(const CijAngle& a, std::int32_t width, double* column_cos) {
    const std::int32_t half_w = width / 2;
    for (std::int32_t q = 0; q < width; ++q) column_cos[q] = static_cast<double>(q - half_w) * a.cos_theta;
}

// Image rows per block of the back projection: a thread passes every angle
// over one block before the next.
constexpr std::int32_t rows_per_block = 16;

// Pixels first … last − 1 of one image row (t = column_cos[q] + y_sin) gain
// p[b0 + k] × w_k, k = 0, 1, 2, of their entries at this angle.
void back_project_row(const CijAngle& a, const double* column_cos, double y_sin, const double* p,
                      std::int32_t bins, bool empty_adds_nothing, double* pixel, std::int32_t first,
                      std::int32_t last) {
    const std::int32_t empty_bins = std::min(bins, 3);
    for (std::int32_t q = first; q < last; ++q) {
        CijEntry e;
        if (cij_entry(a, column_cos[q] + y_sin, bins, e)) {
            const double* bin = p + e.first_bin;
            double sum = pixel[q];
            sum += bin[0] * e.w0;
            sum += bin[1] * e.w1;
            sum += bin[2] * e.w2;
            pixel[q] = sum;
        } else if (!empty_adds_nothing) {
            for (std::int32_t k = 0; k < empty_bins; ++k) pixel[q] += p[k] * 0.0;
        }
    }
}

// True when the entry of a pixel at detector coordinate t is filled: the
// test of cij_entry alone.
bool entry_filled(double t, std::int32_t bins) {
    const double shifted = t + 0.5;
    std::int64_t g = static_cast<std::int64_t>(shifted);
    if (static_cast<double>(g) > shifted) --g;
    const std::int64_t h = bins / 2 + g;
    return h >= 1 && h <= static_cast<std::int64_t>(bins) - 2;
}

// Whether four neighbouring pixels of a row always take their first bins
// from four neighbouring bins: t moves by about |C| ≤ 1 from pixel to
// pixel, so four pixels' first bins lie within 3 of each other, as long as
// the rounding of x·C and of t (below 2^-30 for images up to 65536 pixels
// wide and high) cannot carry three steps of |C| past 3. That fails only at
// angles within a few millionths of a radian of 0 other than 0 itself.
bool four_bins_apart_at_most_three(const CijAngle& a, std::int32_t width, std::int32_t height) {
    const double step = std::fabs(a.cos_theta);
    return width <= 65536 && height <= 65536 && (step == 1.0 || 3.0 * (1.0 - step) > 1e-9);
}

// The same with AVX2, for N ≥ 3. Along a row t changes monotonically (x·C
// rounds monotonically in x), so the filled entries form one run of
// columns; the pixels before and after it go one by one, the run four at a
// time without a branch. The four first bins lie in b … b + 3, b the
// lowest (the first lane when t grows along the row, the last when it
// falls): the three bins of each entry are picked by one shuffle from each
// of the four samples at b, b + 1 and b + 2. These read up to three samples
// past the entry's last bin, so the row needs three samples after it.
template <bool t_falls>
__attribute__((target("avx2"))) void back_project_row_avx2(const CijAngle& a, const double* column_cos,
                                                           double y_sin, const double* p, std::int32_t bins,
                                                           bool empty_adds_nothing, double* pixel,
                                                           std::int32_t width) {
    std::int32_t first = 0, last = width;
    while (first < last && !entry_filled(column_cos[first] + y_sin, bins)) ++first;
    while (last > first && !entry_filled(column_cos[last - 1] + y_sin, bins)) --last;
    if (!empty_adds_nothing) {
        back_project_row(a, column_cos, y_sin, p, bins, false, pixel, 0, first);
        back_project_row(a, column_cos, y_sin, p, bins, false, pixel, last, width);
    }
    const CijVectorAngle angle = cij_vector_angle(a, bins);
    const __m256d y = _mm256_set1_pd(y_sin);
    // Lane j's shuffle index: the pair of 32-bit halves 2o, 2o + 1 for an
    // offset o = first bin − b in 0 … 3, formed in the low bits of the double
    // 2^52 + 2^32 + o·(2 + 2^33) (exact: all below 2^53).
    const __m256d pair_scale = _mm256_set1_pd(2.0 + 8589934592.0);
    const __m256d pair_bias = _mm256_set1_pd(4503599627370496.0 + 4294967296.0);
    std::int32_t q = first;
    for (; q + 4 <= last; q += 4) {
        const CijFilledEntries e =
            cij_vector_filled_entries(angle, _mm256_add_pd(_mm256_loadu_pd(column_cos + q), y));
        const __m256d lowest = _mm256_permute4x64_pd(e.first_bin, t_falls ? 0xFF : 0x00);
        const double* b = p + _mm_cvtsd_si32(_mm256_castpd256_pd128(lowest));
        const __m256i pick = _mm256_castpd_si256(
            _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(e.first_bin, lowest), pair_scale), pair_bias));
        const __m256d bin0 = _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(b)), pick));
        const __m256d bin1 =
            _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(b + 1)), pick));
        const __m256d bin2 =
            _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(b + 2)), pick));
        __m256d sum = _mm256_loadu_pd(pixel + q);
        sum = _mm256_add_pd(sum, _mm256_mul_pd(bin0, e.w0));
        sum = _mm256_add_pd(sum, _mm256_mul_pd(bin1, e.w1));
        sum = _mm256_add_pd(sum, _mm256_mul_pd(bin2, e.w2));
        _mm256_storeu_pd(pixel + q, sum);
    }
    back_project_row(a, column_cos, y_sin, p, bins, true, pixel, q, last);
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
    const bool vector = path == CodePath::fastest && vector_code_available();

    // Rows are filtered independently: the threads share them out.
#pragma omp parallel
    {
        std::vector<double> out = take_samples(bins);
        std::vector<double> even_sum = take_samples(evens);
        std::vector<double> odd_sum = take_samples(bins / 2);
#pragma omp for schedule(dynamic)
        for (std::int32_t i = 0; i < angles; ++i) {
            double* p = sinogram + static_cast<std::int64_t>(i) * bins;
            if (all_finite(p, bins)) {
                convolve_odd_lags(p, kernel.data(), odd_lag.data(), off, bins, even_sum.data(), odd_sum.data(),
                                  vector);
                for (std::int32_t j = 0; j < bins; ++j) out[j] = j % 2 == 0 ? even_sum[j / 2] : odd_sum[j / 2];
            } else {
                // 0 × NaN or 0 × ∞ is NaN: here every term counts.
                convolve_every_term(p, kernel.data(), bins, out.data());
            }
            for (std::int32_t j = 0; j < bins; ++j) p[j] = (pixel_length * out[j]) * pixel_length;
        }
    }
}

void back_project(double* image, std::int32_t width, std::int32_t height, const double* sinogram,
                  const CijTable& cij, CodePath path) {
    const std::int64_t pixels = sample_count(width, height);
    std::fill(image, image + std::max<std::int64_t>(pixels, 0), 0.0);
    const std::int32_t bins = cij.bins;
    if (width > 0 && height > 0 && bins > 0 && cij.angles > 0) {
        // An empty entry adds p[k] × 0 for bins 0, 1, 2: ±0 (no change, a
        // pixel sum is never −0) unless one of them is NaN or infinite.
        const std::int32_t empty_bins = std::min(bins, 3);
        std::vector<char> empty_adds_nothing = take_array<char>(cij.angles);
        for (std::int32_t i = 0; i < cij.angles; ++i)
            empty_adds_nothing[i] = all_finite(sinogram + static_cast<std::int64_t>(i) * bins, empty_bins);
        const bool vector = path == CodePath::fastest && vector_code_available() && bins >= 3;
        // The vector rows read three samples past a row's end: the last row
        // gets them from a copy.
        std::vector<double> last_projection = take_samples(vector ? static_cast<std::int64_t>(bins) + 3 : 0);
        if (vector)
            std::copy(sinogram + static_cast<std::int64_t>(cij.angles - 1) * bins,
                      sinogram + static_cast<std::int64_t>(cij.angles) * bins, last_projection.begin());
        const std::int32_t blocks = (height + rows_per_block - 1) / rows_per_block;
        const std::int32_t half_h = height / 2;
        // Every pixel takes its angles in order; the threads share out
        // blocks of image rows, each block small enough to stay in the cache
        // while all angles pass over it. A thread takes the next block when
        // it is done with one, so that a core shared with other programs
        // holds no one up.
#pragma omp parallel
        {
            std::vector<double> column_cos = take_samples(width);
#pragma omp for schedule(dynamic)
            for (std::int32_t block = 0; block < blocks; ++block) {
                const std::int32_t first_row = block * rows_per_block;
                const std::int32_t last_row = std::min(first_row + rows_per_block, height);
                for (std::int32_t i = 0; i < cij.angles; ++i) {
                    const CijAngle& a = cij.angle[i];
                    const double* p = vector && i == cij.angles - 1 ? last_projection.data()
                                                                    : sinogram + static_cast<std::int64_t>(i) * bins;
                    const bool empty = empty_adds_nothing[i] != 0;
                    const bool vector_rows = vector && four_bins_apart_at_most_three(a, width, height);
                    column_products(a, width, column_cos.data());
                    for (std::int32_t r = first_row; r < last_row; ++r) {
                        const double y_sin = static_cast<double>(half_h - r) * a.sin_theta;
                        double* pixel = image + static_cast<std::int64_t>(r) * width;
                        if (!vector_rows)
                            back_project_row(a, column_cos.data(), y_sin, p, bins, empty, pixel, 0, width);
                        else if (a.cos_theta < 0)
                            back_project_row_avx2<true>(a, column_cos.data(), y_sin, p, bins, empty, pixel, width);
                        else
                            back_project_row_avx2<false>(a, column_cos.data(), y_sin, p, bins, empty, pixel, width);
                    }
                }
            }
        }
    }
    const double angular_step = projection_pi / cij.angles;
    for (std::int64_t j = 0; j < pixels; ++j) image[j] = image[j] * angular_step;
}
