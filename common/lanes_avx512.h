#pragma once
// Eight doubles in an AVX-512 register, with the instructions of AVX-512F
// alone (every processor with AVX-512 has them). Built and used as the AVX2
// lanes are (lanes_avx2.h): only in functions built for AVX-512F
// (CT_TARGET_AVX512), called where vector_code(…) chose them. Included by
// lanes.h.
//
// A comparison gives one bit a lane in a mask register, not a lane type:
// Avx512Mask carries it, and a selection is a blend under it.

#include <immintrin.h>

#include <cstdint>

#include "common/compiler.h"

#pragma GCC diagnostic ignored "-Wpsabi"

#pragma GCC push_options
#pragma GCC target("avx512f")

struct Avx512Mask {
    __mmask8 bits;
};

inline Avx512Mask operator&(Avx512Mask a, Avx512Mask b) { return {static_cast<__mmask8>(a.bits & b.bits)}; }
inline Avx512Mask operator|(Avx512Mask a, Avx512Mask b) { return {static_cast<__mmask8>(a.bits | b.bits)}; }

struct Avx512Lanes {
    __m512d v;
    Avx512Lanes() = default;
    inline Avx512Lanes(__m512d lanes) : v(lanes) {}
    inline explicit Avx512Lanes(double each) : v(_mm512_set1_pd(each)) {}
};

inline Avx512Lanes operator+(Avx512Lanes a, Avx512Lanes b) { return _mm512_add_pd(a.v, b.v); }
inline Avx512Lanes operator-(Avx512Lanes a, Avx512Lanes b) { return _mm512_sub_pd(a.v, b.v); }
inline Avx512Lanes operator*(Avx512Lanes a, Avx512Lanes b) { return _mm512_mul_pd(a.v, b.v); }
inline Avx512Lanes operator/(Avx512Lanes a, Avx512Lanes b) { return _mm512_div_pd(a.v, b.v); }
inline Avx512Mask operator>(Avx512Lanes a, Avx512Lanes b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_GT_OQ)}; }
inline Avx512Mask operator>=(Avx512Lanes a, Avx512Lanes b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_GE_OQ)}; }
inline Avx512Mask operator<=(Avx512Lanes a, Avx512Lanes b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_LE_OQ)}; }
inline Avx512Mask operator==(Avx512Lanes a, Avx512Lanes b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_EQ_OQ)}; }
inline Avx512Mask operator!=(Avx512Lanes a, Avx512Lanes b) { return {_mm512_cmp_pd_mask(a.v, b.v, _CMP_NEQ_UQ)}; }

template <>
struct Lanes<Avx512Lanes> {
    using V = Avx512Lanes;
    static constexpr std::int32_t count = 8;
    using Mask = Avx512Mask;

    static inline V load(const double* p) { return _mm512_loadu_pd(p); }
    static inline void store(double* p, V v) { _mm512_storeu_pd(p, v.v); }
    static inline V floor(V v) { return _mm512_roundscale_pd(v.v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC); }
    static inline V max(V a, V b) { return _mm512_max_pd(a.v, b.v); }
    static inline V select(Mask mask, V when_set, V otherwise) {
        return _mm512_mask_blend_pd(mask.bits, otherwise.v, when_set.v);
    }
    static inline V keep(Mask mask, V v) { return _mm512_maskz_mov_pd(mask.bits, v.v); }
    static inline bool any(Mask mask) { return mask.bits != 0; }
    static inline bool all(Mask mask) { return mask.bits == 0xFF; }
    static inline V reversed(V v) { return _mm512_permutexvar_pd(_mm512_setr_epi64(7, 6, 5, 4, 3, 2, 1, 0), v.v); }
    static inline void store_int32(std::int32_t* p, V v) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm512_cvttpd_epi32(v.v));
    }
    static inline void store_last(double* p, V v, std::int32_t first) {
        _mm512_mask_storeu_pd(p, static_cast<__mmask8>(0xFF << first), v.v);
    }
    static inline void store_first(double* p, V v, std::int32_t count) {
        _mm512_mask_storeu_pd(p, static_cast<__mmask8>((1 << count) - 1), v.v);
    }

    // As the AVX2 lanes' picks, eight lanes from the eight samples at the
    // lowest index by one permutation each: the indices must lie within 7 of
    // the lowest, and the row needs seven samples after its last bin.
    static constexpr bool picks_need_close_indices = true;
    struct Three {
        V k0, k1, k2;
    };
    template <bool index_falls>
    static inline Three pick_three(const double* base, V index) {
        const __m512d lowest = _mm512_permutexvar_pd(_mm512_set1_epi64(index_falls ? 7 : 0), index.v);
        const double* at = base + _mm_cvtsd_si32(_mm512_castpd512_pd128(lowest));
        // Lane j's offset o from the lowest (0 … 7) in the low bits of the
        // double 2^52 + o, which is all the permutation reads of an index.
        const __m512i pick =
            _mm512_castpd_si512(_mm512_add_pd(_mm512_sub_pd(index.v, lowest), _mm512_set1_pd(4503599627370496.0)));
        const auto picked = [&](const double* p) __attribute__((always_inline)) {
            return _mm512_permutexvar_pd(pick, _mm512_loadu_pd(p));
        };
        return {picked(at), picked(at + 1), picked(at + 2)};
    }

    struct Pair {
        V whole, left, right;
    };
    static inline Pair truncated_pair(const double* row, V t) {
        const __m256i n = _mm512_cvttpd_epi32(t.v);
        return {_mm512_cvtepi32_pd(n), _mm512_i32gather_pd(n, row, 8), _mm512_i32gather_pd(n, row + 1, 8)};
    }
};

#pragma GCC pop_options
