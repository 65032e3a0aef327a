#include "tools/noise/sweep_tools.h"

#include <algorithm>

#include "common/fft.h"
#include "common/output_file.h"
#include "common/random_deviates.h"
#include "common/sample_arrays.h"
#include "tools/noise/noise_parameters.h"
#include "tools/noise/power_profiles.h"
#include "tools/noise/reconstructed_noise_power.h"

namespace {

constexpr std::int32_t sweep_angles = 512;     // recon_noise_sweep and recon_noise_windows
constexpr std::int32_t diagonal_angles = 403;  // recon_noise_diagonal
constexpr std::int32_t windows = 5;            // W0(u) … W4(u)

// The answers every sweep shares, checked in the tools' order.
struct SweepAnswers {
    std::string x_table, y_table;
    std::int32_t width, height, bin_width, repetitions, rows;
};

// The tables and the stack, taken in the tools' order; the loop takes the
// working arrays of its realisations itself.
SweepOutcome take_outcome(const SweepAnswers& a, std::int32_t bins, std::int64_t field_samples,
                          std::FILE* progress) {
    SweepOutcome o;
    const std::int64_t plane = sample_count(a.width, a.height);
    o.x_table = take_samples(sample_count(a.rows, bins));
    o.y_table = take_samples(sample_count(a.rows, bins));
    o.stack = take_samples(stack_count(a.rows, plane));
    o.settings = {a.width, a.height, a.bin_width, bins, a.rows, a.repetitions, a.x_table, a.y_table, field_samples,
                  progress};
    return o;
}

void run(SweepOutcome& o, const SweepSteps& steps) {
    measure_noise_sweep(o.settings, {o.x_table, o.y_table, o.stack}, steps);
    for (std::int32_t row = 0; row < o.settings.rows; ++row) {
        o.labels.push_back(steps.row_label(row));
        o.image_names.push_back(steps.image_name(row));
    }
}

using BinCount = std::int32_t (*)(std::int32_t width, std::int32_t bin_width);

// The three sweeps over noise levels.
SweepAnswers level_answers(const LevelSweepParameters& p) {
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    require_repetitions(p.repetitions);
    require_row_count(p.levels, "ガウス雑音のレベルの数");
    return {p.x_table, p.y_table, p.width, p.height, p.bin_width, p.repetitions, p.levels};
}

SweepOutcome reconstructed_level_sweep(const LevelSweepParameters& p, std::int32_t angles, BinCount bin_count,
                                       SweepProfile profile, const char* image_pattern, std::FILE* progress) {
    const std::int32_t seed = negated_pattern_number(p.pattern);
    const SweepAnswers a = level_answers(p);
    const std::int32_t bins = bin_count(p.width, p.bin_width);
    SweepOutcome o = take_outcome(a, bins, sample_count(angles, noise_detector_bins), progress);

    random_state noise{seed};
    auto level = [&](std::int32_t row) { return level_of_row(p.start_level, p.level_step, row); };
    SweepSteps steps;
    steps.draw = [&](std::int32_t row, SweepWork& work) { draw_noise_sinogram(work.field, angles, level(row), noise); };
    steps.spectrum = [&](std::int32_t, SweepWork& work) {
        reconstructed_noise_spectrum(work.field, angles, std::nullopt, work.re, work.im, p.width, p.height);
    };
    steps.profile = profile;
    steps.row_label = [&](std::int32_t row) { return format_with_number("%ddB", level(row)); };
    steps.image_name = [&](std::int32_t row) { return format_with_number(image_pattern, level(row)); };
    run(o, steps);
    return o;
}

}  // namespace

SweepOutcome measure_noise_spectrum_sweep(const NoiseSpectrumSweepParameters& p, std::FILE* progress) {
    const std::int32_t seed = negated_pattern_number(p.pattern);
    const SweepAnswers a = level_answers(p);
    const std::int32_t bins = axis_bin_count(p.width, p.bin_width);
    SweepOutcome o = take_outcome(a, bins, 0, progress);
    const std::int64_t plane = sample_count(p.width, p.height);

    random_state noise{seed};
    auto level = [&](std::int32_t row) { return level_of_row(p.start_level, p.level_step, row); };
    SweepSteps steps;
    steps.draw = [&](std::int32_t row, SweepWork& work) { fill_noise_field(work.re.data(), plane, level(row), noise); };
    steps.spectrum = [&](std::int32_t, SweepWork& work) {
        std::fill(work.im.begin(), work.im.end(), 0.0);
        normalized_noise_power(work.re.data(), work.im.data(), p.width, p.height);
    };
    steps.profile = axis_band_profile_add;
    steps.row_label = [&](std::int32_t row) { return format_with_number("%ddB", level(row)); };
    steps.image_name = [&](std::int32_t row) { return format_with_number("n4-5_%02ddB.img", level(row)); };
    // The zero frequency, 1 in every normalised spectrum, would hide the noise.
    steps.final_image = [&](double* image) {
        image[static_cast<std::int64_t>(p.height / 2) * p.width + p.width / 2] = 0.0;
    };
    run(o, steps);
    return o;
}

SweepOutcome measure_recon_noise_sweep(const ReconNoiseSweepParameters& p, std::FILE* progress) {
    return reconstructed_level_sweep(p, sweep_angles, axis_bin_count, axis_band_profile_add, "n4-6_%02ddB.img",
                                     progress);
}

SweepOutcome measure_recon_noise_diagonal(const ReconNoiseDiagonalParameters& p, std::FILE* progress) {
    return reconstructed_level_sweep(p, diagonal_angles, diagonal_bin_count, diagonal_band_profile, "n4-9_%02ddB.img",
                                     progress);
}

SweepOutcome measure_recon_noise_windows(const ReconNoiseWindowsParameters& p, std::FILE* progress) {
    const std::int32_t seed = negated_pattern_number(p.pattern);
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    require_repetitions(p.repetitions);
    const std::int32_t bins = axis_bin_count(p.width, p.bin_width);
    SweepOutcome o = take_outcome({p.x_table, p.y_table, p.width, p.height, p.bin_width, p.repetitions, windows},
                                  bins, sample_count(sweep_angles, noise_detector_bins), progress);

    random_state noise{seed};
    SweepSteps steps;
    steps.draw = [&](std::int32_t, SweepWork& work) { draw_noise_sinogram(work.field, sweep_angles, p.level, noise); };
    steps.spectrum = [&](std::int32_t window, SweepWork& work) {
        reconstructed_noise_spectrum(work.field, sweep_angles, window, work.re, work.im, p.width, p.height);
    };
    steps.profile = axis_band_profile_add;
    steps.row_label = [](std::int32_t window) { return format_with_number("W%d(u)", window); };
    steps.image_name = [](std::int32_t window) { return format_with_number("n4-7_w%d(u).img", window); };
    run(o, steps);
    return o;
}

void write_sweep_outcome(const SweepOutcome& o) {
    const SweepSettings& s = o.settings;
    auto label = [&](std::int32_t row) { return o.labels[static_cast<std::size_t>(row)]; };
    write_sweep_table(s.x_table_name, o.x_table.data(), s.rows, s.bins, s.bin_width, s.width, label);
    write_sweep_table(s.y_table_name, o.y_table.data(), s.rows, s.bins, s.bin_width, s.height, label);
    const std::int64_t plane = static_cast<std::int64_t>(s.width) * s.height;
    for (std::int32_t row = 0; row < s.rows; ++row) {
        OutputFile out(o.image_names[static_cast<std::size_t>(row)]);
        out.write_samples(o.stack.data() + row * plane, plane);
        out.close();
    }
}
