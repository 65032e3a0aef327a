// scaled_noise: white Gaussian noise of a fixed standard deviation c.

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
    double sd;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("ガウス雑音を係数cで印加するプログラム", 32,
                 {
                     {" 1. 画像データのファイル名", p.input, "xdisk_1_I0_2000.prj"},
                     {" 2. 雑音入りデータのファイル名", p.output, "a.img.prj"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                     {" 5. 雑音レベル（係数c）", p.sd, 20.0},
                 });
    const std::int64_t samples = sample_count(p.width, p.height);
    require_sample_count(samples, "画像の幅 × 高さ");

    std::vector<double> data = take_samples(samples);
    read_raw_file(p.input, data, samples);
    apply_gaussian_noise(data.data(), samples, p.sd);
    write_raw_file(p.output, data, samples);
    return 0;
}
