// bell_smooth: convolution with a Gaussian of a given FWHM in whole pixels,
// rows then columns, without wrap-around.

#include <cstdint>
#include <string>
#include <vector>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/gaussian.h"

int main(int argc, char** argv) {
    BellSmoothParameters p;
    start_tool(argc, argv, bell_smooth_dialogue(p));

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    gaussian_smooth(input.data(), output.data(), p.width, p.height, p.fwhm);
    write_raw_file(p.output, output, count);
    return 0;
}
