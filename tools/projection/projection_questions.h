#pragma once
// The parameter records and question tables of the projection tools: one record and
// one table per tool, shared by its main, its --help text and the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct RaysumParameters {
    std::string input;
    std::int32_t width, height;
    double pixel_length;
    std::string output;
    std::int32_t bins, angles;
};
ToolDialogue raysum_dialogue(RaysumParameters& p);

struct AttenuateParameters {
    std::string input, output;
    std::int32_t bins, angles, incident;
};
ToolDialogue attenuate_dialogue(AttenuateParameters& p);

struct LinearizeParameters {
    std::string input, output;
    std::int32_t bins, angles, incident;
};
ToolDialogue linearize_dialogue(LinearizeParameters& p);

struct QuantumNoiseParameters {
    std::string input, output;
    std::int32_t bins, angles;
};
ToolDialogue quantum_noise_dialogue(QuantumNoiseParameters& p);

struct LevelNoiseParameters {
    std::string input, output;
    std::int32_t width, height;
    double decibels;
};
ToolDialogue level_noise_dialogue(LevelNoiseParameters& p);

struct ScaledNoiseParameters {
    std::string input, output;
    std::int32_t width, height;
    double sd;
};
ToolDialogue scaled_noise_dialogue(ScaledNoiseParameters& p);

struct RaysumQuantaParameters {
    std::string input;
    std::int32_t width, height;
    double pixel_length;
    std::string output;
    std::int32_t bins, angles, incident;
};
ToolDialogue raysum_quanta_dialogue(RaysumQuantaParameters& p);

struct RaysumNormalParameters {
    std::string input;
    std::int32_t width, height;
    double pixel_length;
    std::string output;
    std::int32_t bins, angles, incident;
    double sd;
};
ToolDialogue raysum_normal_dialogue(RaysumNormalParameters& p);
