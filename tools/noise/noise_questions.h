#pragma once
// The parameter records and question tables of the noise tools: one record and
// one table per tool, shared by its main, its --help text and the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct NoiseSpectrumParameters {
    std::string image, x_table, y_table;
    std::int32_t width, height, bin_width;
};
ToolDialogue noise_spectrum_dialogue(NoiseSpectrumParameters& p);

// The three tools that sweep the Gaussian noise level ask the same ten
// questions; only the spectrum they name and their tables' names differ.
struct LevelSweepParameters {
    std::string x_table, y_table;
    std::int32_t width, height, start_level, level_step, levels, pattern, bin_width, repetitions;
};

using NoiseSpectrumSweepParameters = LevelSweepParameters;
ToolDialogue noise_spectrum_sweep_dialogue(NoiseSpectrumSweepParameters& p);

using ReconNoiseSweepParameters = LevelSweepParameters;
ToolDialogue recon_noise_sweep_dialogue(ReconNoiseSweepParameters& p);

struct ReconNoiseWindowsParameters {
    std::string x_table, y_table;
    std::int32_t width, height, level, pattern, bin_width, repetitions;
};
ToolDialogue recon_noise_windows_dialogue(ReconNoiseWindowsParameters& p);

using ReconNoiseDiagonalParameters = LevelSweepParameters;
ToolDialogue recon_noise_diagonal_dialogue(ReconNoiseDiagonalParameters& p);
