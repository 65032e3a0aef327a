// fan_reconstruct: direct filtered back projection of a fan-beam sinogram,
// full turn or short scan (with or without Parker's weights), in 1/cm.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/fan/fan_questions.h"
#include "tools/fan/fan_tools.h"

int main(int argc, char** argv) {
    FanReconstructParameters p;
    return tool_main(argc, argv, fan_reconstruct_dialogue(p), [&] {
        const FanGeometry g = read_fan_geometry_file(p.geometry);
        check_fan_reconstruct_answers(p, g);
        require_fan_file_samples(p.input, sample_count(p.bins, p.views), "検出器の素子数 × 投影数");
        const std::vector<double> image = fan_reconstruct_from(p, g, raw_file_source(p.input), console_sink());
        console_sink().show(Message(" *** Write image data ***\n"));
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
