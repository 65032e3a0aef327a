#include "tools/noise/nnps_measurement.h"

#include <algorithm>

#include "common/sample_arrays.h"
#include "tools/noise/noise_parameters.h"
#include "tools/noise/power_profiles.h"

NoiseSpectrum measure_noise_spectrum(const NoiseSpectrumParameters& p, const SampleSource& image) {
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    const std::int32_t bins = axis_bin_count(p.width, p.bin_width);
    const std::int64_t count = sample_count(p.width, p.height);
    NoiseSpectrum result;
    result.spectrum = take_samples(count);
    std::vector<double> im = take_samples(count);
    result.x_profile = take_samples(bins);
    result.y_profile = take_samples(bins);
    image(result.spectrum, count);
    normalized_noise_power(result.spectrum.data(), im.data(), p.width, p.height);
    // The profiles leave their spectrum transposed: they take a copy in the
    // imaginary part's array, which nothing needs any more.
    std::copy(result.spectrum.begin(), result.spectrum.end(), im.begin());
    axis_profiles(im.data(), p.width, p.height, p.bin_width, bins, result.x_profile.data(), result.y_profile.data());
    return result;
}
