// raw_to_png: a raw image as an 8-bit greyscale PNG picture, through a
// display window that maps the lowest value to black and the highest to
// white (both 0: the image's own finite minimum and maximum).

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/console_text.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/viewer/grey_window.h"
#include "tools/viewer/png_file.h"
#include "tools/viewer/viewer_questions.h"

int main(int argc, char** argv) {
    RawToPngParameters p;
    start_tool(argc, argv, raw_to_png_dialogue(p));
    // A picture has at least one pixel: sizes of 0 or less have no PNG form.
    if (p.width < 1 || p.height < 1) {
        fail_with(" エラー：画像の大きさが正しくありません[%d × %d].\n", p.width, p.height);
    }
    const std::int64_t count = sample_count(p.width, p.height);

    std::vector<double> image = take_samples(count);
    read_raw_file(p.input, image, count);
    const DisplayWindow window = choose_window(image.data(), count, p.low, p.high);
    console_printf(stdout, "表示範囲：%f から %f\n", window.low, window.high);
    const std::vector<unsigned char> grey = map_to_grey(image, p.width, p.height, window);
    write_grey_png(p.output, grey, p.width, p.height);
    return 0;
}
