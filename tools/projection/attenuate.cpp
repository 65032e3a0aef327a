// attenuate: projection data (line integrals) into the detector counts of a
// beam of I0 incident photons, I0 · e^(−p) per sample.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projection_tools.h"

int main(int argc, char** argv) {
    AttenuateParameters p;
    return tool_main(argc, argv, attenuate_dialogue(p), [&] {
        const std::vector<double> result = attenuate_projection(p, raw_file_source(p.input));
        write_raw_file(p.output, result, static_cast<std::int64_t>(result.size()));
    });
}
