#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <variant>

#include "common/console_text.h"
#include "common/dialogue.h"
#include "common/tool_start.h"
#include "tests/support/tool_runner.h"
#include "tests/robustness/tool_table.h"
#include "tools/projection/projection_questions.h"
#include "tools/suite/suite_tools.h"

namespace {

// Every table, from the suite's one list of its programs.
std::vector<ToolDialogue> every_dialogue() {
    std::vector<ToolDialogue> dialogues;
    for (const SuiteProgram& program : suite_tools()) dialogues.push_back(program.dialogue);
    return dialogues;
}

std::string keywords_of(const ToolDialogue& d) {
    std::string joined;
    for (const Question& q : d.questions) joined += std::string(joined.empty() ? "" : " ") + q.keyword;
    return joined;
}

}  // namespace

TEST(QuestionTables, EveryToolOfTheSuiteHasOneTableAndADescription) {
    std::set<std::string> names;
    for (const ToolDialogue& d : every_dialogue()) {
        SCOPED_TRACE(d.about.name);
        EXPECT_TRUE(names.insert(d.about.name).second);
        EXPECT_GT(std::string(d.about.title).size(), 0u);
        EXPECT_GT(std::string(d.about.summary).size(), 60u);
        EXPECT_EQ(std::string(d.about.example), std::string(d.about.name) + " < answers.txt");
        if (d.about.demo_answers != nullptr) {
            EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(CT_SOURCE_DIR) / d.about.demo_answers));
        }
        EXPECT_GT(d.about.label_width, 20);
    }
    for (const ToolEntry& entry : every_tool()) EXPECT_TRUE(names.count(entry.tool)) << entry.tool;
    EXPECT_EQ(names.size(), every_tool().size());
}

TEST(QuestionTables, LabelsAreNumberedInOrderAndKeywordsAreUniqueSnakeCase) {
    const std::regex snake_case("[a-z][a-z0-9]*(_[a-z0-9]+)*");
    for (const ToolDialogue& d : every_dialogue()) {
        SCOPED_TRACE(d.about.name);
        std::set<std::string> keywords;
        for (std::size_t i = 0; i < d.questions.size(); ++i) {
            const Question& q = d.questions[i];
            // " 1. ", "10. " and the full-width stop of "6．" all count.
            const std::string label = q.label;
            const std::string number = std::to_string(i + 1);
            const std::size_t at = label.find_first_not_of(' ');
            EXPECT_EQ(label.substr(at, number.size()), number) << label;
            const std::string after = label.substr(at + number.size());
            EXPECT_TRUE(after.starts_with(".") || after.starts_with("．")) << label;
            EXPECT_TRUE(std::regex_match(q.keyword, snake_case)) << q.keyword;
            EXPECT_TRUE(keywords.insert(q.keyword).second) << q.keyword;
        }
    }
}

TEST(QuestionTables, FileRowsSayWhetherTheToolReadsOrWritesAndAgreeWithTheBattery) {
    std::map<std::string, ToolDialogue> by_name;
    for (const ToolDialogue& d : every_dialogue()) by_name.emplace(d.about.name, d);
    for (const ToolEntry& entry : every_tool()) {
        SCOPED_TRACE(entry.tool);
        const ToolDialogue& d = by_name.at(entry.tool);
        ASSERT_EQ(d.questions.size(), entry.asks.size());
        for (std::size_t i = 0; i < entry.asks.size(); ++i) {
            const Question& q = d.questions[i];
            const bool is_name = std::holds_alternative<std::string*>(q.field);
            EXPECT_EQ(is_name, entry.asks[i].is_name) << q.label;
            if (!is_name) {
                EXPECT_EQ(q.file, FileUse::none) << q.label;
                continue;
            }
            const Role role = entry.asks[i].role;
            EXPECT_EQ(q.file, role == Role::input ? FileUse::read : role == Role::output ? FileUse::written
                                                                                         : FileUse::none)
                << q.label;
        }
        // Files written under names of their own are listed for --help (a
        // tool may also read files of fixed names: observer_study's trials).
        const bool writes_fixed = std::any_of(d.about.fixed_files.begin(), d.about.fixed_files.end(),
                                              [](const FixedFile& f) { return f.use == FileUse::written; });
        EXPECT_EQ(writes_fixed, !entry.fixed_outputs.empty());
    }
}

// The battery expects the files a tool writes under names of its own: the
// suite's list must name each of them, as a fixed file or in a series.
TEST(QuestionTables, TheBatterysFixedOutputsAreTheSuitesFixedFiles) {
    for (const ToolEntry& entry : every_tool()) {
        SCOPED_TRACE(entry.tool);
        const SuiteProgram* program = find_suite_tool(entry.tool);
        ASSERT_NE(program, nullptr);
        std::set<std::string> written;
        for (const FileFact& f : program->dialogue.files) {
            if (f.question != nullptr) continue;
            if (f.pattern == nullptr) written.insert(program->dialogue.about.fixed_files[f.fixed].name);
            written.insert(f.names.begin(), f.names.end());
        }
        for (const std::string& name : entry.fixed_outputs) EXPECT_TRUE(written.count(name)) << name;
    }
}

TEST(QuestionTables, KeywordsThatThePythonModuleReliesOn) {
    std::map<std::string, std::string> keywords;
    for (const ToolDialogue& d : every_dialogue()) keywords[d.about.name] = keywords_of(d);
    EXPECT_EQ(keywords["raysum"], "input width height pixel_length output bins angles");
    EXPECT_EQ(keywords["reconstruct"], "input bins angles output width height pixel_length");
    EXPECT_EQ(keywords["rank_smooth"], "input output width height window_width");
}

TEST(QuestionTables, DefaultsReachTheRecordWithoutAnyDialogue) {
    RaysumParameters p;
    apply_defaults(raysum_dialogue(p).questions);
    EXPECT_EQ(p.input, "xdisk_1.img");
    EXPECT_EQ(p.width, 256);
    EXPECT_EQ(p.pixel_length, 0.078125);
    EXPECT_EQ(p.angles, 256);
}

// Every tool run with each argument in an empty folder, with answers on
// standard input that would make files if they were read.
TEST(ToolArguments, HelpVersionAndUnknownArgumentsTouchNothing) {
    for (const ToolDialogue& d : every_dialogue()) {
        SCOPED_TRACE(d.about.name);
        const std::string stdin_answers = answers(std::vector<std::string>(12, "x.img"));
        ScratchDir dir;

        for (const char* option : {"--help", "-h"}) {
            const ToolRun help = run_tool_with(d.about.name, {option}, stdin_answers, dir.path());
            EXPECT_EQ(help.exit_status, 0);
            EXPECT_EQ(help.err, "");
            EXPECT_EQ(help.out, sjis(help_text(d)));  // Shift_JIS through a pipe
        }
        const std::string text = help_text(d);
        for (const Question& q : d.questions) {
            EXPECT_NE(text.find(q.keyword), std::string::npos) << q.keyword;
            std::string label = q.label;
            while (label.back() == ' ') label.pop_back();
            EXPECT_NE(text.find(label), std::string::npos) << label;
            if (const auto* name = std::get_if<const char*>(&q.initial)) {
                EXPECT_NE(text.find(std::string("[") + *name + "]"), std::string::npos);
            }
        }
        for (const FixedFile& f : d.about.fixed_files) EXPECT_NE(text.find(f.name), std::string::npos);
        EXPECT_NE(text.find(d.about.example), std::string::npos);

        const ToolRun utf8 = run_tool_with(d.about.name, {"--help"}, "", dir.path(), {"CT_ENCODING=utf-8"});
        EXPECT_EQ(utf8.out, text) << "exit " << utf8.exit_status << (utf8.timed_out ? ", timed out" : "")
                                  << ", standard error: " << utf8.err;

        const ToolRun version = run_tool_with(d.about.name, {"--version"}, stdin_answers, dir.path());
        EXPECT_EQ(version.exit_status, 0);
        EXPECT_EQ(version.out, std::string(d.about.name) + " " + suite_version() + "\n");
        EXPECT_EQ(version.err, "");

        for (const std::vector<std::string>& wrong :
             std::vector<std::vector<std::string>>{{"--frobnicate"}, {"x.img"}, {"--help", "extra"}, {"-"}}) {
            const ToolRun refused = run_tool_with(d.about.name, wrong, stdin_answers, dir.path());
            EXPECT_EQ(refused.exit_status, 2) << wrong[0];
            EXPECT_EQ(refused.out, "");
            EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
            EXPECT_NE(refused.err.find(wrong.size() == 1 ? wrong[0] : wrong[1]), std::string::npos) << refused.err;
            EXPECT_NE(refused.err.find("--help"), std::string::npos);
        }
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

TEST(ToolArguments, TheVersionComesFromTheProject) {
    EXPECT_TRUE(std::regex_match(suite_version(), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));
}
