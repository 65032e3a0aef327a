#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/suite/man_page.h"
#include "tools/suite/suite_tools.h"

namespace {

bool mentions(const std::vector<std::string>& problems, const std::string& part) {
    for (const std::string& p : problems)
        if (p.find(part) != std::string::npos) return true;
    return false;
}

SuiteProgram& entry(std::vector<SuiteProgram>& suite, const std::string& name) {
    for (SuiteProgram& p : suite)
        if (name == p.name()) return p;
    throw std::runtime_error(name);
}

}  // namespace

TEST(SuiteTools, TheListIsSoundAndItsDemoAnswersExist) {
    EXPECT_EQ(suite_problems(suite_tools()), std::vector<std::string>{});
    EXPECT_EQ(suite_tools().size(), 36u);
    for (const SuiteProgram& p : suite_tools()) {
        SCOPED_TRACE(p.name());
        if (p.dialogue.about.demo_answers != nullptr) {
            EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(CT_SOURCE_DIR) / p.dialogue.about.demo_answers));
        }
        // --help shows a series by its first name.
        for (const FileFact& f : p.dialogue.files) {
            if (f.pattern == nullptr) continue;
            EXPECT_TRUE(std::string(p.dialogue.about.fixed_files[f.fixed].name).starts_with(f.names.front()));
        }
    }
    EXPECT_EQ(find_suite_tool("reconstruct")->dialogue.about.name, std::string("reconstruct"));
    EXPECT_EQ(find_suite_tool("no_such_tool"), nullptr);
}

TEST(SuiteTools, ProblemsOfABrokenListAreFound) {
    struct Breakage {
        const char* what;
        void (*apply)(std::vector<SuiteProgram>&);
    };
    const Breakage breakages[] = {
        {"file output not described", [](auto& s) { entry(s, "raysum").dialogue.files.pop_back(); }},
        {"no file question width", [](auto& s) { entry(s, "raysum").dialogue.files[0].question = "width"; }},
        {"no integer question pixel_length", [](auto& s) { entry(s, "raysum").dialogue.files[0].shape[0] = "pixel_length"; }},
        {"fixed file 3 out of range", [](auto& s) { entry(s, "slant_profile").dialogue.files.back().fixed = 3; }},
        {"a fixed file not described", [](auto& s) { entry(s, "noise_spectrum").dialogue.files.pop_back(); }},
        {"without names", [](auto& s) { entry(s, "recon_noise_sweep").dialogue.files.back().names.clear(); }},
        {"not raw", [](auto& s) { entry(s, "transfer_curve").dialogue.files.back().shape = {"points"}; }},
        {"see also raysum_x", [](auto& s) { entry(s, "attenuate").see_also.push_back("raysum_x"); }},
        {"see also linearize", [](auto& s) { entry(s, "linearize").see_also.push_back("linearize"); }},
        {"listed twice", [](auto& s) { s.push_back(s.front()); }},
    };
    for (const Breakage& b : breakages) {
        std::vector<SuiteProgram> suite = suite_tools();
        b.apply(suite);
        EXPECT_TRUE(mentions(suite_problems(suite), b.what)) << b.what;
    }
}

TEST(ManPages, NameTheQuestionsFilesAndDocumentsWithACleanNameLine) {
    for (const SuiteProgram& p : suite_tools()) {
        SCOPED_TRACE(p.name());
        const std::string page = man_page(p, japanese_page_texts(), "1.0.0");
        const std::size_t name = page.find(".SH NAME\n") + 9;
        const std::string name_line = page.substr(name, page.find('\n', name) - name);
        // whatis shows this line as it is: no roff marks but the dash.
        EXPECT_EQ(name_line, std::string(p.name()) + " \\- " + p.dialogue.about.title);
        for (const Question& q : p.dialogue.questions)
            EXPECT_NE(page.find(std::string("\\fB") + q.keyword + "\\fR"), std::string::npos) << q.keyword;
        for (const char* other : p.see_also)
            EXPECT_NE(page.find(std::string(".BR ") + other + " (1)"), std::string::npos) << other;
        EXPECT_NE(page.find(std::string(doc_dir_mark) + "/README.md"), std::string::npos);
        EXPECT_EQ(page.find("OMP_NUM_THREADS") != std::string::npos, p.threads);
        // A line that starts with a dot or a quote would be a request.
        for (std::size_t at = page.find('\n'); at != std::string::npos; at = page.find('\n', at + 1))
            EXPECT_NE(page.compare(at + 1, 1, "'"), 0);
    }
}
