#pragma once
// The parameter records and question tables of the phantom tools: one record and
// one table per tool, shared by its main, its --help text and the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"
#include "tools/phantom/ellipse.h"

struct OvalDrawParameters {
    std::string output;
    std::int32_t width, height;
    Ellipse ellipse;
};
ToolDialogue oval_draw_dialogue(OvalDrawParameters& p);

struct OvalStackParameters {
    std::string ellipse_file;
    std::int32_t ellipse_count;
    std::string output;
    std::int32_t width, height;
};
ToolDialogue oval_stack_dialogue(OvalStackParameters& p);
