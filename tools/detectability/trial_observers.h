#pragma once
// Observers on image trials: N images with the signal and N without, each
// reduced to a few responses (the NPW template's and the channels'), and d'
// from those responses with a bootstrap confidence interval.
//
// NPW: the template is the task's own signal w (not estimated from the
// trials, so its noise cannot bias d'); t = wᵀg, and
// d' = (mean t_present − mean t_absent) / √((var t_present + var t_absent)/2),
// the variances with N − 1. In white noise of deviation σ and a signal C·w
// this is C·√(Σ w²)/σ.
// CHO: five Laguerre–Gauss channels u_j(r) = (√2/a)·exp(−πr²/a²)·L_j(2πr²/a²),
// v = Uᵀg, and the Hotelling observer on v: d'² = Δv̄ᵀ S⁻¹ Δv̄ with Δv̄ the
// mean difference and S the mean of the two covariance matrices (N − 1).
// The channel width is a = 0.4 × the disc's diameter: over a flat disc this
// width lets the five channels hold the most of its energy (94 %), so in
// white noise, where NPW is already the ideal observer, CHO reaches about
// 97 % of it.

#include <cstdint>
#include <vector>

#include "tools/detectability/observers.h"

inline constexpr int channel_count = 5;
inline constexpr double channel_width_per_diameter = 0.4;

// The task's signal on the W × H grid of pixel Δ (mm), unit contrast, centred
// on the pixel (W/2, H/2) as oval_draw centres its ellipses (pixel (row i,
// column j) at x = (j − W/2)Δ, y = (H/2 − i)Δ): flat and designer discs as the
// mean over 16 × 16 points of each pixel; the blurred disc, smooth, at the
// pixel's centre, from the inverse Hankel transform of its spectrum.
std::vector<double> task_image(const Task& task, std::int32_t width, std::int32_t height, double pixel);

// The five channels on the same grid, each W·H values after the other.
std::vector<double> laguerre_gauss_channels(double a, std::int32_t width, std::int32_t height, double pixel);

// One trial's responses: the NPW template's and the five channels'.
struct TrialResponses {
    double npw = 0;
    double channel[channel_count] = {};
};

// The responses of one image (W·H samples), each sum in row order.
TrialResponses responses_of(const std::vector<double>& image, const std::vector<double>& signal,
                            const std::vector<double>& channels);

struct TrialDPrime {
    double npw = 0, cho = 0;
};

// d' of both observers from the trials picked by the indices (all of them
// when the index lists are empty).
TrialDPrime trial_d_prime(const std::vector<TrialResponses>& present, const std::vector<TrialResponses>& absent,
                          const std::vector<std::int32_t>& pick_present = {},
                          const std::vector<std::int32_t>& pick_absent = {});

// The channels' covariance needs more trials of each kind than channels to
// be invertible (and not merely so by rounding): below that CHO has no d'.
inline bool cho_defined(std::int32_t trials) { return trials > channel_count; }

struct TrialStudy {
    TrialDPrime d;  // from all the trials
    TrialDPrime lower, upper;  // the 95 % interval
    double npw_amplitude = 0;  // the signal's measured height: Δt̄ / Σ w²
};

// d' of all the trials and the bootstrap interval: `resamples` times, N
// present and N absent trials drawn with replacement (the suite's generator,
// started from `pattern`), d' of each draw; the interval's ends are the
// 2.5 % and 97.5 % points of those values (linear between the sorted values
// at q·(B − 1)). CHO's three values are NaN when !cho_defined(N).
TrialStudy study_trials(const std::vector<TrialResponses>& present, const std::vector<TrialResponses>& absent,
                        double signal_energy, std::int32_t resamples, std::int32_t pattern);
