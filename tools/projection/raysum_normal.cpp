// raysum_normal: projection, attenuation, Gaussian noise of a fixed standard
// deviation on the counts, and the logarithm back, in one run.

#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projector.h"

int main(int argc, char** argv) {
    RaysumNormalParameters p;
    start_tool(argc, argv, raysum_normal_dialogue(p));
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
    apply_gaussian_noise(counts.data(), samples, p.sd);
    const std::string cause = negative_counts_cause(counts.data(), samples);
    projection_from_counts(counts.data(), sinogram.data(), samples, p.incident);
    write_raw_file(p.output, sinogram, samples, cause);
    return 0;
}
