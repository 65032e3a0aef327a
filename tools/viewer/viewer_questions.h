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
};
ToolDialogue raw_to_png_dialogue(RawToPngParameters& p);

struct RawRegionParameters {
    std::string input;
    std::int32_t width, height;
    std::int32_t x, y, region_width, region_height;
    std::string output;
};
ToolDialogue raw_region_dialogue(RawRegionParameters& p);
