// edge_preserve: the bilateral filter, with periodic borders. Both file names
// hold up to 255 bytes, as in every other tool.

#include <cstdint>
#include <string>
#include <vector>

#include "common/raw_file.h"
#include "common/row_progress.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/filters/bilateral.h"
#include "tools/filters/filters_questions.h"

int main(int argc, char** argv) {
    EdgePreserveParameters p;
    start_tool(argc, argv, edge_preserve_dialogue(p));

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    RowProgress progress("Bilateral filter", p.height);
    bilateral_smooth(input.data(), output.data(), p.width, p.height, p.window_width, p.spatial_width,
                     p.range_width, &progress);
    write_raw_file(p.output, output, count);
    return 0;
}
