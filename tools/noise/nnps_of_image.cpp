// noise_spectrum: the normalised noise power spectrum (NNPS) of one noise
// image, saved whole and as x- and y-direction band profiles.

#include <cstdint>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/noise/nnps_measurement.h"
#include "tools/noise/noise_questions.h"

int main(int argc, char** argv) {
    NoiseSpectrumParameters p;
    return tool_main(argc, argv, noise_spectrum_dialogue(p), [&] {
        const NoiseSpectrum nnps = measure_noise_spectrum(p, raw_file_source(p.image));
        write_raw_file("n4-4_nnps.img", nnps.spectrum, static_cast<std::int64_t>(nnps.spectrum.size()));
        write_column_table(p.x_table, nnps.x_profile.data(), static_cast<std::int64_t>(nnps.x_profile.size()), "%e\n");
        write_column_table(p.y_table, nnps.y_profile.data(), static_cast<std::int64_t>(nnps.y_profile.size()), "%e\n");
    });
}
