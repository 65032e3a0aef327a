// rank_smooth: the median of a square window around each pixel, with
// periodic borders.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/console_text.h"
#include "common/raw_file.h"
#include "common/row_progress.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/median.h"

int main(int argc, char** argv) {
    RankSmoothParameters p;
    start_tool(argc, argv, rank_smooth_dialogue(p));
    // An empty window has no median: refuse it before any file is touched.
    if (p.window_width <= 0) {
        fail_with(" エラー：参照領域の幅は1以上にしてください[%d].\n", p.window_width);
    }

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    RowProgress progress("Median filter", p.height);
    median_smooth(input.data(), output.data(), p.width, p.height, p.window_width, &progress);
    write_raw_file(p.output, output, count);
    return 0;
}
