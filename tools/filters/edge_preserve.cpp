// edge_preserve: the bilateral filter, with periodic borders. Both file names
// hold up to 255 bytes, as in every other tool.

#include <cstdint>
#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/smoothing_tools.h"

int main(int argc, char** argv) {
    EdgePreserveParameters p;
    return tool_main(argc, argv, edge_preserve_dialogue(p), [&] {
        const std::vector<double> image = edge_preserved(p, raw_file_source(p.input), console_sink());
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
