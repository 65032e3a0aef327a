// recon_noise_diagonal: the noise power spectrum (NPS) of reconstructed noise
// along the 45-degree diagonal of the frequency plane, from 403-angle noise
// sinograms, for a series of noise levels in decibels.

#include <cstdint>
#include <string>
#include <vector>

#include "common/random_deviates.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/noise/noise_parameters.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/noise_reconstruction.h"
#include "tools/noise/noise_sweep.h"
#include "tools/noise/power_profiles.h"
#include "tools/noise/reconstructed_noise_power.h"

namespace {
constexpr std::int32_t angles = 403;
}  // namespace

int main(int argc, char** argv) {
    ReconNoiseDiagonalParameters p;
    start_tool(argc, argv, recon_noise_diagonal_dialogue(p));
    p.pattern = negated_pattern_number(p.pattern);
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    require_repetitions(p.repetitions);
    require_row_count(p.levels, "ガウス雑音のレベルの数");
    const std::int32_t bins = diagonal_bin_count(p.width, p.bin_width);

    const std::int64_t plane = sample_count(p.width, p.height);
    std::vector<double> sinogram = take_samples(sample_count(angles, noise_detector_bins));
    std::vector<double> re = take_samples(plane), im = take_samples(plane);
    std::vector<double> x_table = take_samples(sample_count(p.levels, bins));
    std::vector<double> y_table = take_samples(sample_count(p.levels, bins));
    std::vector<double> stack = take_samples(stack_count(p.levels, plane));

    random_state noise{p.pattern};
    auto level = [&](std::int32_t row) { return level_of_row(p.start_level, p.level_step, row); };
    SweepSteps steps;
    steps.spectrum = [&](std::int32_t row) {
        reconstructed_noise_spectrum(sinogram, angles, level(row), noise, std::nullopt, re, im, p.width, p.height);
    };
    steps.profile = diagonal_band_profile;
    steps.row_label = [&](std::int32_t row) { return format_with_number("%ddB", level(row)); };
    steps.image_name = [&](std::int32_t row) { return format_with_number("n4-9_%02ddB.img", level(row)); };

    noise_sweep({p.width, p.height, p.bin_width, bins, p.levels, p.repetitions, p.x_table, p.y_table},
                {re, im, x_table, y_table, stack}, steps);
    return 0;
}
