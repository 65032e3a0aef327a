// recon_noise_sweep: the noise power spectrum (NPS) of images reconstructed
// by filtered back projection from 512-angle noise sinograms, for a series
// of noise levels in decibels, averaged over repetitions.

#include "common/tool_start.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/sweep_tools.h"

int main(int argc, char** argv) {
    ReconNoiseSweepParameters p;
    return tool_main(argc, argv, recon_noise_sweep_dialogue(p), [&] { write_sweep_outcome(measure_recon_noise_sweep(p, console_sink())); });
}
