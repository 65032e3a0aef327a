// recon_noise_windows: the noise power spectrum (NPS) of images reconstructed
// from 512-angle noise sinograms with the ramp filter times each of five
// cosine windows, at one noise level, averaged over repetitions.

#include "common/tool_start.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/sweep_tools.h"

int main(int argc, char** argv) {
    ReconNoiseWindowsParameters p;
    return tool_main(argc, argv, recon_noise_windows_dialogue(p), [&] { write_sweep_outcome(measure_recon_noise_windows(p, console_sink())); });
}
