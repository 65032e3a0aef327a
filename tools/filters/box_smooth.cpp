// box_smooth: the 3 × 3 moving average of an image with periodic borders.

#include <cstdint>
#include <string>
#include <vector>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/three_by_three.h"

int main(int argc, char** argv) {
    BoxSmoothParameters p;
    start_tool(argc, argv, box_smooth_dialogue(p));

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    moving_average_3x3(input.data(), output.data(), p.width, p.height);
    write_raw_file(p.output, output, count);
    return 0;
}
