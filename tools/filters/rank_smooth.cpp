// rank_smooth: the median of a square window around each pixel, with
// periodic borders.

#include <cstdint>
#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/smoothing_tools.h"

int main(int argc, char** argv) {
    RankSmoothParameters p;
    return tool_main(argc, argv, rank_smooth_dialogue(p), [&] {
        const std::vector<double> image = rank_smoothed(p, raw_file_source(p.input), console_sink());
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
