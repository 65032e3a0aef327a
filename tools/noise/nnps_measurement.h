#pragma once
// noise_spectrum's computation, shared by its main and the Python module:
// the NNPS of one noise image (height × width, sides powers of two, read
// when the computation reaches it), whole and as x and y band profiles.

#include <vector>

#include "common/raw_file.h"
#include "tools/noise/noise_questions.h"

struct NoiseSpectrum {
    std::vector<double> spectrum;  // height × width (n4-4_nnps.img)
    std::vector<double> x_profile, y_profile;  // W div (2·b) bins each
};

NoiseSpectrum measure_noise_spectrum(const NoiseSpectrumParameters& p, const SampleSource& image);
