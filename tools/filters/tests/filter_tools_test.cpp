// The five filter tools run from build/bin with answers on standard input.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <string>

#include "tests/support/tool_runner.h"
#include "tools/filters/tests/reference_filters.h"
#include "tools/filters/tests/test_images.h"

namespace {

using Image = std::vector<double>;
const char* const tools[] = {"box_smooth", "kernel_smooth", "bell_smooth", "rank_smooth", "edge_preserve"};

// A 32-bit test image on disk and the same samples widened, as the tools read them.
Image write_image(const std::filesystem::path& file, int w, int h, std::uint32_t seed) {
    std::vector<float> narrow;
    for (double v : test_images::mixed(w, h, seed, true)) narrow.push_back(static_cast<float>(v));
    write_floats(file, narrow);
    return Image(narrow.begin(), narrow.end());
}

std::vector<float> narrowed(const Image& image) {
    std::vector<float> out;
    for (double v : image) out.push_back(static_cast<float>(v));
    return out;
}

// Files equal byte for byte (signs of zero included), every NaN matching
// every other unless `exact_nan` (for filters that only move values).
void expect_same_file(const std::filesystem::path& file, const Image& expected, bool exact_nan = false) {
    const std::vector<float> want = narrowed(expected);
    const std::vector<float> got = read_floats(file);
    ASSERT_EQ(got.size(), want.size()) << file;
    for (std::size_t k = 0; k < want.size(); ++k) {
        if (!exact_nan && std::isnan(got[k]) && std::isnan(want[k])) continue;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(got[k]), std::bit_cast<std::uint32_t>(want[k]))
            << file << " sample " << k << ": " << got[k] << " instead of " << want[k];
    }
}

TEST(FilterTools, DefaultsAskTheirQuestionsAndFilterPict1) {
    ScratchDir dir;
    const Image in = write_image(dir / "Pict_1.img", 256, 256, 1);
    std::filesystem::copy_file(dir / "Pict_1.img", dir / "xdisk_1_I0_2000_sd20_fbp.img");
    struct Expected {
        const char* tool;
        std::string out;
    };
    const Expected runs[] = {
        {"box_smooth",
         "\n移動平均フィルタのプログラム\n\n"
         "  1. 入力画像のファイル名   [Pict_1.img] :"
         "  2. 出力画像のファイル名   [n5-1.img] :"
         "  3. 画像の幅               [256] :"
         "  4. 画像の高さ             [256] :"},
        {"kernel_smooth",
         "\n加重平均フィルタのプログラム\n\n"
         "  1. 入力画像のファイル名      [Pict_1.img] :"
         "  2. 出力画像のファイル名      [n5-2.img] :"
         "  3. 画像の幅                  [256] :"
         "  4. 画像の高さ                [256] :"
         "  5. フィルタ関数（中央）      [1] :"
         "  6. フィルタ関数（上下左右）  [2] :"
         "  7. フィルタ関数（斜め方向）  [4] :"
         "\t\t1\t2\t1\nh(x,y) = 1/16 (\t2\t4\t2 )\n\t\t1\t2\t1\n"},
        {"bell_smooth",
         "\n重畳型ガウシアンフィルタのプログラム\n\n"
         "  1. 入力画像のファイル名        [Pict_1.img] :"
         "  2. 出力画像のファイル名        [n5-3.img] :"
         "  3. 画像の幅                    [256] :"
         "  4. 画像の高さ                  [256] :"
         "  5. ガウス関数の半値幅（画素）  [2] :"},
        {"rank_smooth",
         "\nメディアンフィルタのプログラム\n\n"
         "  1. 入力画像のファイル名    [Pict_1.img] :"
         "  2. 出力画像のファイル名    [n5-4.img] :"
         "  3. 画像の幅                [256] :"
         "  4. 画像の高さ              [256] :"
         "  5. 参照領域の幅（画素）    [3] :"},
        {"edge_preserve",
         "\nBilateralフィルタのプログラム\n\n"
         "  1. 入力画像のファイル名   [xdisk_1_I0_2000_sd20_fbp.img] :"
         "  2. 出力画像のファイル名   [n5-5.img] :"
         "  3. 画像の幅               [256] :"
         "  4. 画像の高さ             [256] :"
         "  5. 参照領域の幅（画素）   [7] :"
         "  6．重みづけ係数 δ1       [0.100000] :"
         "  7．重みづけ係数 δ2       [0.100000] :"},
    };
    for (const Expected& e : runs) {
        const ToolRun run = run_tool(e.tool, "", dir.path());
        ASSERT_EQ(run.exit_status, 0) << e.tool << run.err;
        EXPECT_EQ(without_warnings(run.err), "") << e.tool;
        EXPECT_EQ(run.out, sjis(e.out)) << e.tool;
    }
    expect_same_file(dir / "n5-1.img", reference::box(in, 256, 256));
    const int kernel[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
    expect_same_file(dir / "n5-2.img", reference::weighted(in, 256, 256, kernel, 16));
    expect_same_file(dir / "n5-3.img", reference::gaussian(in, 256, 256, 2));
    expect_same_file(dir / "n5-4.img", reference::median(in, 256, 256, 3), true);
    expect_same_file(dir / "n5-5.img", reference::bilateral(in, 256, 256, 7, 0.1, 0.1));
}

TEST(FilterTools, AnswersReachTheFilters) {
    ScratchDir dir;
    const Image in = write_image(dir / "in.img", 5, 3, 2);
    auto run = [&](const char* tool, std::vector<std::string> extra) {
        std::vector<std::string> lines = {"in.img", "out.img", "5", "3"};
        lines.insert(lines.end(), extra.begin(), extra.end());
        const ToolRun r = run_tool(tool, answers(lines), dir.path());
        EXPECT_EQ(r.exit_status, 0) << tool << r.err;
    };
    run("kernel_smooth", {"0", "-1", "5"});
    const int sharpen[9] = {0, -1, 0, -1, 5, -1, 0, -1, 0};
    expect_same_file(dir / "out.img", reference::weighted(in, 5, 3, sharpen, 1));
    run("bell_smooth", {"3"});
    expect_same_file(dir / "out.img", reference::gaussian(in, 5, 3, 3));
    run("rank_smooth", {"8"});  // wider than the image: wraps more than once
    expect_same_file(dir / "out.img", reference::median(in, 5, 3, 8), true);
    run("edge_preserve", {"4", "1.5", "0.7"});
    expect_same_file(dir / "out.img", reference::bilateral(in, 5, 3, 4, 1.5, 0.7));
    run("edge_preserve", {"0"});
    for (float v : read_floats(dir / "out.img")) EXPECT_TRUE(std::isnan(v));
}

TEST(FilterTools, KernelOfZeroDivisorIsShownAndUsed) {
    ScratchDir dir;
    write_floats(dir / "in.img", {1, 2, 3, 4});
    const ToolRun run = run_tool("kernel_smooth", answers({"in.img", "out.img", "2", "2", "0", "0", "0"}), dir.path());
    ASSERT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("\t\t0\t0\t0\nh(x,y) = 1/0 (\t0\t0\t0 )\n\t\t0\t0\t0\n"), std::string::npos);
    for (float v : read_floats(dir / "out.img")) EXPECT_TRUE(std::isnan(v));
}

TEST(FilterTools, RankSmoothRefusesAnEmptyWindowBeforeAnyFile) {
    for (const char* width : {"0", "-3"}) {
        ScratchDir dir;
        write_floats(dir / "in.img", {1, 2, 3, 4});
        const ToolRun run = run_tool("rank_smooth", answers({"in.img", "out.img", "2", "2", width}), dir.path());
        EXPECT_EQ(run.exit_status, 1) << width;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(std::string("[") + width + "]"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.img"));
    }
}

TEST(FilterTools, SizesOfZeroOrLess) {
    for (const char* tool : tools) {
        ScratchDir dir;
        write_floats(dir / "in.img", {1, 2, 3, 4, 5, 6});
        // One size negative: refused before any output file.
        const ToolRun negative = run_tool(tool, answers({"in.img", "neg.img", "-2", "3"}), dir.path());
        EXPECT_EQ(negative.exit_status, 1) << tool;
        EXPECT_EQ(std::count(negative.err.begin(), negative.err.end(), '\n'), 1) << tool;
        EXPECT_FALSE(std::filesystem::exists(dir / "neg.img")) << tool;
        // Zero: the input is still opened, and the output is empty.
        EXPECT_EQ(run_tool(tool, answers({"in.img", "zero.img", "0", "3"}), dir.path()).exit_status, 0) << tool;
        EXPECT_EQ(read_file(dir / "zero.img"), "") << tool;
        const ToolRun missing = run_tool(tool, answers({"none.img", "zero.img", "0", "3"}), dir.path());
        EXPECT_EQ(missing.exit_status, 1) << tool;
        EXPECT_EQ(missing.err, sjis(" エラー：ファイルが開きません[none.img].\n")) << tool;
        // Both negative: a positive count, and no pixel to filter.
        EXPECT_EQ(run_tool(tool, answers({"in.img", "both.img", "-2", "-3"}), dir.path()).exit_status, 0) << tool;
        EXPECT_EQ(read_floats(dir / "both.img"), std::vector<float>(6, 0.0f)) << tool;
    }
}

TEST(FilterTools, UnwritableOutputFails) {
    for (const char* tool : tools) {
        ScratchDir dir;
        write_floats(dir / "in.img", {1, 2, 3, 4});
        const ToolRun full = run_tool(tool, answers({"in.img", "/dev/full", "2", "2"}), dir.path());
        EXPECT_EQ(full.exit_status, 1) << tool;
        EXPECT_EQ(full.err, sjis(" エラー：ファイルに書き込めません[/dev/full].\n")) << tool;
        const ToolRun no_dir = run_tool(tool, answers({"in.img", "no/such.img", "2", "2"}), dir.path());
        EXPECT_EQ(no_dir.err, sjis(" エラー：ファイルが開きません[no/such.img].\n")) << tool;
    }
}

TEST(FilterTools, EdgePreserveKeepsLongInputNames) {
    ScratchDir dir;
    const std::string name(200, 'n');
    write_floats(dir / name, {1, 2, 3, 4});
    const ToolRun run = run_tool("edge_preserve", answers({name, "out.img", "2", "2", "1"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(read_floats(dir / "out.img"), (std::vector<float>{1, 2, 3, 4}));
}

}  // namespace
