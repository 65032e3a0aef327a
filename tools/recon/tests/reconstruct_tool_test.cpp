// reconstruct run from build/bin, alone and after raysum.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "common/console_text.h"
#include "tests/support/tool_runner.h"

namespace {

std::string dialogue(std::initializer_list<std::pair<const char*, const char*>> prompts) {
    std::string text = "\nFBP法の投影再構成プログラム\n\n";
    for (const auto& [label, value] : prompts) text += " " + pad_to_columns(label, 27) + " [" + value + "] :";
    return sjis(text);
}

std::string progress(int angles) {
    std::string text;
    char line[64];
    for (int i = 0; i <= angles; ++i) {
        std::snprintf(line, sizeof line, i < angles ? "\r *** Make cij [%3d/%3d]" : "\r *** Make cij [%3d/%3d]\n",
                      i, angles);
        text += line;
    }
    return text;
}

const char* const stages = " *** Read projection data ***\n *** Reconstruction ***\n *** Write image data ***\n";

TEST(Reconstruct, DefaultsDialogueStagesAndOutput) {
    ScratchDir dir;
    write_floats(dir / "xdisk_9.prj", std::vector<float>(256 * 256, 0.0f));
    const ToolRun run = run_tool("reconstruct", "", dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, dialogue({{" 1. 入力投影のファイル名", "xdisk_9.prj"},
                                 {" 2. 投影の幅", "256"},
                                 {" 3. 投影数", "256"},
                                 {" 4. 出力画像のファイル名", "a.img"},
                                 {" 5. 画像の幅", "256"},
                                 {" 6. 画像の高さ", "256"},
                                 {" 7. 画素長 (cm/pixel)", "0.078125"}}) +
                           stages);
    EXPECT_EQ(run.err, progress(256));
    EXPECT_EQ(read_floats(dir / "a.img"), std::vector<float>(256 * 256, 0.0f));
}

TEST(Reconstruct, MissingInputAfterTheTablesAndTheFirstStage) {
    ScratchDir dir;
    const ToolRun run = run_tool("reconstruct", answers({"none.prj", "8", "3", "o.img", "8", "8"}), dir.path());
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_TRUE(run.out.ends_with("] : *** Read projection data ***\n")) << run.out;
    EXPECT_EQ(run.err, progress(3) + sjis(" エラー：ファイルが開きません[none.prj].\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / "o.img"));
}

TEST(Reconstruct, LongFileNamesAreKeptWhole) {
    ScratchDir dir;
    const std::string input(200, 'i');
    const std::string output = std::string(250, 'o') + ".img";  // 254 bytes
    write_floats(dir / input, std::vector<float>(8 * 2, 1.0f));
    const ToolRun run = run_tool("reconstruct", answers({input, "8", "2", output, "6", "6", "0.5"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(std::filesystem::file_size(dir / output), 6u * 6u * 4u);
}

TEST(Reconstruct, NegativeCountsStopWithAMessage) {
    ScratchDir dir;
    write_floats(dir / "s.prj", std::vector<float>(16, 1.0f));
    for (const auto& input : {answers({"s.prj", "-4", "4", "o.img", "4", "4"}),
                              answers({"s.prj", "4", "4", "o.img", "4", "-4"})}) {
        const ToolRun run = run_tool("reconstruct", input, dir.path());
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.find("Make cij"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(dir / "o.img"));
    }
}

TEST(Reconstruct, RaysumThenReconstructGivesTheDiskTimesThePixelLength) {
    ScratchDir dir;
    ASSERT_EQ(run_tool("oval_draw", answers({"disk.img", "128", "128", "0.2", "-0.1", "0.4", "0.4", "0", "0.1"}),
                       dir.path())
                  .exit_status,
              0);
    ASSERT_EQ(run_tool("raysum", answers({"disk.img", "128", "128", "0.078125", "disk.prj", "128", "128"}), dir.path())
                  .exit_status,
              0);
    const ToolRun run =
        run_tool("reconstruct", answers({"disk.prj", "128", "128", "disk_fbp.img", "128", "128", "0.078125"}),
                 dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const auto image = read_floats(dir / "disk_fbp.img");
    ASSERT_EQ(image.size(), 128u * 128u);
    // Centre at x = 12.8, y = −6.4 pixels: column 76, row 70; radius 25.6 pixels.
    EXPECT_NEAR(image[70 * 128 + 76], 0.0078125, 0.0008);
    EXPECT_NEAR(image[70 * 128 + 66], 0.0078125, 0.0008);
    EXPECT_NEAR(image[20 * 128 + 20], 0.0, 0.0004);
    EXPECT_NEAR(image[110 * 128 + 100], 0.0, 0.0004);
}

}  // namespace
