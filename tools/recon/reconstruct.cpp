// reconstruct: filtered back projection of a parallel-beam sinogram, with a
// spatial-domain ramp filter and the projector's own weights.

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/console_text.h"
#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/projection/projector.h"
#include "tools/recon/fbp.h"

namespace {
struct Parameters {
    std::string input;  // names of up to 255 bytes, as in every tool
    std::int32_t bins, angles;
    std::string output;
    std::int32_t width, height;
    double pixel_length;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("FBP法の投影再構成プログラム", 27,
                 {
                     {" 1. 入力投影のファイル名", p.input, "xdisk_9.prj"},
                     {" 2. 投影の幅", p.bins, 256},
                     {" 3. 投影数", p.angles, 256},
                     {" 4. 出力画像のファイル名", p.output, "a.img"},
                     {" 5. 画像の幅", p.width, 256},
                     {" 6. 画像の高さ", p.height, 256},
                     {" 7. 画素長 (cm/pixel)", p.pixel_length, 0.078125},
                 });
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");
    const std::int64_t pixels = sample_count(p.width, p.height);
    require_sample_count(pixels, "画像の幅 × 高さ");

    std::vector<double> sinogram = take_samples(samples);
    std::vector<double> image = take_samples(pixels);
    const CijTable cij = make_cij(p.width, p.height, p.bins, p.angles);
    console_printf(stdout, " *** Read projection data ***\n");
    read_raw_file(p.input, sinogram, samples);
    console_printf(stdout, " *** Reconstruction ***\n");
    ramp_filter(sinogram.data(), p.bins, p.angles, p.pixel_length);
    back_project(image.data(), p.width, p.height, sinogram.data(), cij);
    console_printf(stdout, " *** Write image data ***\n");
    write_raw_file(p.output, image, pixels);
    return 0;
}
