#include "common/lane_trial.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "common/lanes.h"

namespace {

constexpr std::int32_t trial_samples = 4096;
constexpr std::int32_t trial_passes = 48;

// What a back projection does for each pixel at each angle: its nearest
// sample, a share formed by a selection and a division, three samples
// picked from a row at neighbouring indices, and a sum kept in memory.
// About a millisecond: long enough for a processor that slows down for
// wide vectors to have done so.
template <class V>
CT_LANES void trial(const double* t, const double* row, double* sum) {
    using L = Lanes<V>;
    const V half(0.5), zero(0.0), m(0.3), d(0.7), flank(0.1), divisor(1.9);
    for (std::int32_t pass = 0; pass < trial_passes; ++pass) {
        for (std::int32_t k = 0; k + L::count <= trial_samples; k += L::count) {
            const V tk = L::load(t + k);
            const V g = L::floor(tk + half);
            const V past = (g - half) - (tk - m);
            const auto top = past > zero;
            const V s = L::max(past, zero);
            const V share = L::keep(top, flank) + L::select(top, past, s * s) / L::select(top, d, divisor);
            const typename L::Three bin = L::template pick_three<false>(row, g);
            V out = L::load(sum + k);
            out = out + bin.k0 * share;
            out = out + bin.k1 * ((V(1.0) - share) - share);
            L::store(sum + k, out + bin.k2 * share);
        }
    }
}

double seconds_of(VectorCode code, const std::vector<double>& t, const std::vector<double>& row,
                  std::vector<double>& sum) {
    const auto start = std::chrono::steady_clock::now();
    with_lanes(code, [&](auto lanes) CT_LANES_LAMBDA { trial<decltype(lanes)>(t.data(), row.data(), sum.data()); });
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

VectorCode faster_vector_code(VectorCode a, VectorCode b) {
    // t rises by 0.9 a sample, as along a row of pixels, so that every
    // lane group's indices lie close together.
    std::vector<double> t(trial_samples), row(trial_samples + most_lanes + 2, 1.0), sum(trial_samples, 0.0);
    for (std::int32_t k = 0; k < trial_samples; ++k) t[k] = 0.9 * k;
    double best_a = 1e300, best_b = 1e300;
    for (int round = 0; round < 3; ++round) {
        best_a = std::min(best_a, seconds_of(a, t, row, sum));
        best_b = std::min(best_b, seconds_of(b, t, row, sum));
    }
    return best_b < best_a ? b : a;
}
