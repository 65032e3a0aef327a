// raw_to_png run from build/bin with answers on standard input.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "tests/support/tool_runner.h"
#include "tools/viewer/tests/png_reading.h"

namespace {

namespace fs = std::filesystem;

// A 16 × 4 ramp: sample (row i, column j) = 4·j − i, from −3 to 60.
std::vector<float> ramp_image() {
    std::vector<float> image;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 16; ++j) image.push_back(static_cast<float>(4 * j - i));
    return image;
}

int newline_count(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(RawToPng, DefaultsShowTheDialogueAndConvertTheHeadPhantom) {
    ScratchDir dir;
    std::vector<float> phantom(256 * 256, 0.0f);
    phantom[0] = 1.0f;  // top left white
    phantom[255 * 256] = 0.5f;  // bottom left mid grey
    write_floats(dir / "n3-2.img", phantom);
    const ToolRun run = run_tool("raw_to_png", "", dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, sjis("\nraw画像をPNG画像に変換するプログラム\n\n"
                            "  1. 入力画像のファイル名          [n3-2.img] :"
                            "  2. 画像の幅                      [256] :"
                            "  3. 画像の高さ                    [256] :"
                            "  4. 出力PNG画像のファイル名       [n3-2.png] :"
                            "  5. 表示の下限値（両方0で自動）   [0.000000] :"
                            "  6. 表示の上限値（両方0で自動）   [0.000000] :"
                            "表示範囲：0.000000 から 1.000000\n"));
    const GreyPicture picture = read_grey_png(dir / "n3-2.png");
    ASSERT_TRUE(picture.ok);
    EXPECT_TRUE(picture.plain_grey);
    EXPECT_EQ(picture.width, 256u);
    EXPECT_EQ(picture.height, 256u);
    EXPECT_EQ(picture.pixels[0], 255);
    EXPECT_EQ(picture.pixels[255 * 256], 128);
    EXPECT_EQ(picture.pixels[1], 0);
}

TEST(RawToPng, RampGivesExactLevelsRowZeroAtTheTop) {
    ScratchDir dir;
    write_floats(dir / "ramp.img", ramp_image());
    // Window 0 … 51: level = 5·value, clamped; row i is the ramp moved i to the right.
    const ToolRun run = run_tool("raw_to_png", answers({"ramp.img", "16", "4", "ramp.png", "0", "51"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const GreyPicture picture = read_grey_png(dir / "ramp.png");
    ASSERT_TRUE(picture.ok);
    ASSERT_EQ(picture.width, 16u);
    ASSERT_EQ(picture.height, 4u);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 16; ++j) {
            const int expected = std::clamp(5 * (4 * j - i), 0, 255);
            ASSERT_EQ(picture.pixels[i * 16 + j], expected) << "row " << i << " column " << j;
        }

    // Own range −3 … 60: the ends black and white, everything in between linear.
    ASSERT_EQ(run_tool("raw_to_png", answers({"ramp.img", "16", "4", "own.png"}), dir.path()).exit_status, 0);
    const GreyPicture own = read_grey_png(dir / "own.png");
    EXPECT_EQ(own.pixels[3 * 16 + 0], 0);
    EXPECT_EQ(own.pixels[15], 255);
    EXPECT_EQ(own.pixels[0], static_cast<int>(3.0 / 63.0 * 255.0 + 0.5));
}

TEST(RawToPng, ConstantImageAndNanPixels) {
    ScratchDir dir;
    write_floats(dir / "flat.img", std::vector<float>(12, 2.5f));
    const ToolRun flat = run_tool("raw_to_png", answers({"flat.img", "4", "3", "flat.png"}), dir.path());
    ASSERT_EQ(flat.exit_status, 0) << flat.err;
    EXPECT_NE(flat.out.find(sjis("表示範囲：2.500000 から 2.500000\n")), std::string::npos);
    EXPECT_EQ(read_grey_png(dir / "flat.png").pixels, std::vector<unsigned char>(12, 0));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    write_floats(dir / "holes.img", {nan, 1.0f, inf, 3.0f, -inf, nan});
    const ToolRun holes = run_tool("raw_to_png", answers({"holes.img", "3", "2", "holes.png"}), dir.path());
    ASSERT_EQ(holes.exit_status, 0) << holes.err;
    EXPECT_NE(holes.out.find(sjis("表示範囲：1.000000 から 3.000000\n")), std::string::npos);
    EXPECT_EQ(read_grey_png(dir / "holes.png").pixels, (std::vector<unsigned char>{0, 0, 255, 255, 0, 0}));
}

TEST(RawToPng, SizesWithoutPixelsStopBeforeAnyFile) {
    ScratchDir dir;
    write_floats(dir / "in.img", std::vector<float>(16, 1.0f));
    for (const auto& [w, h] : std::vector<std::pair<std::string, std::string>>{
             {"0", "4"}, {"4", "0"}, {"-2", "-8"}, {"-4", "4"}, {"letters", "4"}}) {
        const ToolRun run = run_tool("raw_to_png", answers({"in.img", w, h, "out.png"}), dir.path());
        EXPECT_EQ(run.exit_status, 1) << w << " x " << h;
        EXPECT_EQ(newline_count(without_warnings(run.err)), 1) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out.png"));
    }
    const ToolRun both_negative = run_tool("raw_to_png", answers({"in.img", "-2", "-8", "out.png"}), dir.path());
    EXPECT_EQ(both_negative.err, sjis(" エラー：画像の大きさが正しくありません[-2 × -8].\n"));

    const ToolRun huge = run_tool("raw_to_png", answers({"in.img", "2147483647", "2147483647", "o.png"}), dir.path());
    EXPECT_EQ(huge.exit_status, 1);
    EXPECT_EQ(newline_count(huge.err), 1);
    EXPECT_FALSE(fs::exists(dir / "o.png"));
}

TEST(RawToPng, ShortInputWarnsAndShowsTheMissingPixelsAsZero) {
    ScratchDir dir;
    write_floats(dir / "short.img", {4.0f, 2.0f});
    const ToolRun run = run_tool("raw_to_png", answers({"short.img", "2", "2", "s.png"}), dir.path());
    ASSERT_EQ(run.exit_status, 0);
    EXPECT_NE(run.err.find("short.img"), std::string::npos);
    EXPECT_EQ(read_grey_png(dir / "s.png").pixels, (std::vector<unsigned char>{255, 128, 0, 0}));
}

TEST(RawToPng, FailuresNameTheFileAndKeepTheOldPicture) {
    ScratchDir dir;
    const ToolRun missing = run_tool("raw_to_png", answers({"none.img", "4", "4", "out.png"}), dir.path());
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_EQ(missing.err, sjis(" エラー：ファイルが開きません[none.img].\n"));
    EXPECT_FALSE(fs::exists(dir / "out.png"));

    write_floats(dir / "in.img", std::vector<float>(16, 1.0f));
    const ToolRun no_folder = run_tool("raw_to_png", answers({"in.img", "4", "4", "no/such/out.png"}), dir.path());
    EXPECT_EQ(no_folder.exit_status, 1);
    EXPECT_EQ(no_folder.err, sjis(" エラー：ファイルが開きません[no/such/out.png].\n"));

    fs::create_directory(dir / "folder");
    const ToolRun folder = run_tool("raw_to_png", answers({"in.img", "4", "4", "folder"}), dir.path());
    EXPECT_EQ(folder.exit_status, 1);
    EXPECT_EQ(folder.err, sjis(" エラー：ファイルが開きません[folder].\n"));
    EXPECT_TRUE(fs::is_empty(dir / "folder"));

    // A failed run before the picture leaves the previous picture untouched.
    write_file(dir / "keep.png", "previous");
    EXPECT_EQ(run_tool("raw_to_png", answers({"none.img", "4", "4", "keep.png"}), dir.path()).exit_status, 1);
    EXPECT_EQ(read_file(dir / "keep.png"), "previous");
}

TEST(RawToPng, AFullDeviceFailsAndStaysADevice) {
    ScratchDir dir;
    write_floats(dir / "in.img", std::vector<float>(64 * 64, 1.0f));
    const ToolRun full = run_tool("raw_to_png", answers({"in.img", "64", "64", "/dev/full"}), dir.path());
    EXPECT_EQ(full.exit_status, 1);
    EXPECT_EQ(full.err, sjis(" エラー：ファイルに書き込めません[/dev/full].\n"));
    struct stat info {};
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

}  // namespace
