// linearize: detector counts back into projection data, ln(I0 / count) per
// sample; the inverse of attenuate.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projection_tools.h"

int main(int argc, char** argv) {
    LinearizeParameters p;
    return tool_main(argc, argv, linearize_dialogue(p), [&] {
        const Measured result = linearize_counts(p, raw_file_source(p.input));
        write_raw_file(p.output, result.samples, static_cast<std::int64_t>(result.samples.size()),
                       result.non_finite_cause);
    });
}
