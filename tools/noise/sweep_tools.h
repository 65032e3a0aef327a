#pragma once
// The four sweep tools from their answers, as their mains run them and the
// Python module calls them: the checks that stop a run before any output,
// the working arrays in the tool's order, the steps of each table row and
// the loop (progress to the sink). The averages stay in memory until
// written (write_sweep_outcome).

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/noise_sweep.h"

// noise_spectrum_sweep: the NNPS of 1 plus Gaussian noise of each level,
// the zero frequency of every averaged image set to 0.
SweepOutcome measure_noise_spectrum_sweep(const NoiseSpectrumSweepParameters& p, MessageSink& sink);

// recon_noise_sweep: the NPS of noise reconstructed from 512 angles, per level.
SweepOutcome measure_recon_noise_sweep(const ReconNoiseSweepParameters& p, MessageSink& sink);

// recon_noise_windows: the NPS at one level through each of the five filter windows.
SweepOutcome measure_recon_noise_windows(const ReconNoiseWindowsParameters& p, MessageSink& sink);

// recon_noise_diagonal: the NPS of noise reconstructed from 403 angles along
// the diagonal, per level.
SweepOutcome measure_recon_noise_diagonal(const ReconNoiseDiagonalParameters& p, MessageSink& sink);
