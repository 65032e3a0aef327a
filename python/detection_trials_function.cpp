// detection_trials: the FBP trial images with and without a lesion as arrays.

#include <pybind11/numpy.h>

#include <cstring>
#include <vector>

#include "common/sample_arrays.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/detectability/detectability_questions.h"
#include "tools/detectability/detection_trials_tool.h"

void register_detection_trials(py::module_& m) {
    py::object result = result_type(m, "DetectionTrials", {"present", "absent"});
    const FunctionSignature signature{
        "detection_trials", nullptr, {},
        "Returns DetectionTrials(present, absent): the signal-present and signal-absent trials, arrays\n"
        "(trials, side, side), trial k at index k - 1: the images the tool writes as present_k.img and\n"
        "absent_k.img (before their rounding to float32), ready for observer_study(present, absent)."};
    DetectionTrialsParameters defaults{};
    const std::string doc = function_doc(signature, detection_trials_dialogue(defaults));
    m.def(
        "detection_trials",
        [result](py::kwargs keywords) {
            DetectionTrialsParameters p{};
            const ToolDialogue table = detection_trials_dialogue(p);
            answer_from_keywords("detection_trials", table, keywords, {});
            std::vector<double> present, absent;
            run_tool(
                [&](MessageSink& sink) {
                    check_detection_trials_answers(p);
                    const std::size_t pixels = static_cast<std::size_t>(p.side) * static_cast<std::size_t>(p.side);
                    present = take_samples(static_cast<std::int64_t>(pixels) * p.trials);
                    absent = take_samples(static_cast<std::int64_t>(pixels) * p.trials);
                    make_detection_trials(
                        p,
                        [&](bool is_present, std::int32_t k, std::vector<double>& image) {
                            double* into = (is_present ? present : absent).data() + static_cast<std::size_t>(k - 1) * pixels;
                            std::memcpy(into, image.data(), pixels * sizeof(double));
                        },
                        sink);
                },
                true);
            const std::vector<py::ssize_t> shape{p.trials, p.side, p.side};
            return result(array_result(std::move(present), shape), array_result(std::move(absent), shape));
        },
        doc.c_str());
}
