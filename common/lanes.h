#pragma once
// Lane types: the inner loops are written once, as templates over a lane
// type V that holds one or more doubles, and built for each instruction set
// the suite runs:
//   double          one lane, the portable form, everywhere;
//   Avx2Lanes       four doubles (lanes_avx2.h), x86-64, chosen at run time
//                   where the processor has AVX2;
//   Avx512Lanes     eight doubles (lanes_avx512.h), x86-64 Linux, chosen at
//                   run time where the processor has AVX-512F and runs them
//                   faster than the AVX2 lanes;
//   Simd128Lanes    two doubles (lanes_simd128.h), in a WebAssembly build
//                   made with simd128;
//   Sse2Lanes       two doubles (lanes_sse2.h), every x86-64 processor.
// Every operation is the IEEE operation of one lane on each lane, with the
// branches of the one-lane form written as selections, so every lane has
// the bits that the one-lane form gives. Lanes<V> holds what is not an
// operator: for the one-lane type a comparison is a bool, for the others a
// lane type whose lanes are all ones or all zeros.

#include <cstdint>

#include "common/compiler.h"

template <class V>
struct Lanes;

// The one lane.
template <>
struct Lanes<double> {
    static constexpr std::int32_t count = 1;
    using Mask = bool;

    static CT_LANES double load(const double* p) { return *p; }
    static CT_LANES void store(double* p, double v) { *p = v; }
    // The largest integer not above v, for |v| below 2^53, without a library
    // call (the portable build has no rounding instruction).
    static CT_LANES double floor(double v) {
        const double whole = static_cast<double>(static_cast<std::int64_t>(v));
        return whole > v ? whole - 1 : whole;
    }
    // a where a > b, otherwise b (the vector max: b for NaN).
    static CT_LANES double max(double a, double b) { return a > b ? a : b; }
    static CT_LANES double select(bool mask, double when_set, double otherwise) { return mask ? when_set : otherwise; }
    // v where the mask is set, otherwise +0.
    static CT_LANES double keep(bool mask, double v) { return mask ? v : 0.0; }
    static CT_LANES bool any(bool mask) { return mask; }
    static CT_LANES bool all(bool mask) { return mask; }
    static CT_LANES double reversed(double v) { return v; }
    // The lanes, whole numbers within int32, as int32.
    static CT_LANES void store_int32(std::int32_t* p, double v) { *p = static_cast<std::int32_t>(v); }
    // Lanes first … count − 1, or 0 … count − 1, of v to p; the others
    // keep their values. One lane is always stored whole.
    static CT_LANES void store_last(double* p, double v, std::int32_t) { *p = v; }
    static CT_LANES void store_first(double* p, double v, std::int32_t) { *p = v; }

    // The samples base[index + k], k = 0, 1, 2, of each lane's index (a
    // whole number as a double). Lanes that take their indices from
    // neighbouring pixels of a row (rising along the lanes, or falling when
    // index_falls) may need them within count − 1 of each other
    // (picks_need_close_indices).
    static constexpr bool picks_need_close_indices = false;
    struct Three {
        double k0, k1, k2;
    };
    template <bool index_falls>
    static CT_LANES Three pick_three(const double* base, double index) {
        const double* at = base + static_cast<std::int32_t>(index);
        return {at[0], at[1], at[2]};
    }

    // Each lane's t truncated toward zero to n, as a double, and the samples
    // row[n] and row[n + 1] there.
    struct Pair {
        double whole, left, right;
    };
    static CT_LANES Pair truncated_pair(const double* row, double t) {
        const std::int32_t n = static_cast<std::int32_t>(t);
        return {static_cast<double>(n), row[n], row[n + 1]};
    }
};

#if defined(CT_HAS_AVX2_LANES)
// GCC 12 warns of the deliberately undefined value in some AVX-512
// intrinsics (_mm512_undefined_pd) once they are inlined: the warning is
// about the header, not the lanes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#include "common/lanes_avx2.h"
#endif
#if defined(CT_HAS_AVX512_LANES)
#include "common/lanes_avx512.h"
#endif
#if defined(__x86_64__) && defined(__SSE2__)
#include "common/lanes_sse2.h"
#endif
#if defined(__wasm_simd128__)
#include "common/lanes_simd128.h"
#endif

#include "common/code_path.h"

// The most lanes of any lane type: a row from which lanes pick their
// samples (pick_three) needs this many less one samples after its last bin.
constexpr std::int32_t most_lanes = 8;

#if defined(CT_HAS_AVX2_LANES)
template <class Kernel>
CT_TARGET_AVX2 void with_avx2_lanes(Kernel& kernel) {
    kernel(Avx2Lanes(0.0));
}
#endif
#if defined(CT_HAS_AVX512_LANES)
template <class Kernel>
CT_TARGET_AVX512 void with_avx512_lanes(Kernel& kernel) {
    kernel(Avx512Lanes(0.0));
}
#endif

// Runs kernel(V) with the lane type V of `code` (an always-inlined generic
// lambda, [&](auto lanes) CT_LANES_LAMBDA { using V = decltype(lanes); … }):
// the AVX2 (AVX-512) instantiation from a function built for AVX2
// (AVX-512F), the one lane for VectorCode::none.
template <class Kernel>
void with_lanes(VectorCode code, Kernel&& kernel) {
    switch (code) {
#if defined(CT_HAS_AVX2_LANES)
        case VectorCode::avx2:
            with_avx2_lanes(kernel);
            return;
#endif
#if defined(CT_HAS_AVX512_LANES)
        case VectorCode::avx512:
            with_avx512_lanes(kernel);
            return;
#endif
#if defined(__wasm_simd128__)
        case VectorCode::simd128:
            kernel(Simd128Lanes(0.0));
            return;
#endif
        default:
            kernel(0.0);
    }
}
