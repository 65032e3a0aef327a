// What a learner meets off the straight path: answer files from Windows,
// NaN and infinite samples with their warnings, and the forced console
// encoding. Warnings never change standard output, a file or the status.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "tests/robustness/tool_table.h"
#include "tests/support/tool_runner.h"

namespace fs = std::filesystem;

namespace {

std::string with_crlf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

std::map<std::string, std::string> files_in(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = read_file(entry.path());
    return files;
}

int count_non_finite(const std::vector<float>& samples) {
    int n = 0;
    for (float v : samples) n += std::isfinite(v) ? 0 : 1;
    return n;
}

}  // namespace

TEST(SafetyNet, AnswerFilesWithCrLfRunEveryToolAsWithLf) {
    for (const ToolEntry& entry : every_tool()) {
        ScratchDir lf, crlf;
        prepare_inputs(lf.path());
        prepare_inputs(crlf.path());
        const std::string text = answers(sane_answers(entry));
        const ToolRun plain = run_tool(entry.tool, text, lf.path());
        const ToolRun windows = run_tool(entry.tool, with_crlf(text), crlf.path());
        ASSERT_EQ(plain.exit_status, 0) << entry.tool << plain.err;
        EXPECT_EQ(windows.exit_status, 0) << entry.tool << windows.err;
        EXPECT_EQ(windows.out, plain.out) << entry.tool;
        EXPECT_EQ(windows.err, plain.err) << entry.tool;
        EXPECT_TRUE(warnings_of(plain.err).empty()) << entry.tool << plain.err;  // sane runs warn of nothing
        EXPECT_EQ(files_in(crlf.path()), files_in(lf.path())) << entry.tool;
    }
}

TEST(SafetyNet, NegativeCountsBeforeTheLogarithmAreNamed) {
    ScratchDir dir;
    write_floats(dir / "c.prj", {100, -5, 0, 2000, -1, 7});
    const ToolRun run = run_tool("linearize", answers({"c.prj", "o.prj", "6", "1", "2000"}), dir.path());
    ASSERT_EQ(run.exit_status, 0);
    EXPECT_EQ(without_warnings(run.err), "");
    ASSERT_EQ(warnings_of(run.err).size(), 1u);  // the input is finite; the output is not
    EXPECT_EQ(warnings_of(run.err)[0],
              sjis(" 警告：出力ファイル[o.prj]に有限でない値（NaN か無限大）が 2 個あります（最初は標本 1、0から数えて）。"
                   "原因：対数をとる前のカウントに負の値が 2 個ありました（負の数の対数は NaN）。\n"));
    EXPECT_EQ(count_non_finite(read_floats(dir / "o.prj")), 2);

    // The noisy projections of raysum_normal: a dense object, few photons.
    write_floats(dir / "dense.img", std::vector<float>(16 * 16, 2.0f));
    const ToolRun noisy = run_tool(
        "raysum_normal", answers({"dense.img", "16", "16", "0.5", "n.prj", "16", "16", "50", "20"}), dir.path());
    ASSERT_EQ(noisy.exit_status, 0);
    const int nan_samples = count_non_finite(read_floats(dir / "n.prj"));
    ASSERT_GT(nan_samples, 0);
    ASSERT_EQ(warnings_of(noisy.err).size(), 1u) << noisy.err;
    EXPECT_NE(warnings_of(noisy.err)[0].find(sjis("が " + std::to_string(nan_samples) + " 個あります")),
              std::string::npos);
    EXPECT_NE(warnings_of(noisy.err)[0].find(sjis("原因：対数をとる前のカウントに負の値")), std::string::npos);
}

TEST(SafetyNet, ANaNInTheSinogramIsReportedInAndOutOfReconstruct) {
    ScratchDir dir;
    std::vector<float> sinogram(16 * 16, 0.5f);
    sinogram[37] = std::numeric_limits<float>::quiet_NaN();
    sinogram[200] = std::numeric_limits<float>::infinity();
    write_floats(dir / "s.prj", sinogram);
    const ToolRun run =
        run_tool("reconstruct", answers({"s.prj", "16", "16", "r.img", "16", "16", "0.078125"}), dir.path());
    ASSERT_EQ(run.exit_status, 0);
    const std::vector<std::string> warnings = warnings_of(run.err);
    ASSERT_EQ(warnings.size(), 2u) << run.err;
    EXPECT_EQ(warnings[0], sjis(" 警告：入力ファイル[s.prj]に有限でない値（NaN か無限大）が 2 個あります。\n"));
    const int spread = count_non_finite(read_floats(dir / "r.img"));
    EXPECT_GT(spread, 16 * 16 / 2);
    EXPECT_NE(warnings[1].find(sjis("が " + std::to_string(spread) + " 個あります")), std::string::npos);
    EXPECT_NE(warnings[1].find(sjis("原因：投影データの有限でない値 2 個をランプフィルタが")), std::string::npos);

    // Warnings only: standard output is that of a clean sinogram.
    write_floats(dir / "clean.prj", std::vector<float>(16 * 16, 0.5f));
    const ToolRun clean =
        run_tool("reconstruct", answers({"clean.prj", "16", "16", "c.img", "16", "16", "0.078125"}), dir.path());
    EXPECT_EQ(clean.err, without_warnings(run.err));
    EXPECT_EQ(clean.out.size(), run.out.size());
}

TEST(SafetyNet, UncleanAnswersWarnButRunAsBefore) {
    // 99999999999 as the pattern number saturates to 2147483647; negated,
    // it starts the generator from the modulus and must not lock it.
    ScratchDir dir;
    const ToolRun run = run_tool(
        "noise_spectrum_sweep", answers({"x.txt", "y.txt", "16", "16", "5", "5", "2", "99999999999", "2", "1"}),
        dir.path(), 30);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    ASSERT_EQ(warnings_of(run.err).size(), 1u) << run.err;
    EXPECT_NE(warnings_of(run.err)[0].find("[99999999999]"), std::string::npos);
    EXPECT_NE(warnings_of(run.err)[0].find("2147483647"), std::string::npos);

    const ToolRun sizes = run_tool("oval_draw", answers({"o.img", "12abc", "2.7"}), dir.path());
    EXPECT_EQ(sizes.exit_status, 0);
    EXPECT_EQ(read_floats(dir / "o.img").size(), 12u * 2u);
    EXPECT_EQ(warnings_of(sizes.err).size(), 2u);
}

TEST(SafetyNet, CtEncodingForcesTheConsoleEncoding) {
    ScratchDir dir;
    const std::string title = "2次元楕円画像を作成するプログラム";
    const auto first_line = [&](const std::vector<std::string>& environment) {
        const ToolRun run = run_tool_with("oval_draw", {}, answers({"o.img", "4", "4"}), dir.path(), environment);
        return run.out.substr(0, run.out.find('\n', 1) + 1);
    };
    EXPECT_EQ(first_line({"CT_ENCODING=utf-8"}), "\n" + title + "\n");
    EXPECT_EQ(first_line({"CT_ENCODING=UTF-8"}), "\n" + title + "\n");
    EXPECT_EQ(first_line({"CT_ENCODING=cp932"}), "\n" + sjis(title) + "\n");
    EXPECT_EQ(first_line({"CT_ENCODING=latin1"}), "\n" + sjis(title) + "\n");  // unknown: today's rule
    EXPECT_EQ(first_line({}), "\n" + sjis(title) + "\n");
    // Warnings follow it as well; table files never do.
    const ToolRun warned =
        run_tool_with("oval_draw", {}, answers({"o.img", "4x", "4"}), dir.path(), {"CT_ENCODING=utf-8"});
    EXPECT_EQ(warned.err.substr(0, std::string(" 警告：").size()), " 警告：");
}
