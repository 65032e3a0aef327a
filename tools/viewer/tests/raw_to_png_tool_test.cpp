// raw_to_png run from build/bin with answers on standard input.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "tests/support/tool_runner.h"
#include "tools/viewer/grey_bar.h"
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
                            "  7. 単位(0:HU 1:μ 2:μ×Δ)      [2] :"
                            "  8. 水の減弱係数(1/cm)            [0.190000] :"
                            "  9. 画素長Δ(cm)                  [0.078125] :"
                            " 10. HUウィンドウのプリセット名    [] :"
                            " 11. HUウィンドウの中心            [40.000000] :"
                            " 12. HUウィンドウ幅(0:なし)        [0.000000] :"
                            " 13. グレーバー(0:なし 1:HU)       [0] :"
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

// The grey level of DICOM's linear window onto 0 … 255, written out here
// from its definition, rounded to the nearest level (halves up).
int dicom_linear_level(double x, double c, double w) {
    if (x <= c - 0.5 - (w - 1) / 2) return 0;
    if (x > c - 0.5 + (w - 1) / 2) return 255;
    return static_cast<int>(std::floor(((x - (c - 0.5)) / (w - 1) + 0.5) * 255.0 + 0.5));
}

// A 64 × 4 ramp in HU, −1100 … 1420 in steps of 10 (row i shifted by i).
std::vector<float> hounsfield_ramp() {
    std::vector<float> image;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 64; ++j) image.push_back(static_cast<float>(-1100 + 40 * j + i * 10));
    return image;
}

std::vector<std::string> hu_answers(const std::string& output, const std::string& unit, const std::string& window,
                                    const std::string& centre, const std::string& width, const std::string& bar = "0") {
    return {"hu.img", "64", "4", output, "0", "0", unit, "0.19", "0.078125", window, centre, width, bar};
}

TEST(RawToPngHounsfield, PresetsAndCentreWidthGiveTheLinearWindowsLevels) {
    ScratchDir dir;
    write_floats(dir / "hu.img", hounsfield_ramp());
    struct Case {
        std::string window, centre, width;
        double c, w;
    };
    for (const Case& k : std::vector<Case>{{"soft_tissue", "", "", 50, 400},
                                           {"lung", "", "", -600, 1500},
                                           {"", "35", "80", 35, 80},
                                           {"", "-10", "1", -10, 1},
                                           {"", "0", "2", 0, 2}}) {
        SCOPED_TRACE(k.window + " " + k.centre + " " + k.width);
        const ToolRun run = run_tool("raw_to_png", answers(hu_answers("hu.png", "0", k.window, k.centre, k.width)), dir.path());
        ASSERT_EQ(run.exit_status, 0) << run.err;
        const GreyPicture picture = read_grey_png(dir / "hu.png");
        ASSERT_EQ(picture.width, 64u);
        ASSERT_EQ(picture.height, 4u);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 64; ++j)
                ASSERT_EQ(picture.pixels[i * 64 + j], dicom_linear_level(-1100 + 40 * j + i * 10, k.c, k.w))
                    << "row " << i << " column " << j;
    }
    // Known levels of the soft-tissue window (50, 400): black up to −150 HU,
    // white above 249 HU; −140 is 10/399 of the way, 60 HU is 210/399.
    ASSERT_EQ(run_tool("raw_to_png", answers(hu_answers("s.png", "0", "soft_tissue", "", "")), dir.path()).exit_status, 0);
    const GreyPicture soft = read_grey_png(dir / "s.png");
    EXPECT_EQ(soft.pixels[3 * 64 + 23], 0);  // −150
    EXPECT_EQ(soft.pixels[24], 6);  // −140: (−189.5/399 + 0.5)·255 = 6.39
    EXPECT_EQ(soft.pixels[29], 134);  // 60: (10.5/399 + 0.5)·255 = 134.21
    EXPECT_EQ(soft.pixels[3 * 64 + 34], 255);  // 290
}

TEST(RawToPngHounsfield, AttenuationImagesAreTurnedIntoHounsfieldUnitsFirst) {
    ScratchDir dir;
    // Air, water, twice and one and a half times water's μ (0.25/cm), in
    // 1/cm and per pixel of 0.125 cm: all exact in float.
    write_floats(dir / "mu.img", {0.0f, 0.25f, 0.5f, 0.375f});
    write_floats(dir / "mud.img", {0.0f, 0.03125f, 0.0625f, 0.046875f});
    for (const auto& [name, unit] : std::vector<std::pair<std::string, std::string>>{{"mu.img", "1"}, {"mud.img", "2"}}) {
        // Window −1000 … 1000: air black, water 127.5 (rounded up), 1000 HU white, 500 HU 191.25.
        const ToolRun run = run_tool(
            "raw_to_png", answers({name, "4", "1", "o.png", "0", "0", unit, "0.25", "0.125", "", "0.5", "2001"}),
            dir.path());
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_EQ(read_grey_png(dir / "o.png").pixels, (std::vector<unsigned char>{0, 128, 255, 191})) << name;
    }
}

TEST(RawToPngHounsfield, TheOldAnswersAndTheNewDefaultsWriteTheSameBytes) {
    ScratchDir dir;
    write_floats(dir / "hu.img", hounsfield_ramp());
    const std::vector<std::string> old_answers = {"hu.img", "64", "4", "old.png", "-200", "300"};
    std::vector<std::string> spelled = old_answers;
    spelled[3] = "new.png";
    for (const char* typed : {"2", "0.19", "0.078125", "", "40", "0", "0"}) spelled.push_back(typed);
    const ToolRun old_run = run_tool("raw_to_png", answers(old_answers), dir.path());
    const ToolRun new_run = run_tool("raw_to_png", answers(spelled), dir.path());
    ASSERT_EQ(old_run.exit_status, 0);
    ASSERT_EQ(new_run.exit_status, 0);
    EXPECT_EQ(read_file(dir / "old.png"), read_file(dir / "new.png"));
    EXPECT_EQ(old_run.out, new_run.out);
    EXPECT_TRUE(old_run.out.ends_with(sjis("表示範囲：-200.000000 から 300.000000\n")));
}

TEST(RawToPngHounsfield, TheGreyBarReadsInHounsfieldUnitsBesideTheSameImage) {
    ScratchDir dir;
    write_floats(dir / "hu.img", hounsfield_ramp());
    ASSERT_EQ(run_tool("raw_to_png", answers(hu_answers("plain.png", "0", "", "40", "400")), dir.path()).exit_status, 0);
    const ToolRun run = run_tool("raw_to_png", answers(hu_answers("bar.png", "0", "", "40", "400", "1")), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(run.out.ends_with(sjis(
        "表示ウィンドウ：中心 40.000000 HU、幅 400.000000 HU\n"
        "表示範囲：-160.000000 から 239.000000\n")));
    const GreyPicture plain = read_grey_png(dir / "plain.png");
    const GreyPicture bar = read_grey_png(dir / "bar.png");
    // Under 26 rows the picture grows to 26 rows; the labels are "240 HU", "40 HU" and "-160 HU".
    ASSERT_EQ(bar.height, 26u);
    ASSERT_EQ(bar.width, 64u + 4 + 8 + 4 + 7 * 6 + 4);
    for (unsigned y = 0; y < 26; ++y)
        for (unsigned x = 0; x < 64; ++x)
            ASSERT_EQ(bar.pixels[y * bar.width + x], y < 4 ? plain.pixels[y * 64 + x] : 0) << x << ", " << y;
    const unsigned column = 64 + 4 + 4;  // inside the bar
    EXPECT_EQ(bar.pixels[column], 255);
    EXPECT_EQ(bar.pixels[25 * bar.width + column], 0);
    for (unsigned y = 1; y < 26; ++y) EXPECT_LE(bar.pixels[y * bar.width + column], bar.pixels[(y - 1) * bar.width + column]);
    EXPECT_EQ(bar.pixels[64 + 4], 128);  // its frame
    EXPECT_EQ(bar_label(-160), "-160 HU");
    EXPECT_EQ(bar_label(-637.5), "-637.5 HU");
    EXPECT_EQ(bar_label(2.5e7), "2.5e+07 HU");
}

TEST(RawToPngHounsfield, BadWindowAnswersAreRefusedBeforeAnyFile) {
    ScratchDir dir;
    write_floats(dir / "hu.img", hounsfield_ramp());
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {hu_answers("x.png", "0", "lungs", "", ""), "[lungs]"},
        {hu_answers("x.png", "0", "", "40", "0.5"), "[0.500000]"},
        {hu_answers("x.png", "0", "", "40", "-400"), "[-400.000000]"},
        {hu_answers("x.png", "3", "", "40", "400"), "[3]"},
        {hu_answers("x.png", "0", "", "40", "400", "2"), "[2]"},
        {hu_answers("x.png", "0", "", "40", "0", "1"), sjis("グレーバー")},
        {{"hu.img", "64", "4", "x.png", "0", "0", "1", "0", "0.078125", "bone"}, "[0.000000]"},
        {{"hu.img", "64", "4", "x.png", "0", "0", "1", "-0.19", "0.078125", "bone"}, "[-0.190000]"},
        {{"hu.img", "64", "4", "x.png", "0", "0", "2", "0.19", "0", "bone"}, "[0.000000]"},
    };
    for (const auto& [lines, named] : cases) {
        const ToolRun run = run_tool("raw_to_png", answers(lines), dir.path());
        EXPECT_EQ(run.exit_status, 1) << named;
        EXPECT_EQ(newline_count(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "x.png")) << named;
    }
    // μ·Δ images need the pixel length, μ and HU images do not.
    EXPECT_EQ(run_tool("raw_to_png", answers({"hu.img", "64", "4", "x.png", "0", "0", "1", "0.19", "0", "bone"}), dir.path())
                  .exit_status,
              0);
}

}  // namespace
