// bell_smooth: convolution with a Gaussian of a given FWHM in whole pixels,
// rows then columns, without wrap-around.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/smoothing_tools.h"

int main(int argc, char** argv) {
    BellSmoothParameters p;
    return tool_main(argc, argv, bell_smooth_dialogue(p), [&] {
        const std::vector<double> image = bell_smoothed(p, raw_file_source(p.input));
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
