// level_noise: white Gaussian noise at a level in decibels below the data
// mean (standard deviation mean × 10^(−dB/20)).

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projection_tools.h"

int main(int argc, char** argv) {
    LevelNoiseParameters p;
    return tool_main(argc, argv, level_noise_dialogue(p), [&] {
        const std::vector<double> result = add_level_noise(p, raw_file_source(p.input));
        write_raw_file(p.output, result, static_cast<std::int64_t>(result.size()));
    });
}
