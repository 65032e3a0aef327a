#pragma once
// The steps of the reconstructed-noise tools: a fresh noise sinogram, then
// its reconstruction and the power spectrum of the image.

#include <cstdint>
#include <vector>

#include "common/random_deviates.h"
#include "tools/noise/noise_reconstruction.h"

// Fills the A × 512 sinogram with 1 plus noise of `level` dB.
void draw_noise_sinogram(std::vector<double>& sinogram, std::int32_t angles, std::int32_t level,
                         random_state& noise);

// Reconstructs the sinogram onto re (W × H) with the given filter window,
// and leaves |F|² of the image's centred transform in re (unnormalised); im
// ends as the imaginary part of the transform, the sinogram as the filtered
// rows. Touches nothing else, so that several may run at once.
void reconstructed_noise_spectrum(std::vector<double>& sinogram, std::int32_t angles, FilterWindow window,
                                  std::vector<double>& re, std::vector<double>& im, std::int32_t width,
                                  std::int32_t height);
