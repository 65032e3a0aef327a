#include "tools/noise/reconstructed_noise_power.h"

#include <algorithm>

#include "common/fft.h"
#include "tools/noise/power_profiles.h"

void draw_noise_sinogram(std::vector<double>& sinogram, std::int32_t angles, std::int32_t level,
                         random_state& noise) {
    fill_noise_field(sinogram.data(), static_cast<std::int64_t>(angles) * noise_detector_bins, level, noise);
}

void reconstructed_noise_spectrum(std::vector<double>& sinogram, std::int32_t angles, FilterWindow window,
                                  std::vector<double>& re, std::vector<double>& im, std::int32_t width,
                                  std::int32_t height) {
    reconstruct_noise_sinogram(sinogram.data(), angles, re.data(), width, height, window);
    std::fill(im.begin(), im.end(), 0.0);
    fft2_centered(re.data(), im.data(), width, height);
    power_spectrum(re.data(), im.data(), static_cast<std::int64_t>(width) * height);
}
