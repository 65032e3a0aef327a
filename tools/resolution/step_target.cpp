// step_target: a slanted sigmoid edge, the test object of the resolution
// measurement, written as a raw image.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/resolution/resolution_questions.h"
#include "tools/resolution/resolution_tools.h"

int main(int argc, char** argv) {
    StepTargetParameters p;
    return tool_main(argc, argv, step_target_dialogue(p), [&] {
        const std::vector<double> image = draw_step_target(p);
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
