#pragma once
// Direct filtered back projection of a fan sinogram: each view is weighted
// (the cosine of the ray's fan angle, and the scan's redundancy weight),
// convolved with the fan-beam ramp kernel (through the FFT, the kernel's
// lags all in), and back projected along the fan with the distance weight
// 1/L² (curved detector) or 1/U² (flat detector), the view interpolated
// linearly where the ray meets it (a curved detector's view resampled first
// on even steps of tan γ). The image is in 1/cm.
//
// The redundancy weights make every line count once in all: a full turn
// sees every line twice, from either end, and weighs each view alike; a
// shorter scan sees some lines twice and some once, and Parker's weights
// (a smooth share between the two ends of a line, summing to 1) put that
// right. Without them every view weighs 2π / range, right on average, and
// the doubly seen lines leave their streaks and shading for the learner to see.

#include <cstdint>
#include <vector>

#include "common/code_path.h"
#include "common/row_shares.h"
#include "tools/fan/fan_geometry.h"

// The filter: the bare ramp or the ramp times one of the suite's cosine
// windows 0.5 + 0.5·cos(π·f / (f_N·(w + 1))), w = 0 … 4, which fall from 1
// at zero frequency to 0 (w = 0) … 0.905 (w = 4) at the Nyquist frequency f_N.
inline constexpr std::int32_t no_window = -1;

// The ramp band-limited to band × ½ cycles per sample (0 < band ≤ 1)
// times the window, as a spatial kernel for unit spacing at lags
// 0 … count − 1: ∫ |f| W(f / band) e^{2πifn} df over |f| ≤ band / 2.
// Without a window and at the full band it is the suite's ramp kernel (¼,
// −1/(π²n²) at odd n, 0 at even n) to the bit.
std::vector<double> windowed_ramp(std::int32_t count, std::int32_t window, double band = 1);

// The band of the filter: a detector that samples the isocentre finer than
// the image's pixels would pass frequencies the pixels cannot hold (they
// come back as aliasing streaks), so the ramp ends at the pixels' Nyquist
// frequency: band = spacing at the isocentre / pixel length, at most 1.
double filter_band(const FanGeometry& g, double pixel_length);

// The fan kernel at lags 0 … N − 1 for the geometry: on a curved detector
// ½ (nα / sin nα)² ramp(n) / α² (α the angular spacing), on a flat one
// ½ ramp(n) / a² (a the spacing scaled to the isocentre, Δu·R/D).
std::vector<double> fan_kernel(const FanGeometry& g, std::int32_t window, double band = 1);

// Parker's weight of the ray (β, γ) in a scan of range π + 2δ (|γ| < δ):
// 0 … 1, and w(β, γ) + w(β + π + 2γ, −γ) = 1 over the two ends of a line.
double parker_weight(double beta, double gamma, double delta);

// Whether the scan needs redundancy weights (it is not a full turn), and
// whether Parker's weights can be had: the range must be at least the
// short scan, π + the fan angle.
bool parker_possible(const FanGeometry& g);

// The weight of each ray before the filter, views × bins: the detector's
// cosine weight times the redundancy weight (1 on a full turn; 2 × Parker,
// or 2π / range without it, on a shorter scan).
std::vector<double> fan_ray_weights(const FanGeometry& g, bool parker);

// The image (height × width, 1/cm) from the fan sinogram (views × bins).
// With row shares, the units are the blocks of image rows the threads share
// out (common/row_shares.h).
std::vector<double> fan_reconstruct_image(const std::vector<double>& sinogram, const FanGeometry& g,
                                          std::int32_t width, std::int32_t height, double pixel_length,
                                          std::int32_t window, bool parker,
                                          CodePath path = CodePath::fastest, const RowShares& shares = RowShares{});
