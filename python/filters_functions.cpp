// The smoothing filters.

#include "common/sample_arrays.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/filters/bilateral.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/gaussian.h"
#include "tools/filters/median.h"
#include "tools/filters/three_by_three.h"

namespace {

// A filter from the input image into a fresh output image of its size.
template <typename Filter>
py::object filtered(py::object input, Filter filter) {
    const Plane image = plane_argument(input, "image", "(height, width)");
    std::vector<double> output = run_tool([&] {
        std::vector<double> out = take_samples(static_cast<std::int64_t>(image.samples.size()));
        filter(image.samples.data(), out.data(), image.columns, image.rows);
        return out;
    });
    return plane_result(std::move(output), image.rows, image.columns);
}

constexpr const char* returns_image = "image: (height, width). Returns the smoothed image.";

}  // namespace

void register_filters(py::module_& m) {
    def_tool<BoxSmoothParameters>(
        m, {"box_smooth", "image", {"width", "height"}, returns_image}, box_smooth_dialogue,
        [](BoxSmoothParameters&, py::object input) { return filtered(input, moving_average_3x3); });

    def_tool<KernelSmoothParameters>(
        m, {"kernel_smooth", "image", {"width", "height"}, returns_image}, kernel_smooth_dialogue,
        [](KernelSmoothParameters& p, py::object input) {
            const SmoothingKernel kernel = make_smoothing_kernel(p.corner, p.side, p.centre);
            return filtered(input, [&](const double* in, double* out, std::int32_t w, std::int32_t h) {
                weighted_average_3x3(in, out, w, h, kernel);
            });
        });

    def_tool<BellSmoothParameters>(m, {"bell_smooth", "image", {"width", "height"}, returns_image},
                                   bell_smooth_dialogue, [](BellSmoothParameters& p, py::object input) {
                                       return filtered(
                                           input, [&](const double* in, double* out, std::int32_t w, std::int32_t h) {
                                               gaussian_smooth(in, out, w, h, p.fwhm);
                                           });
                                   });

    def_tool<RankSmoothParameters>(m, {"rank_smooth", "image", {"width", "height"}, returns_image},
                                   rank_smooth_dialogue, [](RankSmoothParameters& p, py::object input) {
                                       run_tool([&] { require_median_window(p.window_width); });
                                       return filtered(
                                           input, [&](const double* in, double* out, std::int32_t w, std::int32_t h) {
                                               median_smooth(in, out, w, h, p.window_width);
                                           });
                                   });

    def_tool<EdgePreserveParameters>(
        m, {"edge_preserve", "image", {"width", "height"}, returns_image}, edge_preserve_dialogue,
        [](EdgePreserveParameters& p, py::object input) {
            return filtered(input, [&](const double* in, double* out, std::int32_t w, std::int32_t h) {
                bilateral_smooth(in, out, w, h, p.window_width, p.spatial_width, p.range_width);
            });
        });
}
