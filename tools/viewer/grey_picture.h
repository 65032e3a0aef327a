#pragma once
// raw_to_png's computation, shared by its main and the Python module: the
// grey levels of the picture from the answers and the image, read when the
// computation reaches it. The line "表示範囲：%f から %f" with the window
// used goes to the sink (with an HU window, after the window in HU).

#include <cstdint>
#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "tools/viewer/grey_window.h"
#include "tools/viewer/viewer_questions.h"

struct GreyPicture {
    DisplayWindow window;  // the sample values shown black and white
    std::vector<unsigned char> grey;
    std::int32_t width, height;  // the image's, wider (and taller) with a grey bar
};

GreyPicture grey_picture(const RawToPngParameters& p, const SampleSource& image, MessageSink& sink);
