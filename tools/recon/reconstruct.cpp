// reconstruct: filtered back projection of a parallel-beam sinogram, with a
// spatial-domain ramp filter and the projector's own weights.

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/console_text.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/projection/projector.h"
#include "tools/recon/fbp.h"
#include "tools/recon/recon_questions.h"

int main(int argc, char** argv) {
    ReconstructParameters p;
    start_tool(argc, argv, reconstruct_dialogue(p));
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");
    const std::int64_t pixels = sample_count(p.width, p.height);
    require_sample_count(pixels, "画像の幅 × 高さ");

    std::vector<double> sinogram = take_samples(samples);
    std::vector<double> image = take_samples(pixels);
    const CijTable cij = make_cij(p.width, p.height, p.bins, p.angles);
    console_printf(stdout, " *** Read projection data ***\n");
    const std::int64_t non_finite = read_raw_file(p.input, sinogram, samples);
    console_printf(stdout, " *** Reconstruction ***\n");
    ramp_filter(sinogram.data(), p.bins, p.angles, p.pixel_length);
    back_project(image.data(), p.width, p.height, sinogram.data(), cij);
    console_printf(stdout, " *** Write image data ***\n");
    // The ramp filter spreads one NaN over its whole projection, and back
    // projection that projection over the whole image.
    write_raw_file(p.output, image, pixels,
                   non_finite == 0 ? std::string()
                                   : text_format("原因：投影データの有限でない値 %lld 個をランプフィルタが投影全体に、"
                                                 "逆投影が画像全体に広げました。",
                                                 static_cast<long long>(non_finite)));
    return 0;
}
