// The smoothing filters.

#include "common/raw_file.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/filters/filters_questions.h"
#include "tools/filters/smoothing_tools.h"

namespace {

// A filter of the input image: its shape gives width and height.
template <typename Parameters, typename Filter>
py::object filtered(Parameters& p, py::object input, Filter filter) {
    const Plane image = plane_argument(input, "image", "(height, width)");
    p.width = image.columns;
    p.height = image.rows;
    std::vector<double> output = run_tool([&](MessageSink& sink) { return filter(p, array_source(image.samples), sink); });
    return plane_result(std::move(output), image.rows, image.columns);
}

// The filters that have nothing to show.
template <typename Parameters>
auto quiet(std::vector<double> (*filter)(const Parameters&, const SampleSource&)) {
    return [filter](const Parameters& p, const SampleSource& image, MessageSink&) { return filter(p, image); };
}

constexpr const char* returns_image = "image: (height, width). Returns the smoothed image.";

}  // namespace

void register_filters(py::module_& m) {
    def_tool<BoxSmoothParameters>(
        m, {"box_smooth", "image", {"width", "height"}, returns_image}, box_smooth_dialogue,
        [](BoxSmoothParameters& p, py::object input) { return filtered(p, input, quiet(box_smoothed)); });

    def_tool<KernelSmoothParameters>(
        m, {"kernel_smooth", "image", {"width", "height"}, returns_image}, kernel_smooth_dialogue,
        [](KernelSmoothParameters& p, py::object input) { return filtered(p, input, kernel_smoothed); });

    def_tool<BellSmoothParameters>(
        m, {"bell_smooth", "image", {"width", "height"}, returns_image}, bell_smooth_dialogue,
        [](BellSmoothParameters& p, py::object input) { return filtered(p, input, quiet(bell_smoothed)); });

    def_tool<RankSmoothParameters>(
        m, {"rank_smooth", "image", {"width", "height"}, returns_image}, rank_smooth_dialogue,
        [](RankSmoothParameters& p, py::object input) { return filtered(p, input, rank_smoothed); });

    def_tool<EdgePreserveParameters>(
        m, {"edge_preserve", "image", {"width", "height"}, returns_image}, edge_preserve_dialogue,
        [](EdgePreserveParameters& p, py::object input) { return filtered(p, input, edge_preserved); });
}
