// raysum: parallel-beam projections (a sinogram of line integrals) of a
// two-dimensional image of linear attenuation coefficients.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projection_tools.h"

int main(int argc, char** argv) {
    RaysumParameters p;
    return tool_main(argc, argv, raysum_dialogue(p), [&] {
        const std::vector<double> result = project_to_sinogram(p, raw_file_source(p.input), console_sink());
        write_raw_file(p.output, result, static_cast<std::int64_t>(result.size()));
    });
}
