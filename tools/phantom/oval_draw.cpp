// oval_draw: one filled, rotated ellipse of a given attenuation coefficient
// into an otherwise empty image.

#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/phantom/ellipse.h"
#include "tools/phantom/phantom_questions.h"

int main(int argc, char** argv) {
    OvalDrawParameters p;
    start_tool(argc, argv, oval_draw_dialogue(p));

    // Both sizes negative still make a positive count of zero samples.
    const std::int64_t count = sample_count(p.width, p.height);
    std::vector<double> image = take_samples(count);
    draw_ellipse(image, p.width, p.height, p.ellipse);
    write_raw_file(p.output, image, count);
    return 0;
}
