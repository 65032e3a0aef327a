// The projection tools: the projector and the measurement chain.

#include "common/raw_file.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projection_tools.h"

namespace {

constexpr const char* image_axes = "(height, width)";
constexpr const char* sinogram_axes = "(angles, bins)";

std::vector<double> samples_of(std::vector<double>&& samples) { return std::move(samples); }
std::vector<double> samples_of(Measured&& measured) { return std::move(measured.samples); }

// A tool from an image to a sinogram of the asked bins and angles: the
// image's shape gives its sides.
template <typename Parameters, typename Tool>
py::object image_to_sinogram(Parameters& p, py::object input, bool fresh_noise, Tool tool) {
    const Plane image = plane_argument(input, "image", image_axes);
    p.width = image.columns;
    p.height = image.rows;
    require_side(p.bins, "bins");
    require_side(p.angles, "angles");
    std::vector<double> sinogram = run_tool(
        [&](MessageSink& sink) { return samples_of(tool(p, array_source(image.samples), sink)); }, fresh_noise);
    return plane_result(std::move(sinogram), p.angles, p.bins);
}

// A per-sample tool on a sinogram: its shape gives bins and angles.
template <typename Parameters, typename Tool>
py::object on_sinogram(Parameters& p, py::object input, const char* name, bool fresh_noise, Tool tool) {
    const Plane sinogram = plane_argument(input, name, sinogram_axes);
    p.bins = sinogram.columns;
    p.angles = sinogram.rows;
    std::vector<double> out =
        run_tool([&](MessageSink&) { return samples_of(tool(p, array_source(sinogram.samples))); }, fresh_noise);
    return plane_result(std::move(out), sinogram.rows, sinogram.columns);
}

// A per-sample tool on an image: its shape gives width and height.
template <typename Parameters, typename Tool>
py::object on_image(Parameters& p, py::object input, Tool tool) {
    const Plane image = plane_argument(input, "image", image_axes);
    p.width = image.columns;
    p.height = image.rows;
    std::vector<double> out = run_tool([&](MessageSink&) { return tool(p, array_source(image.samples)); }, true);
    return plane_result(std::move(out), image.rows, image.columns);
}

}  // namespace

void register_projection(py::module_& m) {
    def_tool<RaysumParameters>(
        m, {"raysum", "image", {"width", "height"}, "image: (height, width). Returns the sinogram (angles, bins)."},
        raysum_dialogue, [](RaysumParameters& p, py::object input) -> py::object {
            return image_to_sinogram(p, input, false, project_to_sinogram);
        });

    def_tool<AttenuateParameters>(
        m, {"attenuate", "sinogram", {"bins", "angles"}, "sinogram: (angles, bins). Returns the counts I0·e^(−p)."},
        attenuate_dialogue, [](AttenuateParameters& p, py::object input) -> py::object {
            return on_sinogram(p, input, "sinogram", false, attenuate_projection);
        });

    def_tool<LinearizeParameters>(
        m,
        {"linearize", "counts", {"bins", "angles"}, "counts: (angles, bins). Returns the projections ln(I0 / count)."},
        linearize_dialogue, [](LinearizeParameters& p, py::object input) -> py::object {
            return on_sinogram(p, input, "counts", false, linearize_counts);
        });

    def_tool<QuantumNoiseParameters>(
        m,
        {"quantum_noise",
         "counts",
         {"bins", "angles"},
         "counts: (angles, bins). Returns every count replaced by a Poisson deviate of that mean.",
         true},
        quantum_noise_dialogue, [](QuantumNoiseParameters& p, py::object input) -> py::object {
            return on_sinogram(p, input, "counts", true, add_quantum_noise);
        });

    def_tool<LevelNoiseParameters>(
        m,
        {"level_noise",
         "image",
         {"width", "height"},
         "image: (height, width). Returns it with Gaussian noise of the given level relative to its mean.",
         true},
        level_noise_dialogue,
        [](LevelNoiseParameters& p, py::object input) -> py::object { return on_image(p, input, add_level_noise); });

    def_tool<ScaledNoiseParameters>(
        m,
        {"scaled_noise",
         "image",
         {"width", "height"},
         "image: (height, width), any raw data. Returns it with Gaussian noise of standard deviation sd.",
         true},
        scaled_noise_dialogue,
        [](ScaledNoiseParameters& p, py::object input) -> py::object { return on_image(p, input, add_scaled_noise); });

    def_tool<RaysumQuantaParameters>(
        m,
        {"raysum_quanta",
         "image",
         {"width", "height"},
         "image: (height, width). Returns the sinogram (angles, bins) with photon (Poisson) noise.",
         true},
        raysum_quanta_dialogue, [](RaysumQuantaParameters& p, py::object input) -> py::object {
            return image_to_sinogram(p, input, true, measure_sinogram_with_quanta);
        });

    def_tool<RaysumNormalParameters>(
        m,
        {"raysum_normal",
         "image",
         {"width", "height"},
         "image: (height, width). Returns the sinogram (angles, bins) with Gaussian noise of sd counts.",
         true},
        raysum_normal_dialogue, [](RaysumNormalParameters& p, py::object input) -> py::object {
            return image_to_sinogram(p, input, true, measure_sinogram_with_normal_noise);
        });
}
