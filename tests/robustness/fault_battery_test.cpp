// Every tool against every fault. A tool may refuse, but it never crashes,
// hangs, reports a failure as success, leaves half-written files or
// changes files when it fails before writing.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "tests/robustness/tool_table.h"
#include "tests/support/tool_runner.h"

namespace {

constexpr int quick_seconds = 60;  // far beyond any run here; reaching it is a hang
const std::string previous = "previous content";

using Snapshot = std::map<std::string, std::string>;

Snapshot snapshot(const std::filesystem::path& folder) {
    Snapshot files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files[entry.path().lexically_relative(folder).string()] = read_file(entry.path());
        if (entry.is_directory()) files[entry.path().lexically_relative(folder).string() + "/"] = "";
    }
    return files;
}

// A folder with the tool's inputs and a previous version of every output.
std::unique_ptr<ScratchDir> prepared_folder(const ToolEntry& entry) {
    auto dir = std::make_unique<ScratchDir>();
    prepare_inputs(dir->path());
    for (const Ask& ask : entry.asks)
        if (ask.role == Role::output) write_file(*dir / ask.sane, previous);
    for (const std::string& name : entry.fixed_outputs) write_file(*dir / name, previous);
    return dir;
}

std::string describe(const ToolEntry& entry, const std::vector<std::string>& answer_lines) {
    std::string text = entry.tool + " <";
    for (const auto& line : answer_lines) text += " [" + line.substr(0, 40) + (line.size() > 40 ? "...]" : "]");
    return text;
}

// No signal, no hang, status 0 or 1, and a failure ends with one message line.
void expect_sound(const ToolRun& run, const std::string& what) {
    EXPECT_FALSE(run.timed_out) << what;
    EXPECT_EQ(run.signal, 0) << what;
    EXPECT_TRUE(run.exit_status == 0 || run.exit_status == 1) << what << " exit " << run.exit_status;
    if (run.exit_status == 1) {
        ASSERT_FALSE(run.err.empty()) << what << ": failure without a message";
        EXPECT_EQ(run.err.back(), '\n') << what;
        const std::size_t start = run.err.find_last_of('\n', run.err.size() - 2);
        const std::string last = run.err.substr(start == std::string::npos ? 0 : start + 1);
        EXPECT_GT(last.size(), 2u) << what;
        EXPECT_EQ(last.find('\r'), std::string::npos) << what << ": the message shares a progress line";
    }
}

void expect_no_litter(const std::filesystem::path& folder, const std::string& what) {
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_NE(entry.path().filename().string()[0], '.') << what << ": left " << entry.path().filename();
}

// Runs the tool on `answer_lines` in a prepared folder and checks soundness.
struct Outcome {
    ToolRun run;
    Snapshot before, after;
};

Outcome run_in_prepared(const ToolEntry& entry, const std::vector<std::string>& answer_lines,
                        const std::function<void(const std::filesystem::path&)>& extra = {}) {
    auto dir = prepared_folder(entry);
    if (extra) extra(dir->path());
    Outcome outcome;
    outcome.before = snapshot(dir->path());
    outcome.run = run_tool(entry.tool, answers(answer_lines), dir->path(), quick_seconds);
    outcome.after = snapshot(dir->path());
    const std::string what = describe(entry, answer_lines);
    expect_sound(outcome.run, what);
    expect_no_litter(dir->path(), what);
    return outcome;
}

TEST(BadInput, SaneAnswersRunEveryTool) {
    for (const ToolEntry& entry : every_tool()) {
        const Outcome o = run_in_prepared(entry, sane_answers(entry));
        EXPECT_EQ(o.run.exit_status, 0) << entry.tool << ": " << o.run.err;
    }
}

TEST(BadInput, MissingInputFilesChangeNothing) {
    for (const ToolEntry& entry : every_tool()) {
        for (std::size_t i = 0; i < entry.asks.size(); ++i) {
            if (entry.asks[i].role != Role::input) continue;
            const Outcome o = run_in_prepared(entry, sane_answers(entry, static_cast<int>(i), "missing.img"));
            EXPECT_EQ(o.run.exit_status, 1) << entry.tool;
            EXPECT_NE(o.run.err.find("missing.img"), std::string::npos) << entry.tool;
            EXPECT_EQ(o.before, o.after) << entry.tool << ": files changed although nothing was read";
        }
    }
}

TEST(BadInput, UnwritableOutputsFailWithoutHarm) {
    for (const ToolEntry& entry : every_tool()) {
        for (std::size_t i = 0; i < entry.asks.size(); ++i) {
            if (entry.asks[i].role != Role::output) continue;
            const int index = static_cast<int>(i);
            const Outcome no_folder = run_in_prepared(entry, sane_answers(entry, index, "no/such/folder.out"));
            EXPECT_EQ(no_folder.run.exit_status, 1) << entry.tool;
            EXPECT_NE(no_folder.run.err.find("no/such/folder.out"), std::string::npos) << entry.tool;

            const Outcome folder = run_in_prepared(entry, sane_answers(entry, index, "a_folder"),
                                                   [](const auto& dir) { std::filesystem::create_directory(dir / "a_folder"); });
            EXPECT_EQ(folder.run.exit_status, 1) << entry.tool;
            EXPECT_EQ(folder.after.count("a_folder/"), 1u) << entry.tool;

            const Outcome full = run_in_prepared(entry, sane_answers(entry, index, "/dev/full"));
            EXPECT_EQ(full.run.exit_status, 1) << entry.tool << " wrote to a full disk and called it success";
            EXPECT_NE(full.run.err.find("/dev/full"), std::string::npos) << entry.tool;
        }
    }
}

TEST(BadInput, InputThatEndsAtEveryQuestion) {
    for (const ToolEntry& entry : every_tool()) {
        for (std::size_t answered = 0; answered < entry.asks.size(); ++answered) {
            auto lines = sane_answers(entry);
            lines.resize(answered);
            auto dir = prepared_folder(entry);
            const ToolRun run = run_tool(entry.tool, answers(lines), dir->path(), quick_seconds);
            expect_sound(run, describe(entry, lines) + " then end of input");
            expect_no_litter(dir->path(), entry.tool);
        }
    }
}

// Letters, huge, negative and zero answers to every number. A huge count of
// repetitions or output points may ask for years of legitimate work on a
// machine with the memory for it: such a run is interrupted instead and must
// leave every earlier file intact.
TEST(BadInput, StrangeNumbers) {
    for (const ToolEntry& entry : every_tool()) {
        for (std::size_t i = 0; i < entry.asks.size(); ++i) {
            const Ask& ask = entry.asks[i];
            if (ask.is_name) continue;
            for (const std::string answer : {"abc", "99999999999", "-5", "0", "-99999999999"}) {
                const auto lines = sane_answers(entry, static_cast<int>(i), answer);
                if (ask.role == Role::work && answer == "99999999999") {
                    auto dir = prepared_folder(entry);
                    const Snapshot before = snapshot(dir->path());
                    const ToolRun run = run_tool(entry.tool, answers(lines), dir->path(), 2, SIGINT);
                    if (run.timed_out) {
                        EXPECT_EQ(run.signal, SIGINT) << describe(entry, lines);
                        EXPECT_EQ(before, snapshot(dir->path())) << describe(entry, lines);
                    } else {
                        expect_sound(run, describe(entry, lines));
                    }
                    expect_no_litter(dir->path(), entry.tool);
                    continue;
                }
                run_in_prepared(entry, lines);
            }
        }
    }
}

TEST(BadInput, SizesBeyondMemoryAreRefusedBeforeAnyFile) {
    for (const ToolEntry& entry : every_tool()) {
        std::vector<std::string> lines = sane_answers(entry);
        int sizes = 0;
        for (std::size_t i = 0; i < entry.asks.size(); ++i)
            if (entry.asks[i].role == Role::size && sizes++ < 2) lines[i] = "100000";
        if (sizes == 0) continue;
        const Outcome o = run_in_prepared(entry, lines);
        EXPECT_EQ(o.run.exit_status, 1) << describe(entry, lines);
        EXPECT_EQ(o.before, o.after) << describe(entry, lines);
    }
}

// A raw input longer than the sizes answered (the sides of another image)
// is named in one warning with the samples expected and present; every
// output, standard output and the rest of standard error stay as they are.
TEST(BadInput, LongRawInputsAreNamedInAWarningAndReadAsBefore) {
    int inputs = 0;
    for (const ToolEntry& entry : every_tool()) {
        const Outcome plain = run_in_prepared(entry, sane_answers(entry));
        for (const Ask& ask : entry.asks) {
            if (ask.role != Role::input || ask.sane.ends_with(".txt") || ask.sane.ends_with(".dcm")) continue;
            const std::string what = entry.tool + " reading a long " + ask.sane;
            const Outcome longer = run_in_prepared(entry, sane_answers(entry), [&](const auto& dir) {
                std::vector<float> samples = read_floats(dir / ask.sane);
                samples.resize(samples.size() + 16, 0.5f);
                write_floats(dir / ask.sane, samples);
            });
            if (entry.exact_sizes) {  // refused by name, before anything is written
                EXPECT_EQ(longer.run.exit_status, 1) << what;
                EXPECT_NE(longer.run.err.find("[" + ask.sane + "]"), std::string::npos) << what << ": " << longer.run.err;
                EXPECT_EQ(longer.before, longer.after) << what;
                continue;
            }
            ++inputs;
            EXPECT_EQ(longer.run.exit_status, plain.run.exit_status) << what;
            EXPECT_EQ(longer.run.out, plain.run.out) << what;
            EXPECT_EQ(without_warnings(longer.run.err), without_warnings(plain.run.err)) << what;
            const std::vector<std::string> warnings = warnings_of(longer.run.err);
            ASSERT_EQ(warnings.size(), warnings_of(plain.run.err).size() + 1) << what << ": " << longer.run.err;
            const std::string& warning = *std::find_if(warnings.begin(), warnings.end(), [](const std::string& w) {
                return w.find(sjis("多すぎます")) != std::string::npos;
            });
            EXPECT_NE(warning.find("[" + ask.sane + "]"), std::string::npos) << what << ": " << warning;
            EXPECT_NE(warning.find("256 " + sjis("個のはずが") + " 272 "), std::string::npos) << what << ": " << warning;
            Snapshot outputs = longer.after, plain_outputs = plain.after;
            outputs.erase(ask.sane);
            plain_outputs.erase(ask.sane);
            EXPECT_EQ(outputs, plain_outputs) << what;
        }
    }
    EXPECT_EQ(inputs, 21);  // every raw input of the suite
}

TEST(BadInput, LongFileNames) {
    for (const ToolEntry& entry : every_tool()) {
        for (std::size_t i = 0; i < entry.asks.size(); ++i) {
            if (!entry.asks[i].is_name) continue;
            run_in_prepared(entry, sane_answers(entry, static_cast<int>(i), std::string(300, 'n')));
            run_in_prepared(entry, sane_answers(entry, static_cast<int>(i), std::string(255, 'n')));
        }
    }
}

}  // namespace

namespace {

// A run interrupted at any moment, during the drawing or in the middle of a
// large write, leaves the previous file whole: never a truncated one.
TEST(Interruption, AnInterruptedWriteLeavesThePreviousFile) {
    ScratchDir dir;
    const std::string answers_text = answers({"big.img", "6000", "6000", "0", "0", "0", "0", "0", "1"});
    const std::string old_content = "the previous image";
    for (int milliseconds : {10, 40, 80, 120, 160, 200, 250, 300}) {
        write_file(dir / "big.img", old_content);
        const ToolRun run =
            run_tool_for("oval_draw", answers_text, dir.path(), std::chrono::milliseconds(milliseconds), SIGTERM);
        const std::string now = read_file(dir / "big.img");
        EXPECT_TRUE(now == old_content || now.size() == 6000u * 6000u * 4u) << "size " << now.size();
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator{}), 1);
        if (run.timed_out) {
            EXPECT_EQ(run.signal, SIGTERM);
        }
    }
}

}  // namespace
