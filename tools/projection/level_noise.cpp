// level_noise: white Gaussian noise at a level in decibels below the data
// mean (standard deviation mean × 10^(−dB/20)).

#include <cmath>
#include <cstdint>
#include <string>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/projection/measurement.h"

namespace {
struct Parameters {
    std::string input, output;
    std::int32_t width, height;
    double decibels;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("ガウス雑音をデシベル単位で印加するプログラム", 32,
                 {
                     {" 1. 画像データのファイル名", p.input, "xdisk_1.img"},
                     {" 2. 雑音入りデータのファイル名", p.output, "a.img.img"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                     {" 5. 雑音レベル（dB）", p.decibels, 20.0},
                 });
    const std::int64_t samples = sample_count(p.width, p.height);
    require_sample_count(samples, "画像の幅 × 高さ");

    std::vector<double> image = take_samples(samples);
    read_raw_file(p.input, image, samples);
    if (samples > 0) {
        // The mean of the input, before any noise, sets one spread for every sample.
        const double mean = sample_mean(image.data(), samples);
        const double ratio = std::pow(10.0, p.decibels / -20.0);
        apply_gaussian_noise(image.data(), samples, ratio * mean);
    }
    write_raw_file(p.output, image, samples);
    return 0;
}
