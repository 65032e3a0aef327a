#pragma once
// Rebinning a fan sinogram into the parallel sinogram that reconstruct
// takes: angles θ_k = k·π/P over half a turn, bins centred on
// t = (b − N/2)·Δ cm. The parallel ray (θ, t) is the fan ray
// γ = asin(t/R), β = θ − γ, and also, seen from the other end, the ray
// −γ of view β + π + γ. Each end the scan saw is read from the fan
// sinogram by the chosen interpolation between neighbouring views and
// bins, and the line takes the mean of the ends seen (0 when neither was).

#include <cstdint>
#include <vector>

#include "tools/fan/fan_geometry.h"

enum class RebinInterpolation { nearest = 1,
                                linear = 2 };

// The parallel sinogram (angles × bins) of the fan sinogram (views × bins of g).
std::vector<double> rebin_to_parallel(const std::vector<double>& fan, const FanGeometry& g, std::int32_t bins,
                                      std::int32_t angles, double pixel_length, RebinInterpolation interpolation);
