#pragma once
// Four doubles in an AVX2 register. Everything here is built for AVX2 and
// runs only in functions built for it (CT_TARGET_AVX2), called where
// vector_code(…) says the processor has it. Included by lanes.h. These are
// plain inline functions, not always-inlined ones: a kernel over the lane
// type is always inlined into the function built for AVX2 that calls it,
// and only there can the compiler inline these in turn.

#include <immintrin.h>

#include <cstdint>

#include "common/compiler.h"

// The kernels' generic forms take and return Avx2Lanes by value before
// they are inlined; GCC notes an ABI change of 2011 for such functions,
// which never exist out of line here.
#pragma GCC diagnostic ignored "-Wpsabi"

#pragma GCC push_options
#pragma GCC target("avx2")

struct Avx2Lanes {
    __m256d v;
    Avx2Lanes() = default;
    inline Avx2Lanes(__m256d lanes) : v(lanes) {}
    inline explicit Avx2Lanes(double each) : v(_mm256_set1_pd(each)) {}
};

inline Avx2Lanes operator+(Avx2Lanes a, Avx2Lanes b) { return _mm256_add_pd(a.v, b.v); }
inline Avx2Lanes operator-(Avx2Lanes a, Avx2Lanes b) { return _mm256_sub_pd(a.v, b.v); }
inline Avx2Lanes operator*(Avx2Lanes a, Avx2Lanes b) { return _mm256_mul_pd(a.v, b.v); }
inline Avx2Lanes operator/(Avx2Lanes a, Avx2Lanes b) { return _mm256_div_pd(a.v, b.v); }
inline Avx2Lanes operator>(Avx2Lanes a, Avx2Lanes b) { return _mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ); }
inline Avx2Lanes operator>=(Avx2Lanes a, Avx2Lanes b) { return _mm256_cmp_pd(a.v, b.v, _CMP_GE_OQ); }
inline Avx2Lanes operator<=(Avx2Lanes a, Avx2Lanes b) { return _mm256_cmp_pd(a.v, b.v, _CMP_LE_OQ); }
inline Avx2Lanes operator==(Avx2Lanes a, Avx2Lanes b) { return _mm256_cmp_pd(a.v, b.v, _CMP_EQ_OQ); }
inline Avx2Lanes operator!=(Avx2Lanes a, Avx2Lanes b) { return _mm256_cmp_pd(a.v, b.v, _CMP_NEQ_UQ); }
inline Avx2Lanes operator&(Avx2Lanes a, Avx2Lanes b) { return _mm256_and_pd(a.v, b.v); }
inline Avx2Lanes operator|(Avx2Lanes a, Avx2Lanes b) { return _mm256_or_pd(a.v, b.v); }

template <>
struct Lanes<Avx2Lanes> {
    using V = Avx2Lanes;
    static constexpr std::int32_t count = 4;
    using Mask = Avx2Lanes;

    static inline V load(const double* p) { return _mm256_loadu_pd(p); }
    static inline void store(double* p, V v) { _mm256_storeu_pd(p, v.v); }
    static inline V floor(V v) { return _mm256_floor_pd(v.v); }
    static inline V max(V a, V b) { return _mm256_max_pd(a.v, b.v); }
    // By and, and-not and or rather than blendv: those leave the ports that
    // do the arithmetic free for it.
    static inline V select(Mask mask, V when_set, V otherwise) {
        return _mm256_or_pd(_mm256_and_pd(mask.v, when_set.v), _mm256_andnot_pd(mask.v, otherwise.v));
    }
    static inline V keep(Mask mask, V v) { return _mm256_and_pd(mask.v, v.v); }
    static inline bool any(Mask mask) { return _mm256_movemask_pd(mask.v) != 0; }
    static inline bool all(Mask mask) { return _mm256_movemask_pd(mask.v) == 0xF; }
    static inline V reversed(V v) { return _mm256_permute4x64_pd(v.v, 0x1B); }
    static inline void store_int32(std::int32_t* p, V v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_cvttpd_epi32(v.v));
    }
    static inline Mask lanes_below(std::int32_t count) {
        return _mm256_castsi256_pd(_mm256_cmpgt_epi64(_mm256_set1_epi64x(count), _mm256_setr_epi64x(0, 1, 2, 3)));
    }
    static inline void store_last(double* p, V v, std::int32_t first) {
        _mm256_storeu_pd(p, _mm256_blendv_pd(v.v, _mm256_loadu_pd(p), lanes_below(first).v));
    }
    static inline void store_first(double* p, V v, std::int32_t count) {
        _mm256_storeu_pd(p, _mm256_blendv_pd(_mm256_loadu_pd(p), v.v, lanes_below(count).v));
    }

    // The four lanes' samples come from the four at the lowest index and
    // its next three by one shuffle each: the indices must lie within 3 of
    // the lowest, which is the first lane's (the last one's when the
    // indices fall). These read up to three samples past the highest
    // index's third, so the row needs three samples after it.
    static constexpr bool picks_need_close_indices = true;
    struct Three {
        V k0, k1, k2;
    };
    template <bool index_falls>
    static inline Three pick_three(const double* base, V index) {
        const __m256d lowest = _mm256_permute4x64_pd(index.v, index_falls ? 0xFF : 0x00);
        const double* at = base + _mm_cvtsd_si32(_mm256_castpd256_pd128(lowest));
        // Lane j's shuffle index: the pair of 32-bit halves 2o, 2o + 1 for
        // its offset o from the lowest, formed in the low bits of the double
        // 2^52 + 2^32 + o·(2 + 2^33) (exact: all below 2^53).
        const __m256d pair_scale = _mm256_set1_pd(2.0 + 8589934592.0);
        const __m256d pair_bias = _mm256_set1_pd(4503599627370496.0 + 4294967296.0);
        const __m256i pick =
            _mm256_castpd_si256(_mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(index.v, lowest), pair_scale), pair_bias));
        const auto picked = [&](const double* p) __attribute__((always_inline)) {
            return _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(p)), pick));
        };
        return {picked(at), picked(at + 1), picked(at + 2)};
    }

    struct Pair {
        V whole, left, right;
    };
    static inline Pair truncated_pair(const double* row, V t) {
        const __m128i n = _mm256_cvttpd_epi32(t.v);
        const std::int64_t low = _mm_cvtsi128_si64(n), high = _mm_extract_epi64(n, 1);
        const double* p0 = row + static_cast<std::int32_t>(low);
        const double* p1 = row + static_cast<std::int32_t>(low >> 32);
        const double* p2 = row + static_cast<std::int32_t>(high);
        const double* p3 = row + static_cast<std::int32_t>(high >> 32);
        // Lanes 0 and 2, 1 and 3: row[n], row[n + 1] of each pixel.
        const __m256d pairs_02 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(p0)), _mm_loadu_pd(p2), 1);
        const __m256d pairs_13 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(p1)), _mm_loadu_pd(p3), 1);
        return {_mm256_cvtepi32_pd(n), _mm256_unpacklo_pd(pairs_02, pairs_13), _mm256_unpackhi_pd(pairs_02, pairs_13)};
    }
};

#pragma GCC pop_options
