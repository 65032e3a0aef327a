// raysum_normal: projection, attenuation, Gaussian noise of a fixed standard
// deviation on the counts, and the logarithm back, in one run.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projection_tools.h"

int main(int argc, char** argv) {
    RaysumNormalParameters p;
    return tool_main(argc, argv, raysum_normal_dialogue(p), [&] {
        const Measured result = measure_sinogram_with_normal_noise(p, raw_file_source(p.input), console_sink());
        write_raw_file(p.output, result.samples, static_cast<std::int64_t>(result.samples.size()),
                       result.non_finite_cause);
    });
}
