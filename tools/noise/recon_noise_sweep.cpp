// recon_noise_sweep: the noise power spectrum (NPS) of images reconstructed
// by filtered back projection from 512-angle noise sinograms, for a series
// of noise levels in decibels, averaged over repetitions.

#include <cstdint>
#include <string>
#include <vector>

#include "common/dialogue.h"
#include "common/random_deviates.h"
#include "common/sample_arrays.h"
#include "tools/noise/noise_parameters.h"
#include "tools/noise/noise_reconstruction.h"
#include "tools/noise/noise_sweep.h"
#include "tools/noise/reconstructed_noise_power.h"
#include "tools/noise/power_profiles.h"

namespace {
struct Parameters {
    std::string x_table, y_table;
    std::int32_t width, height, start_level, level_step, levels, pattern, bin_width, repetitions;
};
constexpr std::int32_t angles = 512;
}  // namespace

int main() {
    Parameters p;
    run_dialogue("ガウス雑音の雑音レベルを変えてFBP雑音のNPSを求めるプログラム", 33,
                 {
                     {" 1. x方向のNPSのファイル名", p.x_table, "n4-6x.txt"},
                     {" 2. y方向のNPSのファイル名", p.y_table, "n4-6y.txt"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                     {" 5. ガウス雑音の開始レベル（dB）", p.start_level, 5},
                     {" 6. ガウス雑音の間隔レベル（dB）", p.level_step, 5},
                     {" 7. ガウス雑音のレベルの数", p.levels, 6},
                     {" 8. 乱数のパターン番号（1以上）", p.pattern, 1},
                     {" 9. NPSの周波数ビン", p.bin_width, 5},
                     {"10. 雑音平均化の回数", p.repetitions, 1},
                 });
    p.pattern = negated_pattern_number(p.pattern);
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    require_repetitions(p.repetitions);
    require_row_count(p.levels, "ガウス雑音のレベルの数");
    const std::int32_t bins = axis_bin_count(p.width, p.bin_width);

    const std::int64_t plane = sample_count(p.width, p.height);
    std::vector<double> x_table = take_samples(sample_count(p.levels, bins));
    std::vector<double> y_table = take_samples(sample_count(p.levels, bins));
    std::vector<double> stack = take_samples(stack_count(p.levels, plane));

    random_state noise{p.pattern};
    auto level = [&](std::int32_t row) { return level_of_row(p.start_level, p.level_step, row); };
    SweepSteps steps;
    steps.draw = [&](std::int32_t row, SweepWork& work) { draw_noise_sinogram(work.field, angles, level(row), noise); };
    steps.spectrum = [&](std::int32_t, SweepWork& work) {
        reconstructed_noise_spectrum(work.field, angles, std::nullopt, work.re, work.im, p.width, p.height);
    };
    steps.profile = axis_band_profile_add;
    steps.row_label = [&](std::int32_t row) { return format_with_number("%ddB", level(row)); };
    steps.image_name = [&](std::int32_t row) { return format_with_number("n4-6_%02ddB.img", level(row)); };

    noise_sweep({p.width, p.height, p.bin_width, bins, p.levels, p.repetitions, p.x_table, p.y_table,
                 sample_count(angles, noise_detector_bins)},
                {x_table, y_table, stack}, steps);
    return 0;
}
