// oval_draw: one filled, rotated ellipse of a given attenuation coefficient
// into an otherwise empty image.

#include <cstdint>
#include <vector>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/phantom/phantom_images.h"
#include "tools/phantom/phantom_questions.h"

int main(int argc, char** argv) {
    OvalDrawParameters p;
    return tool_main(argc, argv, oval_draw_dialogue(p), [&] {
        const std::vector<double> image = draw_oval_image(p);
        write_raw_file(p.output, image, static_cast<std::int64_t>(image.size()));
    });
}
