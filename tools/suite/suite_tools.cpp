#include "tools/suite/suite_tools.h"

#include <cstring>
#include <set>
#include <variant>

#include "tools/filters/filters_questions.h"
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

const std::vector<Extent> image = {"height", "width"};
const std::vector<Extent> sinogram = {"angles", "bins"};

FileFact asked(const char* keyword, FileFormat format, std::vector<Extent> shape = {}) {
    return {keyword, -1, nullptr, {}, format, std::move(shape)};
}
FileFact fixed(int index, FileFormat format, std::vector<Extent> shape = {}) {
    return {nullptr, index, nullptr, {}, format, std::move(shape)};
}
FileFact series(int index, const char* pattern, std::vector<const char*> names, std::vector<Extent> shape) {
    return {nullptr, index, pattern, std::move(names), FileFormat::raw, std::move(shape)};
}
// The image series of a level sweep: "n4-5_{level}dB.img" for 5, 10 … 30 dB.
FileFact level_series(const char* pattern, std::vector<const char*> names) {
    return series(0, pattern, std::move(names), image);
}

// The two grid tables every noise sweep writes.
FileFact x_table() { return asked("x_output", FileFormat::table); }
FileFact y_table() { return asked("y_output", FileFormat::table); }

// An image or a sinogram in, one of the same or the other shape out.
std::vector<FileFact> image_to_image() {
    return {asked("input", FileFormat::raw, image), asked("output", FileFormat::raw, image)};
}
std::vector<FileFact> sinogram_to_sinogram() {
    return {asked("input", FileFormat::raw, sinogram), asked("output", FileFormat::raw, sinogram)};
}
std::vector<FileFact> image_to_sinogram() {
    return {asked("input", FileFormat::raw, image), asked("output", FileFormat::raw, sinogram)};
}

std::vector<SuiteProgram> make_suite() {
    using F = FileFormat;
    const std::vector<const char*> filters = {"box_smooth", "kernel_smooth", "bell_smooth", "rank_smooth",
                                              "edge_preserve"};
    auto other_filters = [&](const char* self) {
        std::vector<const char*> others;
        for (const char* f : filters)
            if (std::strcmp(f, self) != 0) others.push_back(f);
        return others;
    };
    std::vector<SuiteProgram> suite = {
        {bound<oval_draw_dialogue>(), true, {"oval_stack", "step_target", "raysum"},
         {asked("output", F::raw, image)}},
        {bound<oval_stack_dialogue>(), true, {"oval_draw", "raysum", "raysum_quanta", "raysum_normal"},
         {asked("input", F::text), asked("output", F::raw, image)}},
        {bound<raysum_dialogue>(), true, {"oval_stack", "attenuate", "raysum_quanta", "raysum_normal", "reconstruct"},
         image_to_sinogram()},
        {bound<attenuate_dialogue>(), false, {"raysum", "quantum_noise", "linearize"}, sinogram_to_sinogram()},
        {bound<quantum_noise_dialogue>(), false, {"attenuate", "linearize", "raysum_quanta"},
         sinogram_to_sinogram()},
        {bound<linearize_dialogue>(), false, {"quantum_noise", "attenuate", "reconstruct"}, sinogram_to_sinogram()},
        {bound<level_noise_dialogue>(), false, {"scaled_noise", "noise_spectrum", "oval_draw"}, image_to_image()},
        {bound<scaled_noise_dialogue>(), false, {"level_noise", "quantum_noise"}, image_to_image()},
        {bound<raysum_quanta_dialogue>(), true, {"raysum", "attenuate", "quantum_noise", "linearize", "reconstruct"},
         image_to_sinogram()},
        {bound<raysum_normal_dialogue>(), true, {"raysum", "attenuate", "linearize", "reconstruct"},
         image_to_sinogram()},
        {bound<reconstruct_dialogue>(), true,
         {"raysum", "linearize", "box_smooth", "rank_smooth", "edge_preserve", "raw_to_png"},
         {asked("input", F::raw, sinogram), asked("output", F::raw, image)}},
        {bound<step_target_dialogue>(), false, {"slant_profile", "transfer_curve"}, {asked("output", F::raw, image)}},
        {bound<slant_profile_dialogue>(), false, {"step_target", "transfer_curve"},
         {asked("input", F::raw, image), asked("output", F::table), fixed(0, F::table)}},
        {bound<transfer_curve_dialogue>(), false, {"step_target", "slant_profile"},
         {asked("input", F::raw, image), asked("output", F::table)}},
        {bound<noise_spectrum_dialogue>(), false, {"level_noise", "noise_spectrum_sweep"},
         {asked("input", F::raw, image), x_table(), y_table(), fixed(0, F::raw, image)}},
        {bound<noise_spectrum_sweep_dialogue>(), true, {"noise_spectrum", "recon_noise_sweep"},
         {x_table(), y_table(),
          level_series("n4-5_{level}dB.img", {"n4-5_05dB.img", "n4-5_10dB.img", "n4-5_15dB.img", "n4-5_20dB.img",
                                              "n4-5_25dB.img", "n4-5_30dB.img"})}},
        {bound<recon_noise_sweep_dialogue>(), true,
         {"noise_spectrum_sweep", "recon_noise_windows", "recon_noise_diagonal", "reconstruct"},
         {x_table(), y_table(),
          level_series("n4-6_{level}dB.img", {"n4-6_05dB.img", "n4-6_10dB.img", "n4-6_15dB.img", "n4-6_20dB.img",
                                              "n4-6_25dB.img", "n4-6_30dB.img"})}},
        {bound<recon_noise_windows_dialogue>(), true, {"recon_noise_sweep", "recon_noise_diagonal", "reconstruct"},
         {x_table(), y_table(),
          series(0, "n4-7_w{window}(u).img",
                 {"n4-7_w0(u).img", "n4-7_w1(u).img", "n4-7_w2(u).img", "n4-7_w3(u).img", "n4-7_w4(u).img"}, image)}},
        {bound<recon_noise_diagonal_dialogue>(), true, {"recon_noise_sweep", "recon_noise_windows"},
         {x_table(), y_table(),
          level_series("n4-9_{level}dB.img", {"n4-9_05dB.img", "n4-9_10dB.img", "n4-9_15dB.img", "n4-9_20dB.img",
                                              "n4-9_25dB.img", "n4-9_30dB.img"})}},
        {bound<box_smooth_dialogue>(), true, {"reconstruct", "kernel_smooth", "bell_smooth", "rank_smooth",
                                              "edge_preserve"},
         image_to_image()},
        {bound<kernel_smooth_dialogue>(), true, other_filters("kernel_smooth"), image_to_image()},
        {bound<bell_smooth_dialogue>(), true, other_filters("bell_smooth"), image_to_image()},
        {bound<rank_smooth_dialogue>(), true, other_filters("rank_smooth"), image_to_image()},
        {bound<edge_preserve_dialogue>(), true, other_filters("edge_preserve"), image_to_image()},
        {bound<raw_to_png_dialogue>(), false, {"oval_stack", "reconstruct"},
         {asked("input", F::raw, image), asked("output", F::png)}},
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

const Question* question_of(const ToolDialogue& dialogue, const char* keyword, int* number) {
    for (std::size_t i = 0; i < dialogue.questions.size(); ++i) {
        if (std::strcmp(dialogue.questions[i].keyword, keyword) != 0) continue;
        if (number != nullptr) *number = static_cast<int>(i) + 1;
        return &dialogue.questions[i];
    }
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
        std::set<int> fixed;
        for (const FileFact& f : p.files) {
            if (f.question != nullptr) {
                const Question* q = question_of(d, f.question);
                if (q == nullptr || q->file == FileUse::none) problem(std::string("no file question ") + f.question);
                else if (!described.insert(f.question).second) problem(std::string("file ") + f.question + " twice");
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
