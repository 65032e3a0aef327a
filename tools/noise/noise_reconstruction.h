#pragma once
// Filtered back projection of noise sinograms with a fixed geometry: 512
// detector bins, the centre of rotation at bin 256, unit pixel and bin
// sizes, a ramp filter applied to the centred spectrum of every projection
// row (optionally shaped by a cosine window), and linear interpolation in
// the back projection over the half turn of A angles (512 or 403).

#include <cstdint>
#include <optional>

#include "common/code_path.h"

inline constexpr std::int32_t noise_detector_bins = 512;

// Window index w = 0 … 4 of the reconstruction filter, or none for the bare ramp.
using FilterWindow = std::optional<std::int32_t>;

// image (W × H) := FBP reconstruction of the A × 512 sinogram; the sinogram
// is left holding the filtered rows.
void reconstruct_noise_sinogram(double* sinogram, std::int32_t angles, double* image, std::int32_t width,
                                std::int32_t height, FilterWindow window);

// Multiplies column n of every row of 512 by the filter weight of the
// frequency x = n − 256: |x|·(0.001953125/a), times 0.5·cos(φ) + 0.5 with
// φ = x·π·0.00390625/(w + 1) when a window is given.
void noise_ramp_filter(double* rows, std::int32_t angles, double sample_spacing, FilterWindow window);

// The weight noise_ramp_filter gives to column n.
double noise_filter_weight(std::int32_t column, double sample_spacing, FilterWindow window);

// image := back projection of the A filtered rows onto W × H pixels, times
// the angular step. The detector coordinate t runs along each image row by
// repeated addition of dx and from row to row by repeated addition of dy;
// bin n = t truncated toward zero contributes when 0 ≤ n ≤ 510. Four pixels
// at a time with AVX2 on the fastest path where the processor has it,
// otherwise two at a time; both give the same bytes.
void noise_back_project(double* image, std::int32_t width, std::int32_t height, double pixel_width,
                        double pixel_height, const double* rows, double bin_width, std::int32_t angles,
                        CodePath path = CodePath::fastest);

// Projection angle i of A over the half turn, and the angular step that
// scales the back projection.
double noise_projection_angle(std::int32_t index, std::int32_t angles);
double noise_angular_step(std::int32_t angles);
