#include "tools/recon/fbp.h"

#include <algorithm>
#include <cmath>

#include "common/sample_arrays.h"
#include "common/code_path.h"
#if CT_AVX2_BUILT
#include <immintrin.h>

#include "tools/projection/cij_vector.h"
#endif

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

#if CT_AVX2_BUILT
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
#else
// No AVX2 on this target: vector_code_available() is false and the
// vector form is the portable one.
void add_scaled_avx2(double* sum, const double* weight, double sample, std::int32_t count) {
    add_scaled(sum, weight, sample, count);
}
#endif

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

// Pairs of image rows per block of the back projection: a thread passes
// every angle over one block before the next.
constexpr std::int32_t pairs_per_block = 8;

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
[[maybe_unused]] bool entry_filled(double t, std::int32_t bins) {
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

#if CT_AVX2_BUILT
// The sums of pixels pixel[0 … 3] with four filled entries added (AVX2,
// N ≥ 3), lane j's three bins being b + o_j, b + o_j + 1 and b + o_j + 2
// for an offset o_j in 0 … 3 (given as a double): they are picked by one
// shuffle from each of the four samples at b, b + 1 and b + 2. These read
// up to three samples past the entry's last bin, so the row needs three
// samples after it.
__attribute__((target("avx2"))) inline __m256d picked_sums(const double* b, __m256d offset, __m256d w0, __m256d w1,
                                                           __m256d w2, const double* pixel) {
    // Lane j's shuffle index: the pair of 32-bit halves 2o, 2o + 1, formed
    // in the low bits of the double 2^52 + 2^32 + o·(2 + 2^33) (exact: all
    // below 2^53).
    const __m256d pair_scale = _mm256_set1_pd(2.0 + 8589934592.0);
    const __m256d pair_bias = _mm256_set1_pd(4503599627370496.0 + 4294967296.0);
    const __m256i pick = _mm256_castpd_si256(_mm256_add_pd(_mm256_mul_pd(offset, pair_scale), pair_bias));
    const __m256d bin0 = _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(b)), pick));
    const __m256d bin1 = _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(b + 1)), pick));
    const __m256d bin2 = _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(b + 2)), pick));
    __m256d sum = _mm256_loadu_pd(pixel);
    sum = _mm256_add_pd(sum, _mm256_mul_pd(bin0, w0));
    sum = _mm256_add_pd(sum, _mm256_mul_pd(bin1, w1));
    return _mm256_add_pd(sum, _mm256_mul_pd(bin2, w2));
}

// The lane that holds the lowest of four first bins: the first when t grows
// along the row, the last when it falls (the bins lie within 3 of it).
template <bool t_falls>
__attribute__((target("avx2"))) inline __m256d lowest_lane(__m256d bins) {
    return _mm256_permute4x64_pd(bins, t_falls ? 0xFF : 0x00);
}

template <bool t_falls>
__attribute__((target("avx2"))) inline __m256d four_entry_sums(const double* p, __m256d first_bin, __m256d w0,
                                                               __m256d w1, __m256d w2, const double* pixel) {
    const __m256d lowest = lowest_lane<t_falls>(first_bin);
    return picked_sums(p + _mm_cvtsd_si32(_mm256_castpd256_pd128(lowest)), _mm256_sub_pd(first_bin, lowest), w0, w1,
                       w2, pixel);
}

// Lanes 0 … done − 1 set: the pixels that a last group of four, moved back
// to end with its row's run, has already had.
__attribute__((target("avx2"))) inline __m256d lanes_done(std::int32_t done) {
    return _mm256_castsi256_pd(_mm256_cmpgt_epi64(_mm256_set1_epi64x(done), _mm256_setr_epi64x(0, 1, 2, 3)));
}

// Stores the four sums but where `keep` is set.
__attribute__((target("avx2"))) inline void store_but(double* pixel, __m256d sums, __m256d keep) {
    _mm256_storeu_pd(pixel, _mm256_blendv_pd(sums, _mm256_loadu_pd(pixel), keep));
}

// Columns first … last − 1 of a row whose entries are all filled, four at
// a time without a branch. The last one to three of four or more go in a
// group that ends with the run, its lanes done before kept as they are;
// fewer than four go one by one.
template <bool t_falls>
__attribute__((target("avx2"))) void back_project_filled_avx2(const CijVectorAngle& angle, const CijAngle& a,
                                                              const double* column_cos, double y_sin, const double* p,
                                                              std::int32_t bins, double* pixel, std::int32_t first,
                                                              std::int32_t last) {
    const __m256d y = _mm256_set1_pd(y_sin);
    const auto sums = [&](std::int32_t q) __attribute__((target("avx2"), always_inline)) {
        const CijFilledEntries e =
            cij_vector_filled_entries(angle, _mm256_add_pd(_mm256_loadu_pd(column_cos + q), y));
        return four_entry_sums<t_falls>(p, e.first_bin, e.w0, e.w1, e.w2, pixel + q);
    };
    if (last - first < 4) {
        back_project_row(a, column_cos, y_sin, p, bins, true, pixel, first, last);
        return;
    }
    std::int32_t q = first;
    for (; q + 4 <= last; q += 4) _mm256_storeu_pd(pixel + q, sums(q));
    if (q < last) store_but(pixel + last - 4, sums(last - 4), lanes_done(q - (last - 4)));
}

// The filled entries of a row form one run of columns, first … last − 1:
// along a row t changes monotonically (x·C rounds monotonically in x).
struct FilledRun {
    std::int32_t first, last;
};

// The ends are found four columns at a time from each side, then column by
// column.
__attribute__((target("avx2"))) FilledRun filled_run(const CijVectorAngle& angle, const double* column_cos,
                                                     double y_sin, std::int32_t bins, std::int32_t width) {
    const __m256d y = _mm256_set1_pd(y_sin), half = _mm256_set1_pd(0.5);
    const auto any_filled = [&](std::int32_t q) __attribute__((target("avx2"), always_inline)) {
        const __m256d g = _mm256_floor_pd(_mm256_add_pd(_mm256_add_pd(_mm256_loadu_pd(column_cos + q), y), half));
        return _mm256_movemask_pd(_mm256_and_pd(_mm256_cmp_pd(g, angle.lowest, _CMP_GE_OQ),
                                                _mm256_cmp_pd(g, angle.highest, _CMP_LE_OQ))) != 0;
    };
    std::int32_t first = 0, last = width;
    while (first + 4 <= last && !any_filled(first)) first += 4;
    while (first < last && !entry_filled(column_cos[first] + y_sin, bins)) ++first;
    while (last - 4 >= first && !any_filled(last - 4)) last -= 4;
    while (last > first && !entry_filled(column_cos[last - 1] + y_sin, bins)) --last;
    return {first, last};
}

// Columns from … to − 1 of one row with AVX2, for N ≥ 3, given the row's
// filled run: the empty pixels one by one, the filled ones four at a time.
template <bool t_falls>
__attribute__((target("avx2"))) void back_project_columns_avx2(const CijVectorAngle& angle, const CijAngle& a,
                                                               const double* column_cos, double y_sin,
                                                               const double* p, std::int32_t bins,
                                                               bool empty_adds_nothing, double* pixel,
                                                               FilledRun run, std::int32_t from, std::int32_t to) {
    const std::int32_t first = std::min(std::max(run.first, from), to);
    const std::int32_t last = std::max(std::min(run.last, to), first);
    if (!empty_adds_nothing) {
        back_project_row(a, column_cos, y_sin, p, bins, false, pixel, from, first);
        back_project_row(a, column_cos, y_sin, p, bins, false, pixel, last, to);
    }
    back_project_filled_avx2<t_falls>(angle, a, column_cos, y_sin, p, bins, pixel, first, last);
}

// The columns of a row pair go in chunks of groups of four: first the
// entries of every group (the long chain from t through the two divisions
// to the weights), then the sums, so that the processor overlaps the chains
// of many groups instead of waiting for each group's weights in turn.
struct PairChunk {
    static constexpr std::int32_t groups = 16;
    // g of each lane, and the mirror's (−g) negated, in the mirror's lanes
    __m256d g[groups], w0[groups], w1[groups], w2[groups];
    __m256d mirror_minus_g[groups], mirror_w0[groups], mirror_w1[groups], mirror_w2[groups];
};

// A row and its mirror row, whose pixels lie at (−x, −y), with AVX2, for
// N ≥ 3. The mirror of the pixel at column q is at column 2·(W/2) − q, and
// its t is −t with the very same bits: x·C and y·S change sign exactly and
// rounding to nearest is symmetric. Where its nearest bin is −g (always but
// where t + 0.5 and −t + 0.5 round to a tie or across an integer), the
// mirror's bin edges are −R and −L, and its shares are the pixel's shares
// swapped, bit for bit: −R − (−t − m) is (m + t) − R, −R − (−t − T) is
// (T + t) − R, (m − t) − (−L) is L − (t − m), and so on. Only its middle
// share, (1 − v) − u, is formed anew, and its first bin is N/2 − g − 1. So
// the two divisions of four entries serve eight pixels; the mirror's four
// pixels run the other way along its row. Where both entries are filled the
// two rows go together, four pixels at a time; a mirror pixel whose nearest
// bin is not −g goes on its own.
template <bool t_falls>
__attribute__((target("avx2"))) void back_project_row_pair_avx2(const CijVectorAngle& angle, const CijAngle& a,
                                                                const double* column_cos, double y_sin,
                                                                double mirror_y_sin, const double* p,
                                                                std::int32_t bins, bool empty_adds_nothing,
                                                                double* pixel, double* mirror_pixel,
                                                                std::int32_t width) {
    const FilledRun run = filled_run(angle, column_cos, y_sin, bins, width);
    const FilledRun mirror_run = filled_run(angle, column_cos, mirror_y_sin, bins, width);
    // Columns q whose own and whose mirror's (2·(W/2) − q) entries are filled.
    const std::int32_t mirror_sum = 2 * (width / 2);
    const std::int32_t pair_first = std::min(std::max(run.first, mirror_sum - mirror_run.last + 1), run.last);
    const std::int32_t pair_last = std::max(std::min(run.last, mirror_sum - mirror_run.first + 1), pair_first);

    const __m256d half = _mm256_set1_pd(0.5), one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    const __m256d y = _mm256_set1_pd(y_sin);
    PairChunk c;
    const std::int32_t first_offset = bins / 2 - 1;
    // Group j of a chunk from column `from`: columns from + 4j … from + 4j + 3
    // and their mirrors, the mirror's lane j being lane 3 − j here (column
    // mirror_sum − from − 4j − 3 + j). True when every mirror's nearest bin
    // is −g, so that every mirror takes the swapped shares.
    const auto entries = [&](std::int32_t from, std::int32_t groups) __attribute__((target("avx2"), always_inline)) {
        __m256d differs = zero;
        for (std::int32_t j = 0; j < groups; ++j) {
            const __m256d t = _mm256_add_pd(_mm256_loadu_pd(column_cos + from + 4 * j), y);
            const CijShares s = cij_vector_shares(angle, t);
            c.g[j] = s.g;
            c.w0[j] = s.u;
            c.w1[j] = _mm256_sub_pd(_mm256_sub_pd(one, s.u), s.v);
            c.w2[j] = s.v;
            // The mirror's nearest bin, −t + 0.5 rounded as its own pixel has it.
            const __m256d mirror_g = _mm256_floor_pd(_mm256_sub_pd(half, t));
            differs = _mm256_or_pd(differs, _mm256_cmp_pd(_mm256_add_pd(mirror_g, s.g), zero, _CMP_NEQ_UQ));
            const __m256d g = _mm256_permute4x64_pd(s.g, 0x1B);
            const __m256d u = _mm256_permute4x64_pd(s.v, 0x1B);
            const __m256d v = _mm256_permute4x64_pd(s.u, 0x1B);
            c.mirror_minus_g[j] = g;
            c.mirror_w0[j] = u;
            c.mirror_w1[j] = _mm256_sub_pd(_mm256_sub_pd(one, u), v);
            c.mirror_w2[j] = v;
        }
        return _mm256_movemask_pd(differs) == 0;
    };
    // The same question for one group alone.
    const auto mirror_takes_shares = [&](std::int32_t start) __attribute__((target("avx2"), always_inline)) {
        const __m256d t = _mm256_add_pd(_mm256_loadu_pd(column_cos + start), y);
        const __m256d g = _mm256_floor_pd(_mm256_add_pd(t, half));
        const __m256d mirror_g = _mm256_floor_pd(_mm256_sub_pd(half, t));
        return _mm256_movemask_pd(_mm256_cmp_pd(_mm256_add_pd(mirror_g, g), zero, _CMP_EQ_OQ)) == 0xF;
    };
    // Group j's sums into columns start … start + 3, but those of its first
    // `done` lanes, which an earlier group has had.
    const auto sums = [&](std::int32_t j, std::int32_t start,
                          std::int32_t done) __attribute__((target("avx2"), always_inline)) {
        double* at = pixel + start;
        // First bins g + N/2 − 1, the offsets those of g.
        const __m256d lowest = lowest_lane<t_falls>(c.g[j]);
        const __m256d sum = picked_sums(p + first_offset + _mm_cvtsd_si32(_mm256_castpd256_pd128(lowest)),
                                        _mm256_sub_pd(c.g[j], lowest), c.w0[j], c.w1[j], c.w2[j], at);
        if (done == 0)
            _mm256_storeu_pd(at, sum);
        else
            store_but(at, sum, lanes_done(done));
    };
    const auto mirror_sums = [&](std::int32_t j, std::int32_t start, std::int32_t done,
                                 bool takes_shares) __attribute__((target("avx2"), always_inline)) {
        const std::int32_t mirror_q = mirror_sum - start - 3;
        double* at = mirror_pixel + mirror_q;
        if (!takes_shares) {
            back_project_row(a, column_cos, mirror_y_sin, p, bins, true, mirror_pixel, mirror_q, mirror_q + 4 - done);
            return;
        }
        // First bins N/2 − 1 − (−g): the lowest is that of the highest −g.
        const __m256d highest = lowest_lane<t_falls>(c.mirror_minus_g[j]);
        const __m256d sum = picked_sums(p + first_offset - _mm_cvtsd_si32(_mm256_castpd256_pd128(highest)),
                                        _mm256_sub_pd(highest, c.mirror_minus_g[j]), c.mirror_w0[j], c.mirror_w1[j],
                                        c.mirror_w2[j], at);
        if (done == 0)
            _mm256_storeu_pd(at, sum);
        else
            store_but(at, sum, _mm256_permute4x64_pd(lanes_done(done), 0x1B));
    };
    // Chunks of whole groups; the last one to three columns of the run go
    // in a group of their own that ends with the run.
    std::int32_t q = pair_first;
    if (pair_last - pair_first >= 4) {
        while (q + 4 <= pair_last) {
            const std::int32_t groups = std::min(PairChunk::groups, (pair_last - q) / 4);
            const bool every_mirror_takes_shares = entries(q, groups);
            for (std::int32_t j = 0; j < groups; ++j) sums(j, q + 4 * j, 0);
            if (every_mirror_takes_shares)
                for (std::int32_t j = 0; j < groups; ++j) mirror_sums(j, q + 4 * j, 0, true);
            else
                for (std::int32_t j = 0; j < groups; ++j)
                    mirror_sums(j, q + 4 * j, 0, mirror_takes_shares(q + 4 * j));
            q += 4 * groups;
        }
        if (q < pair_last) {
            const std::int32_t start = pair_last - 4;
            const bool takes_shares = entries(start, 1);
            sums(0, start, q - start);
            mirror_sums(0, start, q - start, takes_shares);
            q = pair_last;
        }
    }
    // The rest of each row, on both sides of the columns done together.
    back_project_columns_avx2<t_falls>(angle, a, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, run, 0,
                                       pair_first);
    back_project_columns_avx2<t_falls>(angle, a, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, run, q,
                                       width);
    const std::int32_t mirror_first = q > pair_first ? mirror_sum - q + 1 : width;
    const std::int32_t mirror_last = q > pair_first ? mirror_sum - pair_first + 1 : width;
    back_project_columns_avx2<t_falls>(angle, a, column_cos, mirror_y_sin, p, bins, empty_adds_nothing,
                                       mirror_pixel, mirror_run, 0, mirror_first);
    back_project_columns_avx2<t_falls>(angle, a, column_cos, mirror_y_sin, p, bins, empty_adds_nothing,
                                       mirror_pixel, mirror_run, mirror_last, width);
}

// One row, or a row and its mirror row, with AVX2 (N ≥ 3), t rising or
// falling along the rows as the sign of C says.
__attribute__((target("avx2"))) void back_project_row_vector(const CijAngle& a, const double* column_cos,
                                                             double y_sin, const double* p, std::int32_t bins,
                                                             bool empty_adds_nothing, double* pixel,
                                                             std::int32_t width) {
    const CijVectorAngle angle = cij_vector_angle(a, bins);
    const FilledRun run = filled_run(angle, column_cos, y_sin, bins, width);
    if (a.cos_theta < 0)
        back_project_columns_avx2<true>(angle, a, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, run, 0,
                                        width);
    else
        back_project_columns_avx2<false>(angle, a, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, run, 0,
                                         width);
}

__attribute__((target("avx2"))) void back_project_row_pair_vector(const CijAngle& a, const double* column_cos,
                                                                  double y_sin, double mirror_y_sin, const double* p,
                                                                  std::int32_t bins, bool empty_adds_nothing,
                                                                  double* pixel, double* mirror_pixel,
                                                                  std::int32_t width) {
    const CijVectorAngle angle = cij_vector_angle(a, bins);
    if (a.cos_theta < 0)
        back_project_row_pair_avx2<true>(angle, a, column_cos, y_sin, mirror_y_sin, p, bins, empty_adds_nothing,
                                         pixel, mirror_pixel, width);
    else
        back_project_row_pair_avx2<false>(angle, a, column_cos, y_sin, mirror_y_sin, p, bins, empty_adds_nothing,
                                          pixel, mirror_pixel, width);
}
#else
// No AVX2 on this target: vector_code_available() is false and the
// vector rows are the portable ones.
void back_project_row_vector(const CijAngle& a, const double* column_cos, double y_sin, const double* p,
                             std::int32_t bins, bool empty_adds_nothing, double* pixel, std::int32_t width) {
    back_project_row(a, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, 0, width);
}
void back_project_row_pair_vector(const CijAngle& a, const double* column_cos, double y_sin, double mirror_y_sin,
                                  const double* p, std::int32_t bins, bool empty_adds_nothing, double* pixel,
                                  double* mirror_pixel, std::int32_t width) {
    back_project_row(a, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, 0, width);
    back_project_row(a, column_cos, mirror_y_sin, p, bins, empty_adds_nothing, mirror_pixel, 0, width);
}
#endif
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
        // Row r and row 2·(H/2) − r hold mirror pixels (−x, −y) and go
        // together: rows pair_first … H/2 − 1 with their mirrors below the
        // middle. The rows without a partner (row 0 when H is even) and the
        // middle row H/2, its own mirror, go on their own as block 0.
        const std::int32_t half_h = height / 2;
        const std::int32_t mirror_sum = 2 * half_h;
        const std::int32_t pair_first = mirror_sum - height + 1;
        const std::int32_t pair_blocks = (half_h - pair_first + pairs_per_block - 1) / pairs_per_block;
        const std::int32_t lone_rows[] = {0, half_h};
        const std::int32_t lone_count = pair_first > 0 ? 2 : 1;
        const std::int32_t* lone_first = pair_first > 0 ? lone_rows : lone_rows + 1;
        // Every pixel takes its angles in order; the threads share out
        // blocks of image rows (a block of rows and their mirrors, or the
        // lone rows), each block small enough to stay in the cache while all
        // angles pass over it. A thread takes the next block when it is done
        // with one, so that a core shared with other programs holds no one up.
#pragma omp parallel
        {
            std::vector<double> column_cos = take_samples(width);
#pragma omp for schedule(dynamic)
            for (std::int32_t block = 0; block <= pair_blocks; ++block) {
                const std::int32_t first_row = pair_first + (block - 1) * pairs_per_block;
                const std::int32_t last_row = std::min(first_row + pairs_per_block, half_h);
                for (std::int32_t i = 0; i < cij.angles; ++i) {
                    const CijAngle& a = cij.angle[i];
                    const double* p = vector && i == cij.angles - 1 ? last_projection.data()
                                                                    : sinogram + static_cast<std::int64_t>(i) * bins;
                    const bool empty = empty_adds_nothing[i] != 0;
                    const bool vector_rows = vector && four_bins_apart_at_most_three(a, width, height);
                    column_products(a, width, column_cos.data());
                    auto one_row = [&](std::int32_t r) {
                        const double y_sin = static_cast<double>(half_h - r) * a.sin_theta;
                        double* pixel = image + static_cast<std::int64_t>(r) * width;
                        if (vector_rows)
                            back_project_row_vector(a, column_cos.data(), y_sin, p, bins, empty, pixel, width);
                        else
                            back_project_row(a, column_cos.data(), y_sin, p, bins, empty, pixel, 0, width);
                    };
                    if (block == 0) {
                        for (std::int32_t k = 0; k < lone_count; ++k) one_row(lone_first[k]);
                        continue;
                    }
                    for (std::int32_t r = first_row; r < last_row; ++r) {
                        if (vector_rows) {
                            const std::int32_t mirror_r = mirror_sum - r;
                            back_project_row_pair_vector(a, column_cos.data(),
                                                         static_cast<double>(half_h - r) * a.sin_theta,
                                                         static_cast<double>(half_h - mirror_r) * a.sin_theta, p,
                                                         bins, empty, image + static_cast<std::int64_t>(r) * width,
                                                         image + static_cast<std::int64_t>(mirror_r) * width, width);
                        } else {
                            one_row(r);
                            one_row(mirror_sum - r);
                        }
                    }
                }
            }
        }
    }
    const double angular_step = projection_pi / cij.angles;
    for (std::int64_t j = 0; j < pixels; ++j) image[j] = image[j] * angular_step;
}
