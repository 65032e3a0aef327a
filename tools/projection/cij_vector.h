#pragma once
// cij_entry for four pixels at once with AVX2: the same operations on every
// lane, its branches turned into selections, so every weight has the bits
// that cij_entry gives. Only for functions built for AVX2 themselves, called
// where vector_code_available() says the processor has it.

#include <immintrin.h>

#include "tools/projection/projector.h"

// An angle's geometry in vector registers.
struct CijVectorAngle {
    __m256d m, T, d, flank, flank_divisor;
    __m256d lowest, highest;  // g of the first and the last bin that fill an entry
    __m256d first_offset;     // N/2 − 1: first bin = g + N/2 − 1
};

// Four entries: `filled` lanes all ones where the entry is filled; the first
// bin as a double (−1 where empty), the weights (0 where empty).
struct CijVectorEntries {
    __m256d filled, first_bin, w0, w1, w2;
};

__attribute__((target("avx2"))) inline CijVectorAngle cij_vector_angle(const CijAngle& a, std::int32_t bins) {
    // h = N/2 + g lies in 1 … N − 2 exactly when g lies in 1 − N/2 … N − 2 − N/2.
    const double half_bins = bins / 2;
    return {_mm256_set1_pd(a.m),
            _mm256_set1_pd(a.T),
            _mm256_set1_pd(a.d),
            _mm256_set1_pd(a.flank),
            // (d × 2) × c is 0 only at θ = 0, where c = 0 makes T = m: there
            // s equals past, so a lane that takes no flank share has s ≤ 0
            // and divides 0 by this. 1 stands in so that it gives 0, not NaN.
            _mm256_set1_pd(a.flank_divisor != 0 ? a.flank_divisor : 1.0),
            _mm256_set1_pd(1 - half_bins),
            _mm256_set1_pd(static_cast<double>(bins) - 2 - half_bins),
            _mm256_set1_pd(half_bins - 1)};
}

// The nearest bins g and the outer shares u (of bin h − 1) and v (of bin
// h + 1) of four entries, as if every lane were filled: callers that know
// every lane's nearest bin lies in 1 … N − 2 use them as they are,
// cij_vector_entries masks the lanes that are empty.
struct CijShares {
    __m256d g, u, v;
};

// when_set where the mask's lanes are all ones, otherwise elsewhere. By
// and, and-not and or rather than blendv: those leave the ports that do the
// arithmetic free for it.
__attribute__((target("avx2"))) inline __m256d cij_select(__m256d mask, __m256d when_set, __m256d otherwise) {
    return _mm256_or_pd(_mm256_and_pd(mask, when_set), _mm256_andnot_pd(mask, otherwise));
}

__attribute__((target("avx2"))) inline CijShares cij_vector_shares(const CijVectorAngle& a, __m256d t) {
    const __m256d half = _mm256_set1_pd(0.5), zero = _mm256_setzero_pd();
    const __m256d g = _mm256_floor_pd(_mm256_add_pd(t, half));
    const __m256d left = _mm256_sub_pd(g, half);
    const __m256d right = _mm256_add_pd(g, half);
    const __m256d past_left = _mm256_sub_pd(left, _mm256_sub_pd(t, a.m));
    const __m256d s_left = _mm256_sub_pd(left, _mm256_sub_pd(t, a.T));
    const __m256d past_right = _mm256_sub_pd(_mm256_add_pd(a.m, t), right);
    const __m256d s_right = _mm256_sub_pd(_mm256_add_pd(a.T, t), right);
    const __m256d top_u = _mm256_cmp_pd(past_left, zero, _CMP_GT_OQ);
    const __m256d top_v = _mm256_cmp_pd(past_right, zero, _CMP_GT_OQ);
    // A share is flank + past / d where past > 0; elsewhere s² / (2dc)
    // where s > 0, formed as +0 + s² / (2dc), and 0 where s ≤ 0: s is then
    // taken as +0 (max gives its second operand, +0, for s = −0 too), and
    // +0 + 0 / (2dc) is +0.
    const __m256d positive_left = _mm256_max_pd(s_left, zero);
    const __m256d positive_right = _mm256_max_pd(s_right, zero);
    const __m256d num_u = cij_select(top_u, past_left, _mm256_mul_pd(positive_left, positive_left));
    const __m256d num_v = cij_select(top_v, past_right, _mm256_mul_pd(positive_right, positive_right));
    const __m256d den_u = cij_select(top_u, a.d, a.flank_divisor);
    const __m256d den_v = cij_select(top_v, a.d, a.flank_divisor);
    const __m256d u = _mm256_add_pd(_mm256_and_pd(top_u, a.flank), _mm256_div_pd(num_u, den_u));
    const __m256d v = _mm256_add_pd(_mm256_and_pd(top_v, a.flank), _mm256_div_pd(num_v, den_v));
    return {g, u, v};
}

// Any four entries: the shares of cij_vector_shares kept only in the lanes
// whose nearest bin lies in 1 … N − 2; empty lanes get first bin −1 and the
// weights 0, 0, 0.
__attribute__((target("avx2"))) inline CijVectorEntries cij_vector_entries(const CijVectorAngle& a, __m256d t) {
    const CijShares s = cij_vector_shares(a, t);
    const __m256d filled =
        _mm256_and_pd(_mm256_cmp_pd(s.g, a.lowest, _CMP_GE_OQ), _mm256_cmp_pd(s.g, a.highest, _CMP_LE_OQ));
    const __m256d u = _mm256_and_pd(filled, s.u);
    const __m256d v = _mm256_and_pd(filled, s.v);
    const __m256d middle = _mm256_and_pd(filled, _mm256_sub_pd(_mm256_sub_pd(_mm256_set1_pd(1.0), u), v));
    const __m256d first_bin = _mm256_blendv_pd(_mm256_set1_pd(-1.0), _mm256_add_pd(s.g, a.first_offset), filled);
    return {filled, first_bin, u, middle, v};
}

// The weights of four entries known to be filled, and the first bin as
// g + N/2 − 1.
struct CijFilledEntries {
    __m256d first_bin, w0, w1, w2;
};

__attribute__((target("avx2"))) inline CijFilledEntries cij_vector_filled_entries(const CijVectorAngle& a,
                                                                                  __m256d t) {
    const CijShares s = cij_vector_shares(a, t);
    const __m256d one = _mm256_set1_pd(1.0);
    return {_mm256_add_pd(s.g, a.first_offset), s.u, _mm256_sub_pd(_mm256_sub_pd(one, s.u), s.v), s.v};
}
