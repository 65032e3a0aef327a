#pragma once
// The parameter records and question tables of the viewer tools: one record and
// one table per tool, shared by its main, its --help text and the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct RawToPngParameters {
    std::string input;
    std::int32_t width, height;
    std::string output;
    double low, high;
    // A window in HU instead of low/high: on when `window` names a preset
    // or `window_width` is not 0; the image's unit (an ImageUnit), water's μ
    // and the pixel length (cm, for μ·Δ) turn its samples into HU.
    std::int32_t unit;
    double water_mu;
    double pixel_length;
    std::string window;
    double window_centre, window_width;
    std::int32_t grey_bar;  // 1: a grey bar labelled in HU beside the image
};
ToolDialogue raw_to_png_dialogue(RawToPngParameters& p);

struct RawRegionParameters {
    std::string input;
    std::int32_t width, height;
    std::int32_t x, y, region_width, region_height;
    std::string output;
};
ToolDialogue raw_region_dialogue(RawRegionParameters& p);
