#pragma once
// The entries of the cij table, written once over the lane types of
// common/lanes.h: cij_entry for one pixel (the portable form), and the
// same expressions for two or four neighbouring pixels of a row at once.
// An entry's branches are selections, so every lane's weights have the bits
// that one lane gives.

#include <cstdint>

#include "common/lanes.h"
#include "tools/projection/projector.h"

// An angle's geometry in lanes.
template <class V>
struct CijLaneAngle {
    V m, T, d, flank, flank_divisor;
    V lowest, highest;  // g of the first and the last bin that fill an entry
    V first_offset;  // N/2 − 1: first bin = g + N/2 − 1
};

template <class V>
CT_LANES CijLaneAngle<V> cij_lane_angle(const CijAngle& a, std::int32_t bins) {
    // h = N/2 + g lies in 1 … N − 2 exactly when g lies in 1 − N/2 … N − 2 − N/2.
    const double half_bins = bins / 2;
    // (d × 2) × c is 0 only at θ = 0, where c = 0 makes T = m: there s
    // equals past, so a lane that takes no flank share has s ≤ 0 and
    // divides 0 by this. 1 stands in so that it gives 0, not NaN.
    return {V(a.m),
            V(a.T),
            V(a.d),
            V(a.flank),
            V(a.flank_divisor != 0 ? a.flank_divisor : 1.0),
            V(1 - half_bins),
            V(static_cast<double>(bins) - 2 - half_bins),
            V(half_bins - 1)};
}

// g = ⌊t + 0.5⌋, the nearest bin's offset from the middle.
template <class V>
CT_LANES V cij_nearest(V t) {
    return Lanes<V>::floor(t + V(0.5));
}

// The filled-entry test: the nearest bin lies in 1 … N − 2.
template <class V>
CT_LANES typename Lanes<V>::Mask cij_filled(const CijLaneAngle<V>& a, V g) {
    return (g >= a.lowest) & (g <= a.highest);
}

// The nearest bins g and the outer shares u (of bin h − 1) and v (of bin
// h + 1) of the entries at t, as if every lane were filled: callers that
// know every lane's nearest bin lies in 1 … N − 2 use them as they are,
// cij_lane_entries masks the lanes that are empty.
template <class V>
struct CijShares {
    V g, u, v;
};

template <class V>
CT_LANES CijShares<V> cij_shares(const CijLaneAngle<V>& a, V t) {
    using L = Lanes<V>;
    const V half(0.5), zero(0.0);
    const V g = cij_nearest(t);
    const V left = g - half;  // L, left edge of the nearest bin
    const V right = g + half;  // R, its right edge
    const V past_left = left - (t - a.m);
    const V s_left = left - (t - a.T);
    const V past_right = (a.m + t) - right;
    const V s_right = (a.T + t) - right;
    const auto top_u = past_left > zero;
    const auto top_v = past_right > zero;
    // A share is flank + past / d where past > 0; elsewhere s² / (2dc)
    // where s > 0, formed as +0 + s² / (2dc), and 0 where s ≤ 0: s is then
    // taken as +0 (max gives its second operand, +0, for s = −0 too), and
    // +0 + 0 / (2dc) is +0.
    const V positive_left = L::max(s_left, zero);
    const V positive_right = L::max(s_right, zero);
    const V num_u = L::select(top_u, past_left, positive_left * positive_left);
    const V num_v = L::select(top_v, past_right, positive_right * positive_right);
    const V den_u = L::select(top_u, a.d, a.flank_divisor);
    const V den_v = L::select(top_v, a.d, a.flank_divisor);
    return {g, L::keep(top_u, a.flank) + num_u / den_u, L::keep(top_v, a.flank) + num_v / den_v};
}

// Entries of any pixels: the first bin as a double (−1 where empty) and the
// weights (0, 0, 0 where empty).
template <class V>
struct CijLaneEntries {
    typename Lanes<V>::Mask filled;
    V first_bin, w0, w1, w2;
};

template <class V>
CT_LANES CijLaneEntries<V> cij_lane_entries(const CijLaneAngle<V>& a, V t) {
    using L = Lanes<V>;
    const CijShares<V> s = cij_shares(a, t);
    const auto filled = cij_filled(a, s.g);
    const V u = L::keep(filled, s.u);
    const V v = L::keep(filled, s.v);
    const V middle = L::keep(filled, (V(1.0) - u) - v);
    return {filled, L::select(filled, s.g + a.first_offset, V(-1.0)), u, middle, v};
}

// The weights of entries known to be filled, and the first bin as
// g + N/2 − 1.
template <class V>
struct CijFilledEntries {
    V first_bin, w0, w1, w2;
};

template <class V>
CT_LANES CijFilledEntries<V> cij_filled_entries(const CijLaneAngle<V>& a, V t) {
    const CijShares<V> s = cij_shares(a, t);
    return {s.g + a.first_offset, s.u, (V(1.0) - s.u) - s.v, s.v};
}

// The entry of a pixel whose centre lies at detector coordinate t. False
// (entry left as it is) when the pixel's nearest bin lies outside
// 1 … bins − 2.
CT_LANES bool cij_entry(const CijLaneAngle<double>& a, double t, CijEntry& e) {
    const CijLaneEntries<double> lane = cij_lane_entries(a, t);
    if (!lane.filled) return false;
    e.first_bin = static_cast<std::int32_t>(lane.first_bin);
    e.w0 = lane.w0;
    e.w1 = lane.w1;
    e.w2 = lane.w2;
    return true;
}
