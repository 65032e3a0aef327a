// step_target: a slanted sigmoid edge, the test object of the resolution
// measurement, written as a raw image.

#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/resolution/edge_target.h"
#include "tools/resolution/resolution_questions.h"

int main(int argc, char** argv) {
    StepTargetParameters p;
    start_tool(argc, argv, step_target_dialogue(p));

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> image = take_samples(count);
    draw_step_edge(image, p.width, p.height, p.gain, p.angle);
    write_raw_file(p.output, image, count);
    return 0;
}
