// recon_noise_windows: the noise power spectrum (NPS) of images reconstructed
// from 512-angle noise sinograms with the ramp filter times each of five
// cosine windows, at one noise level, averaged over repetitions.

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
constexpr std::int32_t angles = 512;
constexpr std::int32_t windows = 5;
}  // namespace

int main(int argc, char** argv) {
    ReconNoiseWindowsParameters p;
    start_tool(argc, argv, recon_noise_windows_dialogue(p));
    p.pattern = negated_pattern_number(p.pattern);
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    require_repetitions(p.repetitions);
    const std::int32_t bins = axis_bin_count(p.width, p.bin_width);

    const std::int64_t plane = sample_count(p.width, p.height);
    std::vector<double> sinogram = take_samples(sample_count(angles, noise_detector_bins));
    std::vector<double> re = take_samples(plane), im = take_samples(plane);
    std::vector<double> x_table = take_samples(sample_count(windows, bins));
    std::vector<double> y_table = take_samples(sample_count(windows, bins));
    std::vector<double> stack = take_samples(stack_count(windows, plane));

    random_state noise{p.pattern};
    SweepSteps steps;
    steps.spectrum = [&](std::int32_t window) {
        reconstructed_noise_spectrum(sinogram, angles, p.level, noise, window, re, im, p.width, p.height);
    };
    steps.profile = axis_band_profile_add;
    steps.row_label = [](std::int32_t window) { return format_with_number("W%d(u)", window); };
    steps.image_name = [](std::int32_t window) { return format_with_number("n4-7_w%d(u).img", window); };

    noise_sweep({p.width, p.height, p.bin_width, bins, windows, p.repetitions, p.x_table, p.y_table},
                {re, im, x_table, y_table, stack}, steps);
    return 0;
}
