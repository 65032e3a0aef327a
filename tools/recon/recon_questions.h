#pragma once
// The parameter records and question tables of the recon tools: one record and
// one table per tool, shared by its main, its --help text and the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct ReconstructParameters {
    std::string input;  // names of up to 255 bytes, as in every tool
    std::int32_t bins, angles;
    std::string output;
    std::int32_t width, height;
    double pixel_length;
};
ToolDialogue reconstruct_dialogue(ReconstructParameters& p);
