// The viewer: raw_to_png writes an image as an 8-bit PNG picture; raw_region
// cuts a rectangle out of an image.

#include <string>

#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "common/raw_file.h"
#include "tools/viewer/grey_picture.h"
#include "tools/viewer/image_region.h"
#include "tools/viewer/png_file.h"
#include "tools/viewer/viewer_questions.h"

void register_viewer(py::module_& m) {
    // The picture's name is an argument of its own: the one file a call writes.
    const FunctionSignature signature{
        "raw_to_png",
        "image, output",
        {"width", "height"},
        "image: (height, width). Writes the PNG picture `output` and returns the DisplayWindow(low, high)\n"
        "it used (both keywords 0: the image's own finite range)."};
    RawToPngParameters defaults{};
    const std::string doc = function_doc(signature, raw_to_png_dialogue(defaults));
    py::object window_type = result_type(m, "DisplayWindow", {"low", "high"});
    m.def(
        "raw_to_png",
        [window_type](py::handle input, py::handle output, py::kwargs keywords) -> py::object {
            RawToPngParameters p{};
            const ToolDialogue table = raw_to_png_dialogue(p);
            answer_from_keywords("raw_to_png", table, keywords, {"width", "height"});
            const Plane image = plane_argument(input, "image", "(height, width)");
            p.output = py::str(py::module_::import("os").attr("fspath")(output));
            p.width = image.columns;
            p.height = image.rows;
            const DisplayWindow window = run_tool([&](MessageSink& sink) {
                const GreyPicture picture = grey_picture(p, array_source(image.samples), sink);
                write_grey_png(p.output, picture.grey, picture.width, picture.height);
                return picture.window;
            });
            return window_type(window.low, window.high);
        },
        py::arg("image"), py::arg("output"), doc.c_str());

    def_tool<RawRegionParameters>(
        m,
        {"raw_region", "image", {"width", "height"},
         "image: (height, width). Returns the rectangle of region_height rows and region_width columns\n"
         "whose top left pixel is at column x, row y."},
        raw_region_dialogue, [](RawRegionParameters& p, py::object input) -> py::object {
            const Plane image = plane_argument(input, "image", "(height, width)");
            p.height = image.rows;
            p.width = image.columns;
            std::vector<double> region =
                run_tool([&](MessageSink&) { return take_raw_region(p, array_source(image.samples)); });
            return plane_result(std::move(region), p.region_height, p.region_width);
        });
}
