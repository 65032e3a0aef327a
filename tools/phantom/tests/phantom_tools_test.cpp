// oval_draw and oval_stack run from build/bin with answers on standard input.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tests/support/tool_runner.h"

namespace {

TEST(OvalDraw, DefaultsWriteTheDefaultEllipse) {
    ScratchDir dir;
    const ToolRun run = run_tool("oval_draw", "", dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, sjis("\n2次元楕円画像を作成するプログラム\n\n"
                            "  1. 出力画像のファイル名             [n3-1.img] :"
                            "  2. 画像の幅　                       [256] :"
                            "  3. 画像の高さ                       [256] :"
                            "  4. 楕円データの中心x座標            [0.000000] :"
                            "  5. 楕円データの中心y座標            [0.000000] :"
                            "  6. 楕円データの長径（x方向の半径）  [0.600000] :"
                            "  7. 楕円データの短径（y方向の半径）  [0.800000] :"
                            "  8. 楕円データの回転角 （度）        [10.000000] :"
                            "  9. 楕円データの値（減弱係数）       [0.100000] :"));
    const auto image = read_floats(dir / "n3-1.img");
    ASSERT_EQ(image.size(), 65536u);
    EXPECT_FLOAT_EQ(image[128 * 256 + 128], 0.1f);
    EXPECT_EQ(image[0], 0.0f);
}

TEST(OvalDraw, SizesOfZeroOrLess) {
    ScratchDir dir;
    // Both negative: the product is positive and the file holds that many zeros.
    ASSERT_EQ(run_tool("oval_draw", answers({"neg.img", "-2", "-3"}), dir.path()).exit_status, 0);
    EXPECT_EQ(read_floats(dir / "neg.img"), std::vector<float>(6, 0.0f));
    ASSERT_EQ(run_tool("oval_draw", answers({"one.img", "-2", "3"}), dir.path()).exit_status, 0);
    EXPECT_EQ(read_file(dir / "one.img"), "");
    ASSERT_EQ(run_tool("oval_draw", answers({"zero.img", "0"}), dir.path()).exit_status, 0);
    EXPECT_EQ(read_file(dir / "zero.img"), "");
}

TEST(OvalDraw, UnwritableOutputsFail) {
    ScratchDir dir;
    const ToolRun missing_dir = run_tool("oval_draw", answers({"no/such/dir.img", "8", "8"}), dir.path());
    EXPECT_EQ(missing_dir.exit_status, 1);
    EXPECT_EQ(missing_dir.err, sjis(" エラー：ファイルが開きません[no/such/dir.img].\n"));
    const ToolRun full = run_tool("oval_draw", answers({"/dev/full", "8", "8"}), dir.path());
    EXPECT_EQ(full.exit_status, 1);
    EXPECT_EQ(full.err, sjis(" エラー：ファイルに書き込めません[/dev/full].\n"));
}

TEST(OvalDraw, HugeSizesEndWithAMessageNotACrash) {
    ScratchDir dir;
    const ToolRun run = run_tool("oval_draw", answers({"big.img", "99999999999", "99999999999"}), dir.path());
    EXPECT_EQ(run.exit_status, 1);
    const std::string message = without_warnings(run.err);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "big.img"));
}

const char* const two_ellipses = "# outer\n0\t0\t0.5\t0.5\t0\t1.0\n# inner\n0\t0\t0.25\t0.25\t0\t-0.5\n";

TEST(OvalStack, SumsTheEllipsesAndEchoesTheFile) {
    ScratchDir dir;
    write_file(dir / "e.txt", two_ellipses);
    const ToolRun run = run_tool("oval_stack", answers({"e.txt", "2", "p.img", "32", "32"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::string prompts = sjis(
        "\n2次元楕円画像を作成するプログラム（複数の楕円）\n\n"
        "  1. 楕円パラメータのファイル名   [n3-2.txt] :"
        "  2. 楕円の数                     [11] :"
        "  3. 出力画像のファイル名         [n3-2.img] :"
        "  4. 画像の幅　                   [256] :"
        "  5. 画像の高さ                   [256] :");
    EXPECT_EQ(run.out, prompts +
                           "# outer\n 0.0000  0.0000  0.5000  0.5000  0.0000  1.0000 \n# inner\n"
                           " 0.0000  0.0000  0.2500  0.2500  0.0000 -0.5000 \n");
    const auto image = read_floats(dir / "p.img");
    ASSERT_EQ(image.size(), 32u * 32u);
    EXPECT_FLOAT_EQ(image[16 * 32 + 16], 0.5f);
    EXPECT_FLOAT_EQ(image[16 * 32 + 10], 1.0f);
    EXPECT_EQ(image[0], 0.0f);
}

TEST(OvalStack, FewerEllipsesThanTheFileHoldsAndNone) {
    ScratchDir dir;
    write_file(dir / "e.txt", two_ellipses);
    ASSERT_EQ(run_tool("oval_stack", answers({"e.txt", "1", "one.img", "32", "32"}), dir.path()).exit_status, 0);
    EXPECT_FLOAT_EQ(read_floats(dir / "one.img")[16 * 32 + 16], 1.0f);
    const ToolRun none = run_tool("oval_stack", answers({"e.txt", "0", "none.img", "4", "4"}), dir.path());
    ASSERT_EQ(none.exit_status, 0);
    EXPECT_EQ(none.out.find("# outer"), std::string::npos);
    EXPECT_EQ(read_floats(dir / "none.img"), std::vector<float>(16, 0.0f));
}

TEST(OvalStack, BadEllipseFilesStopBeforeAnyImage) {
    ScratchDir dir;
    write_file(dir / "short.txt", two_ellipses);
    const ToolRun early_end = run_tool("oval_stack", answers({"short.txt", "3", "p.img", "8", "8"}), dir.path());
    EXPECT_EQ(early_end.exit_status, 1);
    EXPECT_NE(early_end.err.find("short.txt"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "p.img"));

    const ToolRun missing = run_tool("oval_stack", answers({"nothing.txt", "1", "p.img", "8", "8"}), dir.path());
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_EQ(missing.err, sjis(" エラー：ファイルが開きません[nothing.txt].\n"));

    const ToolRun negative = run_tool("oval_stack", answers({"short.txt", "-1", "p.img", "8", "8"}), dir.path());
    EXPECT_EQ(negative.exit_status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "p.img"));
}

TEST(OvalStack, TheExamplePhantomRunsOnTheDefaults) {
    ScratchDir dir;
    std::filesystem::copy_file(std::filesystem::path(CT_SOURCE_DIR) / "examples" / "n3-2.txt", dir / "n3-2.txt");
    const ToolRun run = run_tool("oval_stack", "", dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const auto image = read_floats(dir / "n3-2.img");
    ASSERT_EQ(image.size(), 65536u);
    // Inside the brain, between the ventricles: about soft tissue.
    EXPECT_GT(image[170 * 256 + 128], 0.15f);
    EXPECT_LT(image[170 * 256 + 128], 0.25f);
    EXPECT_EQ(image[0], 0.0f);
}

}  // namespace
