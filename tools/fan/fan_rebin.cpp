// fan_rebin: a fan-beam sinogram rebinned into the parallel sinogram that
// reconstruct takes.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/fan/fan_questions.h"
#include "tools/fan/fan_tools.h"

int main(int argc, char** argv) {
    FanRebinParameters p;
    return tool_main(argc, argv, fan_rebin_dialogue(p), [&] {
        const FanGeometry g = read_fan_geometry_file(p.geometry);
        check_fan_rebin_answers(p, g);
        require_fan_file_samples(p.input, sample_count(p.bins, p.views), "検出器の素子数 × 投影数");
        const std::vector<double> parallel = fan_rebin_from(p, g, raw_file_source(p.input), console_sink());
        write_raw_file(p.output, parallel, static_cast<std::int64_t>(parallel.size()));
    });
}
