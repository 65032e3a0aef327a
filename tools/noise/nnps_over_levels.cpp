// noise_spectrum_sweep: the NNPS of images of signal 1 plus Gaussian noise,
// for a series of noise levels in decibels, averaged over repetitions.

#include "common/tool_start.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/sweep_tools.h"

int main(int argc, char** argv) {
    NoiseSpectrumSweepParameters p;
    return tool_main(argc, argv, noise_spectrum_sweep_dialogue(p), [&] { write_sweep_outcome(measure_noise_spectrum_sweep(p, console_sink())); });
}
