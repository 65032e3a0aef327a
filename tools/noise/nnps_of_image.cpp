// noise_spectrum: the normalised noise power spectrum (NNPS) of one noise
// image, saved whole and as x- and y-direction band profiles.

#include <cstdint>
#include <string>
#include <vector>

#include "common/fft.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/noise/noise_parameters.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/noise_sweep.h"
#include "tools/noise/power_profiles.h"

int main(int argc, char** argv) {
    NoiseSpectrumParameters p;
    start_tool(argc, argv, noise_spectrum_dialogue(p));
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    const std::int32_t bins = axis_bin_count(p.width, p.bin_width);

    const std::int64_t count = sample_count(p.width, p.height);
    std::vector<double> re = take_samples(count), im = take_samples(count);
    std::vector<double> x_profile = take_samples(bins), y_profile = take_samples(bins);

    read_raw_file(p.image, re, count);
    fft2_centered(re.data(), im.data(), p.width, p.height);
    power_spectrum(re.data(), im.data(), count);
    normalize_to_peak(re.data(), count);
    write_raw_file("n4-4_nnps.img", re, count);

    axis_band_profile(re.data(), p.width, p.height, p.bin_width, bins, x_profile.data(), ProfileMode::store);
    // The transpose is H wide and W tall, so the y profile runs along the
    // vertical frequency axis.
    transpose_spectrum(re.data(), p.width, p.height);
    axis_band_profile(re.data(), p.height, p.width, p.bin_width, bins, y_profile.data(), ProfileMode::store);

    write_column_table(p.x_table, x_profile.data(), bins, "%e\n");
    write_column_table(p.y_table, y_profile.data(), bins, "%e\n");
    return 0;
}
