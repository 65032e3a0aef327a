#pragma once
// The parameter records and question tables of the resolution tools: one record and
// one table per tool, shared by its main, its --help text and the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct StepTargetParameters {
    std::string output;
    std::int32_t width, height, gain;
    double angle;
};
ToolDialogue step_target_dialogue(StepTargetParameters& p);

struct SlantProfileParameters {
    std::string input, output;
    std::int32_t width, height, points;
    double delta;
};
ToolDialogue slant_profile_dialogue(SlantProfileParameters& p);

struct TransferCurveParameters {
    std::string input, output;
    std::int32_t width, height, points;
    double delta;
};
ToolDialogue transfer_curve_dialogue(TransferCurveParameters& p);
