// The fan-beam tools: fan_raysum, fan_reconstruct and fan_rebin. The
// geometry file travels as its text: fan_raysum returns it beside the
// sinogram, and the other two take it (or the path of such a file).

#include <string>

#include "common/raw_file.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/fan/fan_geometry.h"
#include "tools/fan/fan_questions.h"
#include "tools/fan/fan_tools.h"
#include "tools/phantom/ellipse_file.h"

namespace {

// A path-like object or a string without line breaks names a file; any
// other string is the text itself.
bool names_a_file(py::handle text) {
    if (!py::isinstance<py::str>(text)) return true;
    return std::string(py::str(text)).find_first_of("\n\t") == std::string::npos;
}

std::string path_of(py::handle name) { return py::str(py::module_::import("os").attr("fspath")(name)); }

FanGeometry geometry_argument(py::handle geometry) {
    if (names_a_file(geometry)) {
        const std::string name = path_of(geometry);
        return run_tool([&](MessageSink&) { return read_fan_geometry_file(name); });
    }
    const std::string text = py::str(geometry);
    return run_tool([&](MessageSink&) { return parse_fan_geometry(text, "<text>"); });
}

}  // namespace

void register_fan(py::module_& m) {
    py::object raysum_result = result_type(m, "FanRaysum", {"sinogram", "geometry"});
    def_tool<FanRaysumParameters>(
        m,
        {"fan_raysum",
         "image",
         {},
         "image: an image (height, width) when input_kind is 1 (its shape gives width and height), or the path\n"
         "of an ellipse file or its text when input_kind is 2. Returns FanRaysum(sinogram, geometry): the fan\n"
         "sinogram (views, bins) and the text of the geometry file."},
        fan_raysum_dialogue, [raysum_result](FanRaysumParameters& p, py::object input) -> py::object {
            std::vector<double> sinogram;
            if (p.input_kind == 2) {
                const bool from_file = names_a_file(input);
                const std::string source = from_file ? path_of(input) : std::string(py::str(input));
                sinogram = run_tool([&](MessageSink& sink) {
                    check_fan_raysum_answers(p);
                    const std::vector<Ellipse> ellipses = from_file ? load_ellipses(source, p.ellipse_count, nullptr)
                                                                    : ellipses_from_text(source, p.ellipse_count, nullptr);
                    return fan_raysum_of_ellipses(p, ellipses, sink);
                });
            } else {
                const Plane image = plane_argument(input, "image", "(height, width)");
                p.height = image.rows;
                p.width = image.columns;
                sinogram = run_tool(
                    [&](MessageSink& sink) { return fan_raysum_of_image(p, array_source(image.samples), sink); });
            }
            const FanGeometry g = fan_raysum_geometry(p);
            return raysum_result(plane_result(std::move(sinogram), g.views, g.bins), fan_geometry_text(g));
        });

    const FunctionSignature reconstruct_signature{
        "fan_reconstruct", "sinogram, geometry", {"bins", "views"},
        "sinogram: (views, bins); geometry: the text of a geometry file or its path. Returns the image\n"
        "(height, width) in 1/cm by direct fan-beam filtered back projection."};
    FanReconstructParameters reconstruct_defaults{};
    const std::string reconstruct_doc = function_doc(reconstruct_signature, fan_reconstruct_dialogue(reconstruct_defaults));
    m.def(
        "fan_reconstruct",
        [](py::handle input, py::handle geometry, py::kwargs keywords) -> py::object {
            FanReconstructParameters p{};
            const ToolDialogue table = fan_reconstruct_dialogue(p);
            answer_from_keywords("fan_reconstruct", table, keywords, {"bins", "views"});
            const Plane sinogram = plane_argument(input, "sinogram", "(views, bins)");
            p.views = sinogram.rows;
            p.bins = sinogram.columns;
            const FanGeometry g = geometry_argument(geometry);
            std::vector<double> image = run_tool(
                [&](MessageSink& sink) { return fan_reconstruct_from(p, g, array_source(sinogram.samples), sink); });
            return plane_result(std::move(image), p.height, p.width);
        },
        py::arg("sinogram"), py::arg("geometry"), reconstruct_doc.c_str());

    const FunctionSignature rebin_signature{
        "fan_rebin", "sinogram, geometry", {"bins", "views"},
        "sinogram: (views, bins); geometry: the text of a geometry file or its path. Returns the parallel\n"
        "sinogram (angles, parallel_bins) that reconstruct takes."};
    FanRebinParameters rebin_defaults{};
    const std::string rebin_doc = function_doc(rebin_signature, fan_rebin_dialogue(rebin_defaults));
    m.def(
        "fan_rebin",
        [](py::handle input, py::handle geometry, py::kwargs keywords) -> py::object {
            FanRebinParameters p{};
            const ToolDialogue table = fan_rebin_dialogue(p);
            answer_from_keywords("fan_rebin", table, keywords, {"bins", "views"});
            const Plane sinogram = plane_argument(input, "sinogram", "(views, bins)");
            p.views = sinogram.rows;
            p.bins = sinogram.columns;
            const FanGeometry g = geometry_argument(geometry);
            std::vector<double> parallel = run_tool(
                [&](MessageSink& sink) { return fan_rebin_from(p, g, array_source(sinogram.samples), sink); });
            return plane_result(std::move(parallel), p.angles, p.parallel_bins);
        },
        py::arg("sinogram"), py::arg("geometry"), rebin_doc.c_str());
}
