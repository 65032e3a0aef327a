// level_noise: white Gaussian noise at a level in decibels below the data
// mean (standard deviation mean × 10^(−dB/20)).

#include <cmath>
#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projection_questions.h"

int main(int argc, char** argv) {
    LevelNoiseParameters p;
    start_tool(argc, argv, level_noise_dialogue(p));
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
