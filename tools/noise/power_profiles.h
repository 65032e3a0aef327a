#pragma once
// Noise power spectra and their one-dimensional profiles.
//
// A spectrum is W × H doubles, row-major, zero frequency at (row H/2,
// column W/2). The sample at (y, x) has the frequency offsets v = H/2 − y
// (up) and m = x − W/2 (right) and the radial distance d = √(v² + m²).
// Bin k (k = 0 … K − 1) holds the samples with
// (k + 1)·b − 0.5·b ≤ d < (k + 1)·b + 0.5·b, so the zero frequency and its
// nearest neighbours lie in no bin. A profile entry is the mean of the
// selected samples of its bin; a bin that selects nothing gives 0/0.

#include <cstdint>

#include "common/random_deviates.h"

// array[i] := g_i·σ + 1 with σ = 10^(−level/20) and g_i successive Gaussian
// deviates of `state`; the Gaussian spare runs on from the previous field.
void fill_noise_field(double* array, std::int64_t count, std::int32_t level, random_state& state);

// re[i] := im[i]² + re[i]²; im is left as it is.
void power_spectrum(double* re, const double* im, std::int64_t count);

// Every element divided by the largest one (the first of equal largest).
void normalize_to_peak(double* re, std::int64_t count);

// Replaces the W-wide, H-tall spectrum by its transpose, H wide and W tall:
// element (row y, column x) moves to (row x, column y), so the vertical
// frequency axis runs where the horizontal one ran and the zero frequency
// lands at (row W/2, column H/2). Profiles of the result are taken with the
// width H and the height W; for a square spectrum nothing else changes.
void transpose_spectrum(double* re, std::int32_t width, std::int32_t height);

enum class ProfileMode { store,
                         add };

// Mean of each bin over the band along the horizontal frequency axis: the
// fourteen rows 1 ≤ |v| ≤ 7, every column but m = 0. Stored into out[k] or
// added to it (value + out[k]).
void axis_band_profile(const double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                       std::int32_t bins, double* out, ProfileMode mode);

// Mean of each bin over the diagonal selection: where v and m have the same
// sign only the samples within distance 7 of the diagonal v = m, elsewhere
// (v·m ≤ 0, both axes included) every sample. Always added to out[k].
void diagonal_band_profile(const double* spectrum, std::int32_t width, std::int32_t height,
                           std::int32_t bin_width, std::int32_t bins, double* out);

// The profile operation of a sweep tool, in add mode.
using SweepProfile = void (*)(const double* spectrum, std::int32_t width, std::int32_t height,
                              std::int32_t bin_width, std::int32_t bins, double* out);
void axis_band_profile_add(const double* spectrum, std::int32_t width, std::int32_t height,
                           std::int32_t bin_width, std::int32_t bins, double* out);

// noise_spectrum's spectrum: re holds the W × H noise image and im zeros;
// re is left holding |F|² of the image's centred transform normalised to
// its peak, im the imaginary part of the transform.
void normalized_noise_power(double* re, double* im, std::int32_t width, std::int32_t height);

// noise_spectrum's profiles of a W × H spectrum: the axis band profile into
// x_profile and, after transposition, the same along the vertical frequency
// axis into y_profile (both stored). The spectrum is left transposed.
void axis_profiles(double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                   std::int32_t bins, double* x_profile, double* y_profile);
