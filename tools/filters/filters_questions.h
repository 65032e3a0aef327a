#pragma once
// The parameter records and question tables of the filters tools: one record and
// one table per tool, shared by its main, its --help text and the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct BoxSmoothParameters {
    std::string input, output;
    std::int32_t width, height;
};
ToolDialogue box_smooth_dialogue(BoxSmoothParameters& p);

struct KernelSmoothParameters {
    std::string input, output;
    std::int32_t width, height;
    std::int32_t corner, side, centre;
};
ToolDialogue kernel_smooth_dialogue(KernelSmoothParameters& p);

struct BellSmoothParameters {
    std::string input, output;
    std::int32_t width, height;
    std::int32_t fwhm;
};
ToolDialogue bell_smooth_dialogue(BellSmoothParameters& p);

struct RankSmoothParameters {
    std::string input, output;
    std::int32_t width, height;
    std::int32_t window_width;
};
ToolDialogue rank_smooth_dialogue(RankSmoothParameters& p);

struct EdgePreserveParameters {
    std::string input, output;
    std::int32_t width, height;
    std::int32_t window_width;
    double spatial_width, range_width;
};
ToolDialogue edge_preserve_dialogue(EdgePreserveParameters& p);
