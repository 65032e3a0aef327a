#pragma once
// The bilateral filter: every output pixel is the mean of an n × n window of
// the periodic image, each neighbour weighted by a spatial Gaussian of its
// offset (width δ1, pixels) times a range Gaussian of its difference from
// the centre value (width δ2, image units).

#include <cstdint>
#include <vector>

#include "common/row_progress.h"

// ws(f, g) = exp((−(f·f) − g·g) / ((δ1 × 2) × δ1)) for the offsets
// f, g = −n/2 … −n/2 + n − 1, row major (n × n values).
std::vector<double> spatial_weights(std::int32_t window_width, double spatial_width);

// output = Σ t·w / Σ w over the window, rows outer and columns inner.
// Windows wider than the image wrap around as often as needed. A width of 0
// or less leaves both sums 0 and gives not-a-number samples, and so does a
// δ1 or δ2 of 0, through the centre's own weight.
// `progress`, when given, hears of every finished row.
void bilateral_smooth(const double* input, double* output, std::int32_t width, std::int32_t height,
                      std::int32_t window_width, double spatial_width, double range_width,
                      RowProgress* progress = nullptr);
