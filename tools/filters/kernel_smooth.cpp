// kernel_smooth: a symmetric 3 × 3 weighted average with periodic borders.
// The kernel is printed before the image is read.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/three_by_three.h"

int main(int argc, char** argv) {
    KernelSmoothParameters p;
    // Question 5 sets the corners and question 7 the centre, whatever their
    // labels say: so the defaults 1, 2, 4 make 1 2 1 / 2 4 2 / 1 2 1.
    start_tool(argc, argv, kernel_smooth_dialogue(p));
    const SmoothingKernel kernel = make_smoothing_kernel(p.corner, p.side, p.centre);
    print_smoothing_kernel(stdout, kernel);

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    weighted_average_3x3(input.data(), output.data(), p.width, p.height, kernel);
    write_raw_file(p.output, output, count);
    return 0;
}
