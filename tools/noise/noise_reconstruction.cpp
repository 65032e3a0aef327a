#include "tools/noise/noise_reconstruction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "common/code_path.h"
#if CT_AVX2_BUILT
#include <immintrin.h>
#endif

#if defined(__SSE2__) && defined(__x86_64__)
#define NOISE_SSE2_PAIRS 1
#endif

#include "common/fft.h"
#include "common/sample_arrays.h"

namespace {

constexpr double pi = 3.14159265358979;
constexpr double centre_bin = 256.0;
constexpr double last_bin_start = 511.0;  // bins 0 … 510 start an interpolation

// Image rows that one pass over all angles back-projects: about 128 KiB of
// image, so that the rows stay in the cache while every angle is added.
std::int32_t rows_per_block(std::int32_t width) { return std::max<std::int32_t>(4, 16384 / std::max(width, 1)); }

// Rows of pixels whose detector coordinates are formed together, and the
// columns per step: the coordinates stay in the first-level cache between
// being formed and being used.
constexpr std::int32_t row_group = 8;
constexpr std::int32_t column_chunk = 128;

// Detector coordinates of the next `count` pixels of each row of a group:
// t[r·column_chunk + k] = c[r], then c[r] := c[r] + dx. Each row is its own
// chain of additions; eight chains side by side keep the adder busy.
void next_coordinates(double* c, std::int32_t rows, double dx, std::int32_t count, double* t) {
    if (rows == row_group) {
        double c0 = c[0], c1 = c[1], c2 = c[2], c3 = c[3], c4 = c[4], c5 = c[5], c6 = c[6], c7 = c[7];
        for (std::int32_t k = 0; k < count; ++k) {
            t[k] = c0, t[column_chunk + k] = c1, t[2 * column_chunk + k] = c2, t[3 * column_chunk + k] = c3;
            t[4 * column_chunk + k] = c4, t[5 * column_chunk + k] = c5, t[6 * column_chunk + k] = c6;
            t[7 * column_chunk + k] = c7;
            c0 = c0 + dx, c1 = c1 + dx, c2 = c2 + dx, c3 = c3 + dx;
            c4 = c4 + dx, c5 = c5 + dx, c6 = c6 + dx, c7 = c7 + dx;
        }
        c[0] = c0, c[1] = c1, c[2] = c2, c[3] = c3, c[4] = c4, c[5] = c5, c[6] = c6, c[7] = c7;
        return;
    }
    for (std::int32_t r = 0; r < rows; ++r) {
        double cr = c[r];
        for (std::int32_t k = 0; k < count; ++k) {
            t[r * column_chunk + k] = cr;
            cr = cr + dx;
        }
        c[r] = cr;
    }
}

inline bool on_detector(double t) { return t > -1.0 && t < last_bin_start; }

inline double interpolated(const double* row, double t) {
    const std::int32_t n = static_cast<std::int32_t>(t);
    const double u = t - n;
    return (1 - u) * row[n] + u * row[n + 1];
}

// Adds the interpolated projection values at the coordinates t[k] to
// image_row[k], k < count. The coordinates of a row change monotonically
// (repeated addition of one dx), so the pixels on the detector form one run.
void add_run(double* image_row, const double* t, std::int32_t count, const double* row) {
    std::int32_t first = 0, last = count - 1;
    while (first <= last && !on_detector(t[first])) ++first;
    while (last >= first && !on_detector(t[last])) --last;
    std::int32_t k = first;
#ifdef NOISE_SSE2_PAIRS
    // Two pixels at a time with the very operations of interpolated().
    const __m128d one = _mm_set1_pd(1.0);
    for (; k + 1 <= last; k += 2) {
        const __m128d tk = _mm_loadu_pd(t + k);
        const __m128i n = _mm_cvttpd_epi32(tk);
        const __m128d u = _mm_sub_pd(tk, _mm_cvtepi32_pd(n));
        // Both bin numbers in one move to an integer register.
        const std::int64_t both = _mm_cvtsi128_si64(n);
        const std::int32_t n0 = static_cast<std::int32_t>(both);
        const std::int32_t n1 = static_cast<std::int32_t>(both >> 32);
        const __m128d p0 = _mm_loadu_pd(row + n0);  // row[n0], row[n0 + 1]
        const __m128d p1 = _mm_loadu_pd(row + n1);
        const __m128d left = _mm_unpacklo_pd(p0, p1);
        const __m128d right = _mm_unpackhi_pd(p0, p1);
        const __m128d value = _mm_add_pd(_mm_mul_pd(_mm_sub_pd(one, u), left), _mm_mul_pd(u, right));
        _mm_storeu_pd(image_row + k, _mm_add_pd(_mm_loadu_pd(image_row + k), value));
    }
#endif
    for (; k <= last; ++k) image_row[k] += interpolated(row, t[k]);
}

// The same four pixels at a time with AVX2: the very operations of
// interpolated() on every lane.
#if CT_AVX2_BUILT
__attribute__((target("avx2"))) void add_run_avx2(double* image_row, const double* t, std::int32_t count,
                                                  const double* row) {
    std::int32_t first = 0, last = count - 1;
    while (first <= last && !on_detector(t[first])) ++first;
    while (last >= first && !on_detector(t[last])) --last;
    std::int32_t k = first;
    const __m256d one = _mm256_set1_pd(1.0);
    for (; k + 3 <= last; k += 4) {
        const __m256d tk = _mm256_loadu_pd(t + k);
        const __m128i n = _mm256_cvttpd_epi32(tk);
        const __m256d u = _mm256_sub_pd(tk, _mm256_cvtepi32_pd(n));
        const std::int64_t low = _mm_cvtsi128_si64(n), high = _mm_extract_epi64(n, 1);
        const double* p0 = row + static_cast<std::int32_t>(low);
        const double* p1 = row + static_cast<std::int32_t>(low >> 32);
        const double* p2 = row + static_cast<std::int32_t>(high);
        const double* p3 = row + static_cast<std::int32_t>(high >> 32);
        // Lanes 0 and 2, 1 and 3: row[n], row[n + 1] of each pixel.
        const __m256d pairs_02 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(p0)), _mm_loadu_pd(p2), 1);
        const __m256d pairs_13 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(p1)), _mm_loadu_pd(p3), 1);
        const __m256d left = _mm256_unpacklo_pd(pairs_02, pairs_13);
        const __m256d right = _mm256_unpackhi_pd(pairs_02, pairs_13);
        const __m256d value = _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(one, u), left), _mm256_mul_pd(u, right));
        _mm256_storeu_pd(image_row + k, _mm256_add_pd(_mm256_loadu_pd(image_row + k), value));
    }
    for (; k <= last; ++k) image_row[k] += interpolated(row, t[k]);
}
#else
// No AVX2 on this target: vector_code_available() is false and the
// vector form is the portable one.
void add_run_avx2(double* image_row, const double* t, std::int32_t count, const double* row) {
    add_run(image_row, t, count, row);
}
#endif

}  // namespace

double noise_filter_weight(std::int32_t column, double sample_spacing, FilterWindow window) {
    const std::int32_t x = column - noise_detector_bins / 2;
    double g = std::abs(x) * (0.001953125 / sample_spacing);
    if (window) {
        const double phi = x * pi * 0.00390625 / static_cast<double>(*window + 1);
        g = (0.5 * std::cos(phi) + 0.5) * g;
    }
    return g;
}

void noise_ramp_filter(double* rows, std::int32_t angles, double sample_spacing, FilterWindow window) {
    // The weight depends on the column alone: computed once per column.
    double weights[noise_detector_bins];
    for (std::int32_t n = 0; n < noise_detector_bins; ++n) weights[n] = noise_filter_weight(n, sample_spacing, window);
    for (std::int64_t i = 0; i < angles; ++i) {
        double* row = rows + i * noise_detector_bins;
        for (std::int32_t n = 0; n < noise_detector_bins; ++n) row[n] = weights[n] * row[n];
    }
}

double noise_projection_angle(std::int32_t index, std::int32_t angles) {
    if (angles == 512) return index * pi * 0.001953125;
    return index * pi / static_cast<double>(angles);
}

double noise_angular_step(std::int32_t angles) {
    if (angles == 512) return 0.006135923151542559;
    if (angles == 403) return 0.007795515269453573;
    return pi / angles;
}

void noise_back_project(double* image, std::int32_t width, std::int32_t height, double pixel_width,
                        double pixel_height, const double* rows, double bin_width, std::int32_t angles,
                        CodePath path) {
    const bool vector = path == CodePath::fastest && vector_code_available();
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
    std::fill(image, image + pixels, 0.0);

    // Per angle the step along a row and the coordinate of the first pixel
    // of every image row, each row's start by repeated addition of dy.
    std::vector<double> dx = take_samples(angles);
    std::vector<double> row_starts = take_samples(static_cast<std::int64_t>(angles) * height);
    for (std::int32_t i = 0; i < angles; ++i) {
        const double theta = noise_projection_angle(i, angles);
        dx[i] = std::cos(theta) * pixel_width / bin_width;
        const double dy = -(std::sin(theta) * pixel_height / bin_width);
        double t_row = centre_bin - (width * dx[i] * 0.5 + height * dy * 0.5);
        for (std::int32_t j = 0; j < height; ++j) {
            row_starts[static_cast<std::int64_t>(i) * height + j] = t_row;
            t_row = t_row + dy;
        }
    }

    // Every pixel still gathers its angles in the order 0 … A − 1; only the
    // pixels are visited block by block, eight rows per angle at a time.
    // The blocks are independent: the threads share them out.
    const std::int32_t block = rows_per_block(width);
    const std::int32_t blocks = (height + block - 1) / block;
#pragma omp parallel for schedule(dynamic)
    for (std::int32_t b = 0; b < blocks; ++b) {
        double t[row_group * column_chunk];
        double c[row_group];
        const std::int32_t j0 = b * block;
        const std::int32_t j1 = std::min(j0 + block, height);
        for (std::int32_t i = 0; i < angles; ++i) {
            const double* row = rows + static_cast<std::int64_t>(i) * noise_detector_bins;
            const double* starts = row_starts.data() + static_cast<std::int64_t>(i) * height;
            for (std::int32_t j = j0; j < j1; j += row_group) {
                const std::int32_t rows_here = std::min(row_group, j1 - j);
                std::copy(starts + j, starts + j + rows_here, c);
                for (std::int32_t k0 = 0; k0 < width; k0 += column_chunk) {
                    const std::int32_t count = std::min(column_chunk, width - k0);
                    next_coordinates(c, rows_here, dx[i], count, t);
                    for (std::int32_t r = 0; r < rows_here; ++r) {
                        double* image_row = image + static_cast<std::int64_t>(j + r) * width + k0;
                        if (vector)
                            add_run_avx2(image_row, t + r * column_chunk, count, row);
                        else
                            add_run(image_row, t + r * column_chunk, count, row);
                    }
                }
            }
        }
    }

    const double step = noise_angular_step(angles);
    for (std::int64_t p = 0; p < pixels; ++p) image[p] = image[p] * step;
}

void reconstruct_noise_sinogram(double* sinogram, std::int32_t angles, double* image, std::int32_t width,
                                std::int32_t height, FilterWindow window) {
    std::vector<double> imaginary = take_samples(static_cast<std::int64_t>(angles) * noise_detector_bins);
    fft_centered_rows(+1, sinogram, imaginary.data(), angles);
    noise_ramp_filter(sinogram, angles, 1.0, window);
    noise_ramp_filter(imaginary.data(), angles, 1.0, window);
    fft_centered_rows(-1, sinogram, imaginary.data(), angles);
    noise_back_project(image, width, height, 1.0, 1.0, sinogram, 1.0, angles);
}
