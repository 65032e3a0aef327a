// oval_stack: a phantom of several ellipses listed in an ellipse parameter
// file, each drawn as oval_draw draws its one ellipse and summed.

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/phantom/ellipse.h"
#include "tools/phantom/ellipse_file.h"
#include "tools/phantom/phantom_questions.h"

int main(int argc, char** argv) {
    OvalStackParameters p;
    start_tool(argc, argv, oval_stack_dialogue(p));
    require_sample_count(p.ellipse_count, "楕円の数");
    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");

    std::FILE* in = std::fopen(p.ellipse_file.c_str(), "r");
    if (in == nullptr) fail_open(p.ellipse_file);
    const EllipseFileResult table = read_ellipses(in, p.ellipse_file, p.ellipse_count, stdout);
    std::fclose(in);
    if (!table.error.empty()) {
        std::fflush(stdout);
        std::fputs(table.error.c_str(), stderr);
        return 1;
    }

    std::vector<double> image = take_samples(count);
    for (const Ellipse& e : table.ellipses) draw_ellipse(image, p.width, p.height, e);
    write_raw_file(p.output, image, count);
    return 0;
}
