#include "tools/suite/suite_tools.h"

#include <cstring>
#include <set>
#include <variant>

#include "tools/detectability/detectability_questions.h"
#include "tools/dicom/dicom_questions.h"
#include "tools/fan/fan_questions.h"
#include "tools/filters/filters_questions.h"
#include "tools/iterative/iterative_questions.h"
#include "tools/noise/noise_questions.h"
#include "tools/phantom/phantom_questions.h"
#include "tools/projection/projection_questions.h"
#include "tools/recon/recon_questions.h"
#include "tools/resolution/resolution_questions.h"
#include "tools/viewer/viewer_questions.h"

namespace {

// A table bound to a record of its own that lives as long as the program.
template <typename Record>
Record record_of(ToolDialogue (*)(Record&));

template <auto make>
ToolDialogue bound() {
    static decltype(record_of(make)) record;
    return make(record);
}

std::vector<SuiteProgram> make_suite() {
    const std::vector<const char*> filters = {"box_smooth", "kernel_smooth", "bell_smooth", "rank_smooth",
                                              "edge_preserve"};
    auto other_filters = [&](const char* self) {
        std::vector<const char*> others;
        for (const char* f : filters)
            if (std::strcmp(f, self) != 0) others.push_back(f);
        return others;
    };
    std::vector<SuiteProgram> suite = {
        {bound<oval_draw_dialogue>(), true, {"oval_stack", "step_target", "raysum"}},
        {bound<oval_stack_dialogue>(), true, {"oval_draw", "raysum", "raysum_quanta", "raysum_normal"}},
        {bound<raysum_dialogue>(), true, {"oval_stack", "attenuate", "raysum_quanta", "raysum_normal", "reconstruct"}, true},
        {bound<attenuate_dialogue>(), false, {"raysum", "quantum_noise", "linearize"}},
        {bound<quantum_noise_dialogue>(), false, {"attenuate", "linearize", "raysum_quanta"}},
        {bound<linearize_dialogue>(), false, {"quantum_noise", "attenuate", "reconstruct"}},
        {bound<level_noise_dialogue>(), false, {"scaled_noise", "noise_spectrum", "oval_draw"}},
        {bound<scaled_noise_dialogue>(), false, {"level_noise", "quantum_noise"}},
        {bound<raysum_quanta_dialogue>(), true, {"raysum", "attenuate", "quantum_noise", "linearize", "reconstruct"}},
        {bound<raysum_normal_dialogue>(), true, {"raysum", "attenuate", "linearize", "reconstruct"}},
        {bound<reconstruct_dialogue>(), true, {"raysum", "linearize", "box_smooth", "rank_smooth", "edge_preserve", "raw_to_png"}, true},
        {bound<view_subset_dialogue>(), false, {"raysum", "iterative_recon", "reconstruct"}},
        {bound<iterative_recon_dialogue>(), true, {"view_subset", "reconstruct", "raysum", "raysum_quanta", "raw_to_png"}},
        {bound<fan_raysum_dialogue>(), true, {"oval_stack", "raysum", "fan_reconstruct", "fan_rebin"}},
        {bound<fan_reconstruct_dialogue>(), true, {"fan_raysum", "fan_rebin", "reconstruct", "raw_to_png"}, true},
        {bound<fan_rebin_dialogue>(), true, {"fan_raysum", "reconstruct", "fan_reconstruct"}},
        {bound<step_target_dialogue>(), false, {"slant_profile", "transfer_curve"}},
        {bound<slant_profile_dialogue>(), false, {"step_target", "transfer_curve"}},
        {bound<transfer_curve_dialogue>(), false, {"step_target", "slant_profile"}},
        {bound<noise_spectrum_dialogue>(), false, {"level_noise", "noise_spectrum_sweep"}},
        {bound<noise_spectrum_sweep_dialogue>(), true, {"noise_spectrum", "recon_noise_sweep"}},
        {bound<recon_noise_sweep_dialogue>(), true, {"noise_spectrum_sweep", "recon_noise_windows", "recon_noise_diagonal", "reconstruct"}},
        {bound<recon_noise_windows_dialogue>(), true, {"recon_noise_sweep", "recon_noise_diagonal", "reconstruct"}},
        {bound<recon_noise_diagonal_dialogue>(), true, {"recon_noise_sweep", "recon_noise_windows"}},
        {bound<box_smooth_dialogue>(), true, {"reconstruct", "kernel_smooth", "bell_smooth", "rank_smooth", "edge_preserve"}},
        {bound<kernel_smooth_dialogue>(), true, other_filters("kernel_smooth")},
        {bound<bell_smooth_dialogue>(), true, other_filters("bell_smooth")},
        {bound<rank_smooth_dialogue>(), true, other_filters("rank_smooth")},
        {bound<edge_preserve_dialogue>(), true, other_filters("edge_preserve")},
        {bound<raw_to_png_dialogue>(), false, {"oval_stack", "reconstruct"}},
        {bound<raw_region_dialogue>(), false, {"noise_spectrum", "raw_to_png", "dicom_to_raw"}},
        {bound<detectability_dialogue>(), true, {"transfer_curve", "noise_spectrum", "recon_noise_sweep"}},
        {bound<detection_trials_dialogue>(), true, {"observer_study", "oval_draw", "raysum_quanta", "reconstruct"}},
        {bound<observer_study_dialogue>(), false, {"detectability", "detection_trials", "oval_draw", "raysum_quanta", "reconstruct"}},
        {bound<dicom_to_raw_dialogue>(), false, {"raw_to_dicom", "raw_to_png", "noise_spectrum"}},
        {bound<raw_to_dicom_dialogue>(), false, {"dicom_to_raw", "reconstruct", "raw_to_png"}},
    };
    return suite;
}

}  // namespace

const std::vector<SuiteProgram>& suite_tools() {
    static const std::vector<SuiteProgram> suite = make_suite();
    return suite;
}

const SuiteProgram* find_suite_tool(const std::string& name) {
    for (const SuiteProgram& program : suite_tools())
        if (name == program.name()) return &program;
    return nullptr;
}

std::vector<std::string> suite_problems(const std::vector<SuiteProgram>& programs) {
    std::vector<std::string> problems;
    std::set<std::string> names;
    for (const SuiteProgram& p : programs) names.insert(p.name());
    if (names.size() != programs.size()) problems.push_back("a program is listed twice");
    for (const SuiteProgram& p : programs) {
        const ToolDialogue& d = p.dialogue;
        auto problem = [&](const std::string& what) { problems.push_back(std::string(p.name()) + ": " + what); };
        std::set<std::string> described;
        std::set<std::string> chosen;  // questions whose facts the answers choose among
        std::set<int> fixed;
        for (const FileFact& f : d.files) {
            if (f.question != nullptr) {
                const Question* q = question_of(d, f.question);
                if (q == nullptr || q->file == FileUse::none)
                    problem(std::string("no file question ") + f.question);
                else if (f.used) {
                    if (described.count(f.question) && !chosen.count(f.question))
                        problem(std::string("file ") + f.question + " twice");
                    described.insert(f.question);
                    chosen.insert(f.question);
                } else if (!described.insert(f.question).second || chosen.count(f.question)) {
                    problem(std::string("file ") + f.question + " twice");
                }
            } else if (f.fixed < 0 || f.fixed >= static_cast<int>(d.about.fixed_files.size())) {
                problem("fixed file " + std::to_string(f.fixed) + " out of range");
            } else if (!fixed.insert(f.fixed).second) {
                problem("fixed file " + std::to_string(f.fixed) + " twice");
            }
            if (f.pattern != nullptr && f.names.empty()) problem(std::string("series ") + f.pattern + " without names");
            if (!f.shape.empty() && f.format != FileFormat::raw) problem("a shape for a file that is not raw");
            for (const Extent& e : f.shape) {
                if (e.keyword == nullptr) continue;
                const Question* q = question_of(d, e.keyword);
                if (q == nullptr || !std::holds_alternative<std::int32_t*>(q->field))
                    problem(std::string("shape names no integer question ") + e.keyword);
            }
        }
        for (const Question& q : d.questions)
            if (q.file != FileUse::none && !described.count(q.keyword)) problem(std::string("file ") + q.keyword + " not described");
        if (fixed.size() != d.about.fixed_files.size()) problem("a fixed file not described");
        for (const char* other : p.see_also)
            if (!names.count(other) || std::strcmp(other, p.name()) == 0)
                problem(std::string("see also ") + other);
    }
    return problems;
}
