#pragma once
// Two doubles in an SSE2 register, which every x86-64 processor has: only
// what the noise back projection's interpolation takes. Included by lanes.h.

#include <emmintrin.h>

#include <cstdint>

#include "common/compiler.h"

struct Sse2Lanes {
    __m128d v;
    CT_LANES Sse2Lanes(__m128d lanes) : v(lanes) {}
    CT_LANES explicit Sse2Lanes(double each) : v(_mm_set1_pd(each)) {}
};

CT_LANES Sse2Lanes operator+(Sse2Lanes a, Sse2Lanes b) { return _mm_add_pd(a.v, b.v); }
CT_LANES Sse2Lanes operator-(Sse2Lanes a, Sse2Lanes b) { return _mm_sub_pd(a.v, b.v); }
CT_LANES Sse2Lanes operator*(Sse2Lanes a, Sse2Lanes b) { return _mm_mul_pd(a.v, b.v); }

template <>
struct Lanes<Sse2Lanes> {
    using V = Sse2Lanes;
    static constexpr std::int32_t count = 2;

    static CT_LANES V load(const double* p) { return _mm_loadu_pd(p); }
    static CT_LANES void store(double* p, V v) { _mm_storeu_pd(p, v.v); }

    struct Pair {
        V whole, left, right;
    };
    static CT_LANES Pair truncated_pair(const double* row, V t) {
        const __m128i n = _mm_cvttpd_epi32(t.v);
        // Both indices in one move to an integer register.
        const std::int64_t both = _mm_cvtsi128_si64(n);
        const __m128d p0 = _mm_loadu_pd(row + static_cast<std::int32_t>(both));  // row[n0], row[n0 + 1]
        const __m128d p1 = _mm_loadu_pd(row + static_cast<std::int32_t>(both >> 32));
        return {_mm_cvtepi32_pd(n), _mm_unpacklo_pd(p0, p1), _mm_unpackhi_pd(p0, p1)};
    }
};
