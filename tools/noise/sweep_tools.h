#pragma once
// The four sweep tools from their answers, as their mains run them and the
// Python module calls them: the checks that stop a run before any output,
// the working arrays in the tool's order, the steps of each table row and
// the loop. The averages stay in memory until written.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/noise/noise_questions.h"
#include "tools/noise/noise_sweep.h"

struct SweepOutcome {
    SweepSettings settings;                // sizes, rows and table names
    std::vector<double> x_table, y_table;  // R × K averaged profiles
    std::vector<double> stack;             // R averaged images of W × H
    std::vector<std::string> labels;       // the row labels of the tables
    std::vector<std::string> image_names;  // the file of each image
};

// noise_spectrum_sweep: the NNPS of 1 plus Gaussian noise of each level,
// the zero frequency of every averaged image set to 0.
SweepOutcome measure_noise_spectrum_sweep(const NoiseSpectrumSweepParameters& p, std::FILE* progress);

// recon_noise_sweep: the NPS of noise reconstructed from 512 angles, per level.
SweepOutcome measure_recon_noise_sweep(const ReconNoiseSweepParameters& p, std::FILE* progress);

// recon_noise_windows: the NPS at one level through each of the five filter windows.
SweepOutcome measure_recon_noise_windows(const ReconNoiseWindowsParameters& p, std::FILE* progress);

// recon_noise_diagonal: the NPS of noise reconstructed from 403 angles along
// the diagonal, per level.
SweepOutcome measure_recon_noise_diagonal(const ReconNoiseDiagonalParameters& p, std::FILE* progress);

// Both tables, then every image.
void write_sweep_outcome(const SweepOutcome& outcome);
