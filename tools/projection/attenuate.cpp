// attenuate: projection data (line integrals) into the detector counts of a
// beam of I0 incident photons, I0 · e^(−p) per sample.

#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projection_questions.h"

int main(int argc, char** argv) {
    AttenuateParameters p;
    start_tool(argc, argv, attenuate_dialogue(p));
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");

    std::vector<double> projection = take_samples(samples);
    std::vector<double> counts = take_samples(samples);
    read_raw_file(p.input, projection, samples);
    counts_from_projection(projection.data(), counts.data(), samples, p.incident);
    write_raw_file(p.output, counts, samples);
    return 0;
}
