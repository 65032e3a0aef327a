// The resolution tools: the slanted edge, its ESF and LSF, and the MTF.

#include "common/sample_arrays.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/resolution/edge_spread.h"
#include "tools/resolution/edge_target.h"
#include "tools/resolution/resolution_questions.h"
#include "tools/resolution/transfer.h"

void register_resolution(py::module_& m) {
    def_tool<StepTargetParameters>(m, {"step_target", nullptr, {}, "Returns the slanted edge image (height, width)."},
                                   step_target_dialogue, [](StepTargetParameters& p, py::object) -> py::object {
                                       require_side(p.width, "width");
                                       require_side(p.height, "height");
                                       std::vector<double> image = run_tool([&] {
                                           std::vector<double> drawn = take_samples(sample_count(p.width, p.height));
                                           draw_step_edge(drawn, p.width, p.height, p.gain, p.angle);
                                           return drawn;
                                       });
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
            Plane image = plane_argument(input, "image", "(height, width)");
            double angle = 0;
            std::vector<double> esf, lsf;
            run_tool([&] {
                require_sample_count(p.points, "出力データ数");
                lsf = take_samples(p.points);
                esf = measure_edge_spread(image.samples, image.columns, image.rows, p.points, p.delta, nullptr, &angle);
                line_spread(esf.data(), p.points, p.delta, lsf.data());
            });
            return slant_result(angle, column_result(std::move(esf)), column_result(std::move(lsf)));
        });

    def_tool<TransferCurveParameters>(
        m,
        {"transfer_curve",
         "image",
         {"width", "height"},
         "image: (height, width), a slightly tilted edge. Returns the MTF, `points` samples."},
        transfer_curve_dialogue, [](TransferCurveParameters& p, py::object input) -> py::object {
            Plane image = plane_argument(input, "image", "(height, width)");
            std::vector<double> mtf = run_tool([&] {
                require_transfer_point_count(p.points);
                std::vector<double> lsf = take_samples(2 * static_cast<std::int64_t>(p.points));
                std::vector<double> curve = take_samples(p.points);
                measure_transfer(image.samples, image.columns, image.rows, p.points, p.delta, lsf.data(), curve.data(),
                                 nullptr);
                return curve;
            });
            return column_result(std::move(mtf));
        });
}
