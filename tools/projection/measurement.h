#pragma once
// Per-sample transforms between projections (line integrals) and detector
// counts, and the noise passes that make counts or images noisy. Each noise
// pass declares its own random_state seeded with 999 and draws in index
// order; the generator's shared table is still empty then, so every run
// draws the sequence that starts from seed 1.

#include <cstdint>
#include <string>

// counts[i] = e^(−projection[i]) × I0 for i = 0 … n − 1 (Beer–Lambert law).
void counts_from_projection(const double* projection, double* counts, std::int64_t n, std::int32_t i0);

// projection[i] = ln(I0 / counts[i]), and ln(I0) where the count is 0
// (a ray that no photon survived counts as one photon).
void projection_from_counts(const double* counts, double* projection, std::int64_t n, std::int32_t i0);

// Why projection_from_counts will give NaN samples, for the warning about
// them: the number of negative counts (noise can push a count below 0), or
// an empty text when there are none.
std::string negative_counts_cause(const double* counts, std::int64_t n);

// Replaces every sample by a Poisson deviate with the sample as its mean.
// Nothing happens for n <= 0.
void apply_poisson_noise(double* samples, std::int64_t n);

// Adds gaussian_deviate × sd to every sample. Nothing happens for n <= 0.
void apply_gaussian_noise(double* samples, std::int64_t n, double sd);

// The mean of the samples, summed in index order from 0, for n > 0.
double sample_mean(const double* samples, std::int64_t n);
