// observer_study: d' of NPW and CHO on image trials given as arrays.

#include <pybind11/numpy.h>

#include <string>
#include <vector>

#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/detectability/detectability_questions.h"
#include "tools/detectability/observer_study_tool.h"

namespace {

// The trials as the tool reads its files: each sample rounded to float32,
// (trials, height, width).
std::vector<double> trial_stack(py::handle value, const char* name, std::vector<py::ssize_t>& shape) {
    std::vector<double> samples = narrowed_samples(value, name, &shape);
    if (shape.size() != 3 || shape[0] > 2147483647 || shape[1] > 2147483647 || shape[2] > 2147483647)
        throw py::value_error(std::string("observer_study(): ") + name + " must be an array (trials, height, width)");
    return samples;
}

}  // namespace

void register_observer_study(py::module_& m) {
    py::object result = result_type(m, "ObserverStudy", {"d_prime", "lower", "upper", "channel_width", "amplitude"});
    const FunctionSignature signature{
        "observer_study",
        "present, absent",
        {"width", "height"},
        "present, absent: the signal-present and signal-absent trials, arrays (count, height, width) of one\n"
        "shape, which give width and height (as the tool's files, narrowed to float32); the first `trials`\n"
        "of each are used, as the tool reads present_1.img ... present_<trials>.img.\n"
        "Returns ObserverStudy(d_prime, lower, upper, channel_width, amplitude): d' of NPW and CHO, the ends\n"
        "of their 95 % bootstrap intervals (NaN for CHO on as few trials as channels), the channels' width a\n"
        "(mm) and the disc's height measured on the trials."};
    ObserverStudyParameters defaults{};
    const std::string doc = function_doc(signature, observer_study_dialogue(defaults));
    m.def(
        "observer_study",
        [result](py::object present, py::object absent, py::kwargs keywords) {
            ObserverStudyParameters p{};
            const ToolDialogue table = observer_study_dialogue(p);
            answer_from_keywords("observer_study", table, keywords, {"width", "height"});
            std::vector<py::ssize_t> shape, other;
            const std::vector<double> with = trial_stack(present, "present", shape);
            const std::vector<double> without = trial_stack(absent, "absent", other);
            if (shape != other) throw py::value_error("observer_study(): present and absent differ in shape");
            const auto n = static_cast<std::int32_t>(shape[0]), rows = static_cast<std::int32_t>(shape[1]),
                       columns = static_cast<std::int32_t>(shape[2]);
            if (p.trials > n)
                throw py::value_error("observer_study(): trials=" + std::to_string(p.trials) + " but the arrays hold " +
                                      std::to_string(n) + " trials");
            p.width = columns;
            p.height = rows;
            const ObserverStudyOutcome o = run_tool(
                [&](MessageSink& sink) {
                    check_observer_study_answers(p);
                    const std::size_t samples = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
                    return compute_observer_study(
                        p,
                        [&](bool is_present, std::int32_t k) {
                            const double* first = (is_present ? with : without).data() + static_cast<std::size_t>(k) * samples;
                            return std::vector<double>(first, first + samples);
                        },
                        sink);
                },
                true);
            const TrialStudy& s = o.study;
            return result(column_result({s.d.npw, s.d.cho}), column_result({s.lower.npw, s.lower.cho}),
                          column_result({s.upper.npw, s.upper.cho}), o.channel_width, s.npw_amplitude);
        },
        py::arg("present"), py::arg("absent"), doc.c_str());
}
