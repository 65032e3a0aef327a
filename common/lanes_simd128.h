#pragma once
// Two doubles in a WebAssembly simd128 register, for a build made with
// -msimd128 (the whole module then has it). Included by lanes.h.

#include <wasm_simd128.h>

#include <cstdint>

#include "common/compiler.h"

struct Simd128Lanes {
    v128_t v;
    Simd128Lanes() = default;
    CT_LANES Simd128Lanes(v128_t lanes) : v(lanes) {}
    CT_LANES explicit Simd128Lanes(double each) : v(wasm_f64x2_splat(each)) {}
};

CT_LANES Simd128Lanes operator+(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_add(a.v, b.v); }
CT_LANES Simd128Lanes operator-(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_sub(a.v, b.v); }
CT_LANES Simd128Lanes operator*(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_mul(a.v, b.v); }
CT_LANES Simd128Lanes operator/(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_div(a.v, b.v); }
CT_LANES Simd128Lanes operator>(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_gt(a.v, b.v); }
CT_LANES Simd128Lanes operator>=(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_ge(a.v, b.v); }
CT_LANES Simd128Lanes operator<=(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_le(a.v, b.v); }
CT_LANES Simd128Lanes operator==(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_eq(a.v, b.v); }
CT_LANES Simd128Lanes operator!=(Simd128Lanes a, Simd128Lanes b) { return wasm_f64x2_ne(a.v, b.v); }
CT_LANES Simd128Lanes operator&(Simd128Lanes a, Simd128Lanes b) { return wasm_v128_and(a.v, b.v); }
CT_LANES Simd128Lanes operator|(Simd128Lanes a, Simd128Lanes b) { return wasm_v128_or(a.v, b.v); }

template <>
struct Lanes<Simd128Lanes> {
    using V = Simd128Lanes;
    static constexpr std::int32_t count = 2;
    using Mask = Simd128Lanes;

    static CT_LANES V load(const double* p) { return wasm_v128_load(p); }
    static CT_LANES void store(double* p, V v) { wasm_v128_store(p, v.v); }
    static CT_LANES V floor(V v) { return wasm_f64x2_floor(v.v); }
    // pmax(b, a) is a where b < a, otherwise b: the one-lane max.
    static CT_LANES V max(V a, V b) { return wasm_f64x2_pmax(b.v, a.v); }
    static CT_LANES V select(Mask mask, V when_set, V otherwise) {
        return wasm_v128_bitselect(when_set.v, otherwise.v, mask.v);
    }
    static CT_LANES V keep(Mask mask, V v) { return wasm_v128_and(mask.v, v.v); }
    static CT_LANES bool any(Mask mask) { return wasm_v128_any_true(mask.v); }
    static CT_LANES bool all(Mask mask) { return wasm_i64x2_all_true(mask.v); }
    static CT_LANES V reversed(V v) { return wasm_i64x2_shuffle(v.v, v.v, 1, 0); }
    // The lanes hold whole numbers here (the projector's first bins, or
    // −1): both int32 at once from the biased doubles, no conversion.
    static CT_LANES void store_int32(std::int32_t* p, V v) {
        wasm_v128_store64_lane(p, int32_lanes(biased(v)), 0);
    }
    // Of two lanes the one not yet done: the second, or the first.
    static CT_LANES void store_last(double* p, V v, std::int32_t first) {
        if (first == 0)
            wasm_v128_store(p, v.v);
        else
            p[1] = wasm_f64x2_extract_lane(v.v, 1);
    }
    static CT_LANES void store_first(double* p, V v, std::int32_t count) {
        if (count == 2)
            wasm_v128_store(p, v.v);
        else
            p[0] = wasm_f64x2_extract_lane(v.v, 0);
    }

    // Whole numbers w with |w| < 2^51 as int32 in lanes 0 and 1 (wrapped
    // two's complement): w + 1.5·2^52 is exact and holds w in its low bits.
    // No conversion instruction: clang turns a conversion of each lane into
    // WebAssembly's trapping truncation guarded by a range test and a branch.
    static constexpr double whole_number_bias = 6755399441055744.0;
    static CT_LANES v128_t biased(V whole) { return wasm_f64x2_add(whole.v, wasm_f64x2_splat(whole_number_bias)); }
    static CT_LANES v128_t int32_lanes(v128_t biased) { return wasm_i32x4_shuffle(biased, biased, 0, 2, 0, 2); }

    static constexpr bool picks_need_close_indices = false;
    struct Three {
        V k0, k1, k2;
    };
    // Each lane's three samples by two loads of two, shuffled together:
    // a[0], a[1] and a[1], a[2] (no sample beyond the three).
    template <bool index_falls>
    static CT_LANES Three pick_three(const double* base, V index) {
        const v128_t n = int32_lanes(biased(index));
        const double* a = base + wasm_i32x4_extract_lane(n, 0);
        const double* b = base + wasm_i32x4_extract_lane(n, 1);
        const v128_t a01 = wasm_v128_load(a), b01 = wasm_v128_load(b);
        const v128_t a12 = wasm_v128_load(a + 1), b12 = wasm_v128_load(b + 1);
        return {wasm_i64x2_shuffle(a01, b01, 0, 2), wasm_i64x2_shuffle(a01, b01, 1, 3),
                wasm_i64x2_shuffle(a12, b12, 1, 3)};
    }

    struct Pair {
        V whole, left, right;
    };
    // t lies on the detector, well inside int32. Its truncation biased and
    // back is the double of the int32 truncation, +0 for a t in (-1, 0)
    // whose truncation is -0.
    static CT_LANES Pair truncated_pair(const double* row, V t) {
        const v128_t b = biased(wasm_f64x2_trunc(t.v));
        const v128_t n = int32_lanes(b);
        const v128_t p0 = wasm_v128_load(row + wasm_i32x4_extract_lane(n, 0));  // row[n0], row[n0 + 1]
        const v128_t p1 = wasm_v128_load(row + wasm_i32x4_extract_lane(n, 1));
        const V whole = wasm_f64x2_sub(b, wasm_f64x2_splat(whole_number_bias));
        return {whole, wasm_i64x2_shuffle(p0, p1, 0, 2), wasm_i64x2_shuffle(p0, p1, 1, 3)};
    }
};
