// raysum_quanta: the measurement chain raysum → attenuate → quantum_noise →
// linearize in one run, every intermediate result kept in 64 bits.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projection_tools.h"

int main(int argc, char** argv) {
    RaysumQuantaParameters p;
    return tool_main(argc, argv, raysum_quanta_dialogue(p), [&] {
        const Measured result = measure_sinogram_with_quanta(p, raw_file_source(p.input), console_sink());
        write_raw_file(p.output, result.samples, static_cast<std::int64_t>(result.samples.size()),
                       result.non_finite_cause);
    });
}
