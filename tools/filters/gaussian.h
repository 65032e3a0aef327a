#pragma once
// Gaussian smoothing by convolution, a row pass then a column pass. The
// image does not wrap: outside it the values count as zero, and the sampled
// Gaussian is used as it is, never renormalised (the output darkens towards
// the borders, and the taps need not sum to 1).

#include <cstdint>
#include <vector>

// σ of the Gaussian whose full width at half maximum is `fwhm` pixels.
double gaussian_sigma(std::int32_t fwhm);

// Taps of one pass, L = trunc(σ × 4 + 1) (0 when that is below 1), but no
// more than `limit`: a lag of `limit` or more never meets a pixel.
std::int64_t gaussian_length(double sigma, std::int64_t limit);

// g[n] for n = 0 … count − 1: the normal density of σ at whole pixels.
std::vector<double> gaussian_taps(double sigma, std::int64_t count);

// output = column pass of the row pass of input, both W × H, row major.
void gaussian_smooth(const double* input, double* output, std::int32_t width, std::int32_t height,
                     std::int32_t fwhm);
