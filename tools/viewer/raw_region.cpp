// raw_region: the rectangle of a raw image at column x, row y, of the size
// answered, written as a raw image of its own.

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/viewer/image_region.h"
#include "tools/viewer/viewer_questions.h"

int main(int argc, char** argv) {
    RawRegionParameters p;
    return tool_main(argc, argv, raw_region_dialogue(p), [&] {
        check_raw_region_answers(p);
        const std::vector<double> region = take_raw_region(p, raw_file_source(p.input));
        write_raw_file(p.output, region, sample_count(p.region_width, p.region_height));
    });
}
