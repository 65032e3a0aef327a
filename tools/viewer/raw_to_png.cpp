// raw_to_png: a raw image as an 8-bit greyscale PNG picture, through a
// display window that maps the lowest value to black and the highest to
// white (both 0: the image's own finite minimum and maximum).

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/viewer/grey_picture.h"
#include "tools/viewer/png_file.h"
#include "tools/viewer/viewer_questions.h"

int main(int argc, char** argv) {
    RawToPngParameters p;
    return tool_main(argc, argv, raw_to_png_dialogue(p), [&] {
        const GreyPicture picture = grey_picture(p, raw_file_source(p.input), console_sink());
        write_grey_png(p.output, picture.grey, picture.width, picture.height);
    });
}
