// quantum_noise: photon-counting noise; every expected count becomes a
// Poisson deviate with that mean.

#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projection_questions.h"

int main(int argc, char** argv) {
    QuantumNoiseParameters p;
    start_tool(argc, argv, quantum_noise_dialogue(p));
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");

    std::vector<double> counts = take_samples(samples);
    read_raw_file(p.input, counts, samples);
    apply_poisson_noise(counts.data(), samples);
    write_raw_file(p.output, counts, samples);
    return 0;
}
