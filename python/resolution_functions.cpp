// The resolution tools: the slanted edge, its ESF and LSF, and the MTF.

#include "common/raw_file.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/resolution/resolution_questions.h"
#include "tools/resolution/resolution_tools.h"

void register_resolution(py::module_& m) {
    def_tool<StepTargetParameters>(m, {"step_target", nullptr, {}, "Returns the slanted edge image (height, width)."},
                                   step_target_dialogue, [](StepTargetParameters& p, py::object) -> py::object {
                                       require_side(p.width, "width");
                                       require_side(p.height, "height");
                                       std::vector<double> image =
                                           run_tool([&](MessageSink&) { return draw_step_target(p); });
                                       return plane_result(std::move(image), p.height, p.width);
                                   });

    py::object slant_result = result_type(m, "SlantProfile", {"angle", "esf", "lsf"});
    def_tool<SlantProfileParameters>(
        m,
        {"slant_profile",
         "image",
         {"width", "height"},
         "image: (height, width), a slightly tilted edge. Returns SlantProfile(angle, esf, lsf): the tilt in\n"
         "degrees as the tool prints it, and the ESF and LSF of `points` samples (esf.txt and the LSF table)."},
        slant_profile_dialogue, [slant_result](SlantProfileParameters& p, py::object input) -> py::object {
            const Plane image = plane_argument(input, "image", "(height, width)");
            p.width = image.columns;
            p.height = image.rows;
            SlantProfile profile =
                run_tool([&](MessageSink& sink) { return measure_slant_profile(p, array_source(image.samples), sink); });
            return slant_result(profile.tilt_degrees, column_result(std::move(profile.esf)),
                                column_result(std::move(profile.lsf)));
        });

    def_tool<TransferCurveParameters>(
        m,
        {"transfer_curve",
         "image",
         {"width", "height"},
         "image: (height, width), a slightly tilted edge. Returns the MTF, `points` samples."},
        transfer_curve_dialogue, [](TransferCurveParameters& p, py::object input) -> py::object {
            const Plane image = plane_argument(input, "image", "(height, width)");
            p.width = image.columns;
            p.height = image.rows;
            std::vector<double> mtf =
                run_tool([&](MessageSink& sink) { return measure_transfer_curve(p, array_source(image.samples), sink); });
            return column_result(std::move(mtf));
        });
}
