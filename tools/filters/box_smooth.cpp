// box_smooth: the 3 × 3 moving average of an image with periodic borders.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/smoothing_tools.h"

int main(int argc, char** argv) {
    BoxSmoothParameters p;
    return tool_main(argc, argv, box_smooth_dialogue(p), [&] {
        const std::vector<double> image = box_smoothed(p, raw_file_source(p.input));
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
