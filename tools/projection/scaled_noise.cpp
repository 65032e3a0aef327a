// scaled_noise: white Gaussian noise of a fixed standard deviation c.

#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projection_questions.h"

int main(int argc, char** argv) {
    ScaledNoiseParameters p;
    start_tool(argc, argv, scaled_noise_dialogue(p));
    const std::int64_t samples = sample_count(p.width, p.height);
    require_sample_count(samples, "画像の幅 × 高さ");

    std::vector<double> data = take_samples(samples);
    read_raw_file(p.input, data, samples);
    apply_gaussian_noise(data.data(), samples, p.sd);
    write_raw_file(p.output, data, samples);
    return 0;
}
