// noise_spectrum_sweep: the NNPS of images of signal 1 plus Gaussian noise,
// for a series of noise levels in decibels, averaged over repetitions.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/fft.h"
#include "common/random_deviates.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/noise/noise_parameters.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/noise_sweep.h"
#include "tools/noise/power_profiles.h"

int main(int argc, char** argv) {
    NoiseSpectrumSweepParameters p;
    start_tool(argc, argv, noise_spectrum_sweep_dialogue(p));
    p.pattern = negated_pattern_number(p.pattern);
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    require_repetitions(p.repetitions);
    require_row_count(p.levels, "ガウス雑音のレベルの数");
    const std::int32_t bins = axis_bin_count(p.width, p.bin_width);

    const std::int64_t plane = sample_count(p.width, p.height);
    std::vector<double> re = take_samples(plane), im = take_samples(plane);
    std::vector<double> x_table = take_samples(sample_count(p.levels, bins));
    std::vector<double> y_table = take_samples(sample_count(p.levels, bins));
    std::vector<double> stack = take_samples(stack_count(p.levels, plane));

    random_state noise{p.pattern};
    auto level = [&](std::int32_t row) { return level_of_row(p.start_level, p.level_step, row); };
    SweepSteps steps;
    steps.spectrum = [&](std::int32_t row) {
        fill_noise_field(re.data(), plane, level(row), noise);
        std::fill(im.begin(), im.end(), 0.0);
        fft2_centered(re.data(), im.data(), p.width, p.height);
        power_spectrum(re.data(), im.data(), plane);
        normalize_to_peak(re.data(), plane);
    };
    steps.profile = axis_band_profile_add;
    steps.row_label = [&](std::int32_t row) { return format_with_number("%ddB", level(row)); };
    steps.image_name = [&](std::int32_t row) { return format_with_number("n4-5_%02ddB.img", level(row)); };
    // The zero frequency, 1 in every normalised spectrum, would hide the noise.
    steps.final_image = [&](double* image) { image[static_cast<std::int64_t>(p.height / 2) * p.width + p.width / 2] = 0.0; };

    noise_sweep({p.width, p.height, p.bin_width, bins, p.levels, p.repetitions, p.x_table, p.y_table},
                {re, im, x_table, y_table, stack}, steps);
    return 0;
}
