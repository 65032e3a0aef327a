// The projection tools: the projector and the measurement chain.

#include "common/sample_arrays.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projection_questions.h"
#include "tools/projection/projector.h"

namespace {

constexpr const char* image_axes = "(height, width)";
constexpr const char* sinogram_axes = "(angles, bins)";

// The sinogram of an image, as raysum and the one-run chains make it.
std::vector<double> projected(const Plane& image, double pixel_length, std::int32_t bins, std::int32_t angles) {
    std::vector<double> sinogram = take_samples(sample_count(bins, angles));
    const CijTable cij = make_cij(image.columns, image.rows, bins, angles, nullptr);
    project_image(image.samples.data(), image.columns, image.rows, pixel_length, cij, sinogram.data());
    return sinogram;
}

// A per-sample transform of one array into an array of the same shape.
template <typename Transform>
py::object same_shape(py::object input, const char* name, const char* axes, bool fresh_noise, Transform transform) {
    Plane plane = plane_argument(input, name, axes);
    std::vector<double> out = run_tool([&] { return transform(plane.samples); }, fresh_noise);
    return plane_result(std::move(out), plane.rows, plane.columns);
}

// The one-run chains: the sinogram of an image, then counts with noise and
// back to projections by the library's `measure` step, from a fresh noise state.
template <typename Parameters, typename Measure>
py::object noisy_sinogram(const Parameters& p, py::object input, Measure measure) {
    const Plane image = plane_argument(input, "image", image_axes);
    require_side(p.bins, "bins");
    require_side(p.angles, "angles");
    std::vector<double> sinogram = run_tool(
        [&] {
            std::vector<double> measured = projected(image, p.pixel_length, p.bins, p.angles);
            std::vector<double> counts = take_samples(static_cast<std::int64_t>(measured.size()));
            measure(measured.data(), counts.data(), static_cast<std::int64_t>(measured.size()));
            return measured;
        },
        true);
    return plane_result(std::move(sinogram), p.angles, p.bins);
}

}  // namespace

void register_projection(py::module_& m) {
    def_tool<RaysumParameters>(
        m, {"raysum", "image", {"width", "height"}, "image: (height, width). Returns the sinogram (angles, bins)."},
        raysum_dialogue, [](RaysumParameters& p, py::object input) -> py::object {
            const Plane image = plane_argument(input, "image", image_axes);
            require_side(p.bins, "bins");
            require_side(p.angles, "angles");
            std::vector<double> sinogram = run_tool([&] { return projected(image, p.pixel_length, p.bins, p.angles); });
            return plane_result(std::move(sinogram), p.angles, p.bins);
        });

    def_tool<AttenuateParameters>(
        m, {"attenuate", "sinogram", {"bins", "angles"}, "sinogram: (angles, bins). Returns the counts I0·e^(−p)."},
        attenuate_dialogue, [](AttenuateParameters& p, py::object input) -> py::object {
            return same_shape(input, "sinogram", sinogram_axes, false, [&](const std::vector<double>& projection) {
                std::vector<double> counts = take_samples(static_cast<std::int64_t>(projection.size()));
                counts_from_projection(projection.data(), counts.data(), static_cast<std::int64_t>(counts.size()),
                                       p.incident);
                return counts;
            });
        });

    def_tool<LinearizeParameters>(
        m,
        {"linearize", "counts", {"bins", "angles"}, "counts: (angles, bins). Returns the projections ln(I0 / count)."},
        linearize_dialogue, [](LinearizeParameters& p, py::object input) -> py::object {
            return same_shape(input, "counts", sinogram_axes, false, [&](const std::vector<double>& counts) {
                std::vector<double> projection = take_samples(static_cast<std::int64_t>(counts.size()));
                projection_from_counts(counts.data(), projection.data(), static_cast<std::int64_t>(counts.size()),
                                       p.incident);
                return projection;
            });
        });

    def_tool<QuantumNoiseParameters>(
        m,
        {"quantum_noise",
         "counts",
         {"bins", "angles"},
         "counts: (angles, bins). Returns every count replaced by a Poisson deviate of that mean.",
         true},
        quantum_noise_dialogue, [](QuantumNoiseParameters&, py::object input) -> py::object {
            return same_shape(input, "counts", sinogram_axes, true, [](std::vector<double> counts) {
                apply_poisson_noise(counts.data(), static_cast<std::int64_t>(counts.size()));
                return counts;
            });
        });

    def_tool<LevelNoiseParameters>(
        m,
        {"level_noise",
         "image",
         {"width", "height"},
         "image: (height, width). Returns it with Gaussian noise of the given level relative to its mean.",
         true},
        level_noise_dialogue, [](LevelNoiseParameters& p, py::object input) -> py::object {
            return same_shape(input, "image", image_axes, true, [&](std::vector<double> image) {
                apply_level_noise(image.data(), static_cast<std::int64_t>(image.size()), p.decibels);
                return image;
            });
        });

    def_tool<ScaledNoiseParameters>(
        m,
        {"scaled_noise",
         "image",
         {"width", "height"},
         "image: (height, width), any raw data. Returns it with Gaussian noise of standard deviation sd.",
         true},
        scaled_noise_dialogue, [](ScaledNoiseParameters& p, py::object input) -> py::object {
            return same_shape(input, "image", image_axes, true, [&](std::vector<double> data) {
                apply_gaussian_noise(data.data(), static_cast<std::int64_t>(data.size()), p.sd);
                return data;
            });
        });

    def_tool<RaysumQuantaParameters>(
        m,
        {"raysum_quanta",
         "image",
         {"width", "height"},
         "image: (height, width). Returns the sinogram (angles, bins) with photon (Poisson) noise.",
         true},
        raysum_quanta_dialogue, [](RaysumQuantaParameters& p, py::object input) -> py::object {
            return noisy_sinogram(p, input, [&](double* sinogram, double* counts, std::int64_t n) {
                measure_with_poisson_noise(sinogram, counts, n, p.incident);
            });
        });

    def_tool<RaysumNormalParameters>(
        m,
        {"raysum_normal",
         "image",
         {"width", "height"},
         "image: (height, width). Returns the sinogram (angles, bins) with Gaussian noise of sd counts.",
         true},
        raysum_normal_dialogue, [](RaysumNormalParameters& p, py::object input) -> py::object {
            return noisy_sinogram(p, input, [&](double* sinogram, double* counts, std::int64_t n) {
                measure_with_gaussian_noise(sinogram, counts, n, p.incident, p.sd);
            });
        });
}
