// kernel_smooth: a symmetric 3 × 3 weighted average with periodic borders.
// The kernel is printed before the image is read.

#include <cstdint>
#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/smoothing_tools.h"

int main(int argc, char** argv) {
    KernelSmoothParameters p;
    return tool_main(argc, argv, kernel_smooth_dialogue(p), [&] {
        const std::vector<double> image = kernel_smoothed(p, raw_file_source(p.input), console_sink());
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
