// oval_stack: a phantom of several ellipses listed in an ellipse parameter
// file, each drawn as oval_draw draws its one ellipse and summed.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/phantom/ellipse_file.h"
#include "tools/phantom/phantom_images.h"
#include "tools/phantom/phantom_questions.h"

int main(int argc, char** argv) {
    OvalStackParameters p;
    return tool_main(argc, argv, oval_stack_dialogue(p), [&] {
        // The file's comments and values are echoed as they are read.
        const std::vector<double> image = draw_oval_stack(
            p, [&](std::int32_t count) { return load_ellipses(p.ellipse_file, count, stdout); });
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
