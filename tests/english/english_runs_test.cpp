// Every tool in English and in Japanese on the same answers: the English
// run prints nothing but ASCII besides what the user typed, shows every
// label with its answers lined up, and writes the very bytes the Japanese
// run writes; CT_LANG=ja is today's run.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/language.h"
#include "tests/robustness/tool_table.h"
#include "tests/support/tool_runner.h"
#include "tools/suite/suite_tools.h"

namespace {

namespace fs = std::filesystem;

std::string non_ascii_of(const std::string& text) {
    std::string found;
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 0x7F) found += c;
    return found;
}

std::map<std::string, std::string> files_in(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) files[entry.path().filename().string()] = read_file(entry.path());
    return files;
}

std::string english(const char* japanese) {
    const char* found = english_of(japanese);
    return found != nullptr ? found : "(no English form of " + std::string(japanese) + ")";
}

std::map<std::string, ToolDialogue> dialogues_by_name() {
    std::map<std::string, ToolDialogue> by_name;
    for (const SuiteProgram& program : suite_tools()) by_name.emplace(program.name(), program.dialogue);
    return by_name;
}

}  // namespace

TEST(EnglishRuns, EveryToolSpeaksAsciiEnglishWithItsLabelsLinedUpAndWritesTheSameFiles) {
    const auto dialogues = dialogues_by_name();
    for (const ToolEntry& entry : every_tool()) {
        SCOPED_TRACE(entry.tool);
        const ToolDialogue& d = dialogues.at(entry.tool);
        const std::string answers_text = answers(sane_answers(entry));
        ScratchDir unset, ja, en;
        for (const ScratchDir* dir : {&unset, &ja, &en}) prepare_inputs(dir->path());

        const ToolRun today = run_tool_with(entry.tool, {}, answers_text, unset.path());
        const ToolRun japanese = run_tool_with(entry.tool, {}, answers_text, ja.path(), {"CT_LANG=ja"});
        const ToolRun run = run_tool_with(entry.tool, {}, answers_text, en.path(), {"CT_LANG=en"});
        ASSERT_EQ(today.exit_status, 0) << today.err;
        EXPECT_EQ(japanese.out, today.out);
        EXPECT_EQ(japanese.err, today.err);
        ASSERT_EQ(run.exit_status, 0) << run.err;

        EXPECT_EQ(non_ascii_of(run.out + run.err), "") << run.out << run.err;
        EXPECT_NE(run.out.find("\n" + english(d.about.title) + "\n\n"), std::string::npos) << run.out;
        // Each question: " <label padded> [<value>] :", the brackets in one column.
        std::size_t at = 0, bracket_offset = 0;
        for (const Question& q : d.questions) {
            const std::string label = english(q.label);
            const std::size_t label_at = run.out.find(" " + label, at);
            ASSERT_NE(label_at, std::string::npos) << label << "\n"
                                                   << run.out;
            const std::size_t bracket_at = run.out.find(" [", label_at + 1 + label.size());
            ASSERT_NE(bracket_at, std::string::npos) << label;
            if (bracket_offset == 0) bracket_offset = bracket_at - label_at;
            EXPECT_EQ(bracket_at - label_at, bracket_offset) << label;
            at = bracket_at;
        }

        EXPECT_EQ(files_in(en.path()), files_in(unset.path()));
        EXPECT_EQ(files_in(ja.path()), files_in(unset.path()));
    }
}

TEST(EnglishRuns, HelpInEnglishNamesEveryQuestionInAscii) {
    for (const auto& [name, d] : dialogues_by_name()) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        const ToolRun help = run_tool_with(name, {"--help"}, "", dir.path(), {"CT_LANG=en"});
        EXPECT_EQ(help.exit_status, 0);
        EXPECT_EQ(non_ascii_of(help.out + help.err), "") << help.out;
        EXPECT_TRUE(help.out.starts_with(name + ": " + english(d.about.title) + "\n\n")) << help.out;
        EXPECT_NE(help.out.find(english(d.about.summary)), std::string::npos);
        for (const Question& q : d.questions) {
            EXPECT_NE(help.out.find(english(q.label) + " "), std::string::npos) << q.label;
            EXPECT_NE(help.out.find(q.keyword), std::string::npos) << q.keyword;
        }
        for (const FixedFile& f : d.about.fixed_files) EXPECT_NE(help.out.find(english(f.about)), std::string::npos);
        const ToolRun version = run_tool_with(name, {"--version"}, "", dir.path(), {"CT_LANG=en"});
        EXPECT_EQ(non_ascii_of(version.out), "");
        EXPECT_TRUE(fs::is_empty(dir.path()));
    }
}

// Failures and warnings: English with the user's own bytes (a Japanese file
// name, a mistyped number) passed through untouched, and the Japanese
// fragments inside a message translated too.
TEST(EnglishRuns, FailuresAndWarningsAreEnglishAroundWhatTheUserTyped) {
    ScratchDir dir;
    prepare_inputs(dir.path());
    const std::string name = "\xE6\x8A\x95\xE5\xBD\xB1.prj";  // 投影.prj, UTF-8 as typed
    const ToolRun missing = run_tool_with("reconstruct", {}, answers({name}), dir.path(), {"CT_LANG=en"});
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_TRUE(missing.err.ends_with("\n error: cannot open the file [" + name + "].\n")) << missing.err;

    const ToolRun negative =
        run_tool_with("box_smooth", {}, answers({"in.img", "o.img", "-16", "16"}), dir.path(), {"CT_LANG=en"});
    EXPECT_EQ(negative.exit_status, 1);
    EXPECT_EQ(negative.err, " error: the number of samples is negative [image width x height = -256].\n");

    const ToolRun mistyped =
        run_tool_with("box_smooth", {}, answers({"in.img", "o.img", "16x", "16"}), dir.path(), {"CT_LANG=en"});
    EXPECT_EQ(mistyped.exit_status, 0);
    EXPECT_EQ(mistyped.err,
              " warning: the answer to \"3. Image width\" [16x] has extra characters after the "
              "number; 16 is used.\n");

    const ToolRun unknown = run_tool_with("raysum", {"--bogus"}, "", dir.path(), {"CT_LANG=en"});
    EXPECT_EQ(unknown.exit_status, 2);
    EXPECT_EQ(non_ascii_of(unknown.err), "");
}
