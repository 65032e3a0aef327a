// quantum_noise: photon-counting noise; every expected count becomes a
// Poisson deviate with that mean.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projection_tools.h"

int main(int argc, char** argv) {
    QuantumNoiseParameters p;
    return tool_main(argc, argv, quantum_noise_dialogue(p), [&] {
        const std::vector<double> result = add_quantum_noise(p, raw_file_source(p.input));
        write_raw_file(p.output, result, static_cast<std::int64_t>(result.size()));
    });
}
