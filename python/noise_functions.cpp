// The noise tools: the NNPS of one image and the four sweeps.

#include "common/raw_file.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/noise/nnps_measurement.h"
#include "tools/noise/noise_questions.h"
#include "tools/noise/power_profiles.h"
#include "tools/noise/sweep_tools.h"

namespace {

constexpr const char* sweep_returns =
    "Returns NoiseSweep(x_frequencies, y_frequencies, labels, x, y, images): the two grid tables, their\n"
    "frequencies (cycles per pixel) and row labels, x and y of shape (rows, bins), and the averaged\n"
    "spectrum images of shape (rows, height, width).";

// A sweep as the module returns it.
py::object sweep_result(const py::object& type, SweepOutcome&& o) {
    const SweepSettings& s = o.settings;
    std::vector<double> x_frequencies, y_frequencies;
    for (std::int32_t k = 0; k < s.bins; ++k) {
        x_frequencies.push_back(sweep_frequency(k, s.bin_width, s.width));
        y_frequencies.push_back(sweep_frequency(k, s.bin_width, s.height));
    }
    py::list labels;
    for (const std::string& label : o.labels) labels.append(py::str(label));
    return type(column_result(std::move(x_frequencies)), column_result(std::move(y_frequencies)), labels,
                array_result(std::move(o.x_table), {s.rows, s.bins}),
                array_result(std::move(o.y_table), {s.rows, s.bins}),
                array_result(std::move(o.stack), {s.rows, s.height, s.width}));
}

template <typename Parameters>
void def_sweep(py::module_& m, const py::object& type, const char* name, ToolDialogue (*dialogue)(Parameters&),
               SweepOutcome (*measure)(const Parameters&, MessageSink&)) {
    def_tool<Parameters>(m, {name, nullptr, {}, sweep_returns, true}, dialogue,
                         [type, measure](Parameters& p, py::object) -> py::object {
                             SweepOutcome outcome =
                                 run_tool([&](MessageSink& sink) { return measure(p, sink); }, true);
                             return sweep_result(type, std::move(outcome));
                         });
}

}  // namespace

void register_noise(py::module_& m) {
    py::object spectrum_result = result_type(m, "NoiseSpectrum", {"x", "y", "spectrum"});
    def_tool<NoiseSpectrumParameters>(
        m,
        {"noise_spectrum",
         "image",
         {"width", "height"},
         "image: (height, width), sides powers of two. Returns NoiseSpectrum(x, y, spectrum): the x and y\n"
         "NNPS profiles and the whole normalised spectrum (height, width)."},
        noise_spectrum_dialogue, [spectrum_result](NoiseSpectrumParameters& p, py::object input) -> py::object {
            const Plane image = plane_argument(input, "image", "(height, width)");
            p.width = image.columns;
            p.height = image.rows;
            NoiseSpectrum nnps =
                run_tool([&](MessageSink&) { return measure_noise_spectrum(p, array_source(image.samples)); });
            return spectrum_result(column_result(std::move(nnps.x_profile)), column_result(std::move(nnps.y_profile)),
                                   plane_result(std::move(nnps.spectrum), p.height, p.width));
        });

    py::object sweep = result_type(m, "NoiseSweep", {"x_frequencies", "y_frequencies", "labels", "x", "y", "images"});
    def_sweep<NoiseSpectrumSweepParameters>(m, sweep, "noise_spectrum_sweep", noise_spectrum_sweep_dialogue,
                                            measure_noise_spectrum_sweep);
    def_sweep<ReconNoiseSweepParameters>(m, sweep, "recon_noise_sweep", recon_noise_sweep_dialogue,
                                         measure_recon_noise_sweep);
    def_sweep<ReconNoiseWindowsParameters>(m, sweep, "recon_noise_windows", recon_noise_windows_dialogue,
                                           measure_recon_noise_windows);
    def_sweep<ReconNoiseDiagonalParameters>(m, sweep, "recon_noise_diagonal", recon_noise_diagonal_dialogue,
                                            measure_recon_noise_diagonal);
}
