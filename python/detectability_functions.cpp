// The detectability tool: d' of the observers from an MTF and an NPS.

#include <pybind11/numpy.h>

#include <cmath>

#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/detectability/detectability_questions.h"
#include "tools/detectability/detectability_tool.h"

namespace {

// A one-dimensional array of doubles as a table holds them (no narrowing: a
// table's numbers are text read as doubles).
std::vector<double> table_values(py::handle value, const char* name) {
    const auto array = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(value);
    if (!array || array.ndim() != 1) throw py::value_error(std::string(name) + " must be a one-dimensional array");
    return {array.data(), array.data() + array.size()};
}

}  // namespace

void register_detectability(py::module_& m) {
    py::object result = result_type(m, "Detectability",
                                    {"d_prime", "diameters", "over_diameters", "diameter_at_three", "frequencies",
                                     "integrands", "eye_peak", "mean_nps", "internal_noise"});
    const FunctionSignature signature{
        "detectability",
        "mtf=None, nps=None, nps_frequencies=None",
        {},
        "mtf: the MTF table of transfer_curve (mtf_kind=0). nps: the NNPS image of noise_spectrum (nps_kind=0)\n"
        "or an NPS image of reconstructed noise (nps_kind=1), (height, width), which then gives width and height;\n"
        "or one row of an NPS table (nps_kind=2) with its frequencies in cycles/pixel in nps_frequencies.\n"
        "Returns Detectability(d_prime, diameters, over_diameters, diameter_at_three, frequencies, integrands,\n"
        "eye_peak, mean_nps, internal_noise): d' of NPW, NPWE and NPWEi at the task's diameter, the table's\n"
        "diameters (mm) and d' over them (3, count), the diameters where d' = 3 (-1 where not reached), the\n"
        "integrand table's frequencies (cycles/mm) and rows |W|^2MTF^2, |W|^2MTF^2NPS, |W|^2MTF^2E^2,\n"
        "|W|^2MTF^2E^4NPS, the eye filter's peak in cycles/mm, the mean NPS and the internal noise (mm^2)."};
    DetectabilityParameters defaults{};
    const std::string doc = function_doc(signature, detectability_dialogue(defaults));
    m.def(
        "detectability",
        [result](py::object mtf, py::object nps, py::object nps_frequencies, py::kwargs keywords) {
            DetectabilityParameters p{};
            const ToolDialogue table = detectability_dialogue(p);
            answer_from_keywords("detectability", table, keywords, {});
            std::vector<double> mtf_values, image;
            NpsProfile profile;
            if (p.mtf_kind == 0) {
                if (mtf.is_none()) throw py::value_error("detectability(): mtf_kind=0 needs the MTF table as mtf");
                mtf_values = table_values(mtf, "mtf");
            }
            if (p.nps_kind == 0 || p.nps_kind == 1) {
                if (nps.is_none()) throw py::value_error("detectability(): nps_kind 0 or 1 needs the image as nps");
                const Plane plane = plane_argument(nps, "nps", "(height, width)");
                p.width = plane.columns;
                p.height = plane.rows;
                image = plane.samples;
            }
            if (p.nps_kind == 2) {
                if (nps.is_none() || nps_frequencies.is_none())
                    throw py::value_error("detectability(): nps_kind=2 needs nps and nps_frequencies");
                profile.values = table_values(nps, "nps");
                profile.frequencies = table_values(nps_frequencies, "nps_frequencies");
                if (profile.values.size() != profile.frequencies.size() || profile.values.empty())
                    throw py::value_error("detectability(): nps and nps_frequencies differ in length or are empty");
                for (std::size_t k = 0; k < profile.values.size(); ++k)
                    if (!(profile.frequencies[k] > 0) || (k > 0 && !(profile.frequencies[k] > profile.frequencies[k - 1])) ||
                        !(profile.values[k] >= 0) || !std::isfinite(profile.values[k]))
                        throw py::value_error(
                            "detectability(): nps_frequencies must be positive and increasing, "
                            "nps finite and not negative");
            }
            DetectabilityOutcome o = run_tool([&](MessageSink& sink) {
                check_detectability_answers(p);
                const RadialFunction curve = mtf_of(p, mtf_values, "mtf");
                const FrequencyGrid grid = nps_grid_of(p, image, profile, "nps");
                return compute_detectability(p, curve, grid, sink);
            });
            std::vector<double> d = {o.task.npw, o.task.npwe, o.task.npwei};
            std::vector<double> over;
            for (int i = 0; i < 3; ++i)
                for (const ObserverValues& v : o.over_diameters) over.push_back(i == 0 ? v.npw : i == 1 ? v.npwe
                                                                                                        : v.npwei);
            std::vector<double> at3 = {o.diameter_at_three.npw, o.diameter_at_three.npwe, o.diameter_at_three.npwei};
            std::vector<double> frequencies;
            for (std::int32_t k = 0; k < o.bins; ++k) frequencies.push_back(k * o.bin_width);
            const auto count = static_cast<py::ssize_t>(o.diameters.size());
            return result(column_result(std::move(d)), column_result(std::move(o.diameters)),
                          array_result(std::move(over), {3, count}), column_result(std::move(at3)),
                          column_result(std::move(frequencies)), array_result(std::move(o.profiles), {4, o.bins}),
                          o.eye.peak_cycles_per_mm(), o.mean_nps, o.internal_noise);
        },
        py::arg("mtf") = py::none(), py::arg("nps") = py::none(), py::arg("nps_frequencies") = py::none(), doc.c_str());
}
