// raysum_quanta: the measurement chain raysum → attenuate → quantum_noise →
// linearize in one run, every intermediate result kept in 64 bits.

#include <cstdint>
#include <string>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projector.h"

namespace {
struct Parameters {
    std::string input;
    std::int32_t width, height;
    double pixel_length;
    std::string output;
    std::int32_t bins, angles, incident;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("線減弱係数の2次元画像からポアソン雑音入りの投影を作成するプログラム", 27,
                 {
                     {" 1. 入力画像のファイル名", p.input, "xdisk_1.img"},
                     {" 2. 画像の幅　", p.width, 256},
                     {" 3. 画像の高さ", p.height, 256},
                     {" 4. 画素長(cm/pixel)", p.pixel_length, 0.078125},
                     {" 5. 投影データのファイル名", p.output, "xdisk_1_I0_2000_poisson.prj"},
                     {" 6. 投影の幅", p.bins, 256},
                     {" 7. 投影数", p.angles, 256},
                     {" 8. 入射光子数（カウント）", p.incident, 2000},
                 });
    const std::int64_t pixels = sample_count(p.width, p.height);
    require_sample_count(pixels, "画像の幅 × 高さ");
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");

    std::vector<double> image = take_samples(pixels);
    std::vector<double> sinogram = take_samples(samples);
    std::vector<double> counts = take_samples(samples);
    const CijTable cij = make_cij(p.width, p.height, p.bins, p.angles);
    read_raw_file(p.input, image, pixels);
    project_image(image.data(), p.width, p.height, p.pixel_length, cij, sinogram.data());
    counts_from_projection(sinogram.data(), counts.data(), samples, p.incident);
    apply_poisson_noise(counts.data(), samples);
    projection_from_counts(counts.data(), sinogram.data(), samples, p.incident);
    write_raw_file(p.output, sinogram, samples);
    return 0;
}
