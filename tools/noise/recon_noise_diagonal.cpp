// recon_noise_diagonal: the noise power spectrum (NPS) of reconstructed noise
// along the 45-degree diagonal of the frequency plane, from 403-angle noise
// sinograms, for a series of noise levels in decibels.

#include "common/tool_start.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/sweep_tools.h"

int main(int argc, char** argv) {
    ReconNoiseDiagonalParameters p;
    return tool_main(argc, argv, recon_noise_diagonal_dialogue(p), [&] { write_sweep_outcome(measure_recon_noise_diagonal(p, console_sink())); });
}
