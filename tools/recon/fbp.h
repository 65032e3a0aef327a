#pragma once
// Filtered back projection through the projector's cij table: each
// projection row is convolved in the spatial domain with the ramp
// (Ramachandran–Lakshminarayanan) kernel and smeared back over the image
// along the very weights that project_image uses, so that the back
// projection is the exact transpose of the projection.

#include <cstdint>
#include <vector>

#include "tools/projection/projector.h"

// π² as the ramp kernel takes it (the square of 3.14159265358979).
inline constexpr double ramp_pi_squared = 9.869604401089338;

// The ramp kernel for lags 0 … N − 1: 1/((Δ × 4) × Δ) at lag 0,
// −1/((((Δ × π²) × Δ) × n) × n) at odd lags n, 0 at even lags.
std::vector<double> ramp_kernel(std::int32_t bins, double pixel_length);

// Replaces every row p of the P × N sinogram by (Δ × out[j]) × Δ, where
// out[j] is the sum over k = 0 … N − 1, in increasing k and from 0, of
// kernel[|j − k|] × p[k]: a direct convolution, the row taken as zero
// outside its N bins.
void ramp_filter(double* sinogram, std::int32_t bins, std::int32_t angles, double pixel_length,
                 CodePath path = CodePath::fastest);

// Fills the W × H image from the filtered P × N sinogram: angles in order,
// pixels in row-major order, p[b0 + k] × w_k for k = 0, 1, 2 of each entry,
// then every value times π / P.
// With row shares, the units are the blocks of image rows the threads share
// out (common/row_shares.h).
void back_project(double* image, std::int32_t width, std::int32_t height, const double* sinogram,
                  const CijTable& cij, CodePath path = CodePath::fastest, const RowShares& shares = RowShares{});
