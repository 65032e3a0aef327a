#pragma once
// A grey bar beside a picture, labelled in HU: the window's top (white), its
// centre and its bottom (black) written in a small pixel font, so a picture
// saved alone still says how to read its greys.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/viewer/hu_window.h"

struct BarredPicture {
    std::vector<unsigned char> grey;
    std::int32_t width, height;
};

// The label of a value on the bar: up to six significant digits ("%.6g")
// and " HU".
std::string bar_label(double hounsfield);

// The picture (width × height grey levels) with a bar on its right: on a
// black ground, a ramp from centre + width/2 at the top row to
// centre − width/2 at the bottom row, each row's grey that of its HU through
// the window, framed by two mid-grey columns, and the three labels. Pictures
// under 26 rows get black rows below so the labels do not overlap; from 128
// rows on, the bar and its labels are drawn twice as large.
BarredPicture with_grey_bar(const std::vector<unsigned char>& grey, std::int32_t width, std::int32_t height,
                            const HuWindow& window);
