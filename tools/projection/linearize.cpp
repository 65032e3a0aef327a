// linearize: detector counts back into projection data, ln(I0 / count) per
// sample; the inverse of attenuate.

#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projection_questions.h"

int main(int argc, char** argv) {
    LinearizeParameters p;
    start_tool(argc, argv, linearize_dialogue(p));
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");

    std::vector<double> projection = take_samples(samples);
    std::vector<double> counts = take_samples(samples);
    read_raw_file(p.input, counts, samples);
    const std::string cause = negative_counts_cause(counts.data(), samples);
    projection_from_counts(counts.data(), projection.data(), samples, p.incident);
    write_raw_file(p.output, projection, samples, cause);
    return 0;
}
