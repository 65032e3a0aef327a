#include "tools/projection/projector.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

#include "common/sample_arrays.h"

CijTable make_cij(std::int32_t width, std::int32_t height, std::int32_t bins, std::int32_t angles,
                  std::FILE* progress) {
    CijTable cij;
    cij.width = width;
    cij.height = height;
    cij.bins = bins;
    cij.angles = angles;
    cij.angle = take_array<CijAngle>(angles);
    for (std::int32_t i = 0; i < angles; ++i) {
        std::fprintf(progress, "\r *** Make cij [%3d/%3d]", i, angles);
        CijAngle& a = cij.angle[i];
        const double theta = i * projection_pi / angles;
        a.sin_theta = std::sin(theta);
        a.cos_theta = std::cos(theta);
        a.c = std::min(std::fabs(a.sin_theta), std::fabs(a.cos_theta));
        a.d = std::max(std::fabs(a.sin_theta), std::fabs(a.cos_theta));
        a.m = (a.d - a.c) * 0.5;
        a.T = (a.c + a.d) * 0.5;
        a.flank = a.c / (a.d * 2);
        a.flank_divisor = a.d * 2 * a.c;
    }
    std::fprintf(progress, "\r *** Make cij [%3d/%3d]\n", angles, angles);
    return cij;
}

void cij_products(const CijAngle& a, std::int32_t width, std::int32_t height, double* column_cos,
                  double* row_sin) {
    const std::int32_t half_w = width / 2;
    const std::int32_t half_h = height / 2;
    for (std::int32_t q = 0; q < width; ++q) column_cos[q] = static_cast<double>(q - half_w) * a.cos_theta;
    for (std::int32_t r = 0; r < height; ++r) row_sin[r] = static_cast<double>(half_h - r) * a.sin_theta;
}

CijRowEntries::CijRowEntries(std::int32_t width)
    : first_bin(take_array<std::int32_t>(width)), w0(take_samples(width)), w1(take_samples(width)),
      w2(take_samples(width)) {}

void cij_row_entries_portable(const CijAngle& a, const double* column_cos, double y_sin, std::int32_t first,
                              std::int32_t last, std::int32_t bins, CijRowEntries& row) {
    for (std::int32_t q = first; q < last; ++q) {
        CijEntry e;
        const bool filled = cij_entry(a, column_cos[q] + y_sin, bins, e);
        row.first_bin[q] = filled ? e.first_bin : -1;
        row.w0[q] = e.w0;
        row.w1[q] = e.w1;
        row.w2[q] = e.w2;
    }
}

namespace {

// cij_entry for four pixels at once: the same operations on every lane, the
// branches turned into selections. A share that is 0 is formed as 0 / d.
__attribute__((target("avx2"))) void cij_row_entries_avx2(const CijAngle& a, const double* column_cos,
                                                          double y_sin, std::int32_t first, std::int32_t last,
                                                          std::int32_t bins, CijRowEntries& row) {
    const __m256d half = _mm256_set1_pd(0.5), one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    const __m256d m = _mm256_set1_pd(a.m), T = _mm256_set1_pd(a.T), d = _mm256_set1_pd(a.d);
    const __m256d flank = _mm256_set1_pd(a.flank), flank_divisor = _mm256_set1_pd(a.flank_divisor);
    const __m256d y = _mm256_set1_pd(y_sin);
    // h = N/2 + g lies in 1 … N − 2 exactly when g lies in 1 − N/2 … N − 2 − N/2.
    const double half_bins = bins / 2;
    const __m256d lowest = _mm256_set1_pd(1 - half_bins);
    const __m256d highest = _mm256_set1_pd(static_cast<double>(bins) - 2 - half_bins);
    const __m256d first_offset = _mm256_set1_pd(half_bins - 1), no_bin = _mm256_set1_pd(-1.0);
    std::int32_t q = first;
    for (; q + 4 <= last; q += 4) {
        const __m256d t = _mm256_add_pd(_mm256_loadu_pd(column_cos + q), y);
        const __m256d g = _mm256_floor_pd(_mm256_add_pd(t, half));
        const __m256d filled =
            _mm256_and_pd(_mm256_cmp_pd(g, lowest, _CMP_GE_OQ), _mm256_cmp_pd(g, highest, _CMP_LE_OQ));
        const __m256d left = _mm256_sub_pd(g, half);
        const __m256d right = _mm256_add_pd(g, half);
        const __m256d past_left = _mm256_sub_pd(left, _mm256_sub_pd(t, m));
        const __m256d s_left = _mm256_sub_pd(left, _mm256_sub_pd(t, T));
        const __m256d past_right = _mm256_sub_pd(_mm256_add_pd(m, t), right);
        const __m256d s_right = _mm256_sub_pd(_mm256_add_pd(T, t), right);
        // s ≥ past always (T ≥ m), so s ≤ 0 leaves the share 0 in both branches.
        const __m256d top_u = _mm256_cmp_pd(past_left, zero, _CMP_GT_OQ);
        const __m256d top_v = _mm256_cmp_pd(past_right, zero, _CMP_GT_OQ);
        const __m256d some_u = _mm256_and_pd(filled, _mm256_cmp_pd(s_left, zero, _CMP_GT_OQ));
        const __m256d some_v = _mm256_and_pd(filled, _mm256_cmp_pd(s_right, zero, _CMP_GT_OQ));
        const __m256d num_u = _mm256_and_pd(some_u, _mm256_blendv_pd(_mm256_mul_pd(s_left, s_left), past_left, top_u));
        const __m256d num_v =
            _mm256_and_pd(some_v, _mm256_blendv_pd(_mm256_mul_pd(s_right, s_right), past_right, top_v));
        const __m256d den_u = _mm256_blendv_pd(d, flank_divisor, _mm256_andnot_pd(top_u, some_u));
        const __m256d den_v = _mm256_blendv_pd(d, flank_divisor, _mm256_andnot_pd(top_v, some_v));
        const __m256d u = _mm256_add_pd(_mm256_and_pd(_mm256_and_pd(top_u, filled), flank), _mm256_div_pd(num_u, den_u));
        const __m256d v = _mm256_add_pd(_mm256_and_pd(_mm256_and_pd(top_v, filled), flank), _mm256_div_pd(num_v, den_v));
        const __m256d middle = _mm256_and_pd(filled, _mm256_sub_pd(_mm256_sub_pd(one, u), v));
        _mm256_storeu_pd(row.w0.data() + q, u);
        _mm256_storeu_pd(row.w1.data() + q, middle);
        _mm256_storeu_pd(row.w2.data() + q, v);
        const __m256d bin = _mm256_blendv_pd(no_bin, _mm256_add_pd(g, first_offset), filled);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row.first_bin.data() + q), _mm256_cvttpd_epi32(bin));
    }
    cij_row_entries_portable(a, column_cos, y_sin, q, last, bins, row);
}

}  // namespace

bool cij_vector_entries_available() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

void cij_row_entries(const CijAngle& a, const double* column_cos, double y_sin, std::int32_t first,
                     std::int32_t last, std::int32_t bins, CijRowEntries& row) {
    if (cij_vector_entries_available())
        cij_row_entries_avx2(a, column_cos, y_sin, first, last, bins, row);
    else
        cij_row_entries_portable(a, column_cos, y_sin, first, last, bins, row);
}

namespace {

// Columns first … last − 1 of an image row hold every value that is not ±0.
struct ValueSpan {
    std::int32_t first, last;
};

// A pixel of ±0 adds (w × ±0) × Δ = ±0 to its bins, which changes no bin (a
// bin sum starts at +0 and never becomes −0), as long as Δ is finite.
std::vector<ValueSpan> value_spans(const double* image, std::int32_t width, std::int32_t height,
                                   bool zeros_add_nothing) {
    std::vector<ValueSpan> spans(static_cast<std::size_t>(height));
    for (std::int32_t r = 0; r < height; ++r) {
        const double* row = image + static_cast<std::int64_t>(r) * width;
        std::int32_t first = 0, last = width;
        if (zeros_add_nothing) {
            while (first < width && row[first] == 0) ++first;
            while (last > first && row[last - 1] == 0) --last;
        }
        spans[r] = {first, last};
    }
    return spans;
}

}  // namespace

void project_image(const double* image, std::int32_t width, std::int32_t height, double pixel_length,
                   const CijTable& cij, double* sinogram) {
    const std::int32_t bins = cij.bins;
    const std::int64_t count = sample_count(bins, cij.angles);
    std::fill(sinogram, sinogram + std::max<std::int64_t>(count, 0), 0.0);
    if (width <= 0 || height <= 0 || bins <= 0) return;
    const std::int32_t empty_bins = std::min(bins, 3);
    const std::vector<ValueSpan> spans = value_spans(image, width, height, std::isfinite(pixel_length));
    std::vector<double> column_cos = take_samples(width);
    std::vector<double> row_sin = take_samples(height);
    CijRowEntries entries(width);
    for (std::int32_t i = 0; i < cij.angles; ++i) {
        const CijAngle& a = cij.angle[i];
        double* projection = sinogram + static_cast<std::int64_t>(i) * bins;
        cij_products(a, width, height, column_cos.data(), row_sin.data());
        for (std::int32_t r = 0; r < height; ++r) {
            const auto [first, last] = spans[r];
            if (first >= last) continue;
            cij_row_entries(a, column_cos.data(), row_sin[r], first, last, bins, entries);
            const double* pixel = image + static_cast<std::int64_t>(r) * width;
            for (std::int32_t q = first; q < last; ++q) {
                const double value = pixel[q];
                const std::int32_t b = entries.first_bin[q];
                if (b >= 0) {
                    double* bin = projection + b;
                    bin[0] += (entries.w0[q] * value) * pixel_length;
                    bin[1] += (entries.w1[q] * value) * pixel_length;
                    bin[2] += (entries.w2[q] * value) * pixel_length;
                } else {
                    // Only a NaN (from a NaN or infinite value or length)
                    // changes a bin; ±0 changes none.
                    const double nothing = (0.0 * value) * pixel_length;
                    if (nothing != nothing)
                        for (std::int32_t k = 0; k < empty_bins; ++k) projection[k] += nothing;
                }
            }
        }
    }
}
