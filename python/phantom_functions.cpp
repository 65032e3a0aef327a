// The phantom tools: oval_draw and oval_stack.

#include <string>

#include "common/raw_file.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/phantom/phantom_images.h"
#include "tools/phantom/ellipse_file.h"
#include "tools/phantom/phantom_questions.h"

namespace {

// A path-like object or a string without line breaks names a file; any
// other string is the text of one.
bool names_a_file(py::handle ellipses) {
    if (!py::isinstance<py::str>(ellipses)) return true;
    const std::string text = py::str(ellipses);
    return text.find_first_of("\n\t") == std::string::npos;
}

}  // namespace

void register_phantom(py::module_& m) {
    def_tool<OvalDrawParameters>(m, {"oval_draw", nullptr, {}, "Returns the image (height, width) with one ellipse."},
                                 oval_draw_dialogue, [](OvalDrawParameters& p, py::object) -> py::object {
                                     require_side(p.width, "width");
                                     require_side(p.height, "height");
                                     std::vector<double> image =
                                         run_tool([&](MessageSink&) { return draw_oval_image(p); });
                                     return plane_result(std::move(image), p.height, p.width);
                                 });

    def_tool<OvalStackParameters>(
        m,
        {"oval_stack",
         "ellipses",
         {},
         "ellipses: the path of an ellipse file, or its text (a string holding a line break or a tab).\n"
         "Returns the image (height, width) of the first ellipse_count ellipses."},
        oval_stack_dialogue, [](OvalStackParameters& p, py::object ellipses) -> py::object {
            require_side(p.width, "width");
            require_side(p.height, "height");
            const bool from_file = names_a_file(ellipses);
            const std::string source =
                from_file ? py::str(py::module_::import("os").attr("fspath")(ellipses)) : py::str(ellipses);
            std::vector<double> image = run_tool([&](MessageSink&) {
                return draw_oval_stack(p, [&](std::int32_t count) {
                    return from_file ? load_ellipses(source, count, nullptr) : ellipses_from_text(source, count, nullptr);
                });
            });
            return plane_result(std::move(image), p.height, p.width);
        });
}
