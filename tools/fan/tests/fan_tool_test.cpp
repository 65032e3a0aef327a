// fan_raysum, fan_reconstruct and fan_rebin run from build/bin: the chain
// through the geometry file, and the refusals that write nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/support/tool_runner.h"

namespace {

const std::string head_ellipses = std::string(CT_SOURCE_DIR) + "/examples/n3-2.txt";

std::vector<std::string> raysum_answers(std::map<int, std::string> changed) {
    std::vector<std::string> lines = {head_ellipses, "2", "11", "64", "64", "0.3125", "f.prj", "g.txt", "40", "60",
                                      "1", "100", "0.5", "0.1", "0", "90", "1", "360"};
    for (const auto& [number, answer] : changed) lines[number - 1] = answer;
    return lines;
}

std::vector<std::string> recon_answers(std::map<int, std::string> changed) {
    std::vector<std::string> lines = {"f.prj", "g.txt", "100", "90", "f.img", "64", "64", "0.3125", "0", "1"};
    for (const auto& [number, answer] : changed) lines[number - 1] = answer;
    return lines;
}

}  // namespace

TEST(FanTools, ChainThroughTheGeometryFile) {
    ScratchDir dir;
    const ToolRun raysum = run_tool("fan_raysum", answers(raysum_answers({})), dir.path());
    ASSERT_EQ(raysum.exit_status, 0) << raysum.err;
    EXPECT_EQ(read_floats(dir / "f.prj").size(), 90u * 100u);
    const std::string geometry = read_file(dir / "g.txt");
    EXPECT_NE(geometry.find("detector = curved\n"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("views = 90\n"), std::string::npos) << geometry;

    const ToolRun recon = run_tool("fan_reconstruct", answers(recon_answers({})), dir.path());
    ASSERT_EQ(recon.exit_status, 0) << recon.err;
    const std::vector<float> image = read_floats(dir / "f.img");
    ASSERT_EQ(image.size(), 64u * 64u);
    // The brain (0.204/cm) at the centre, in 1/cm.
    EXPECT_NEAR(image[32 * 64 + 32], 0.204, 0.01);

    const ToolRun rebin =
        run_tool("fan_rebin", answers({"f.prj", "g.txt", "100", "90", "p.prj", "64", "60", "0.3125", "1"}), dir.path());
    ASSERT_EQ(rebin.exit_status, 0) << rebin.err;
    EXPECT_EQ(read_floats(dir / "p.prj").size(), 60u * 64u);
}

// A geometry file that cannot be written leaves the sinogram of the earlier
// run as it was: the two files never describe different scans.
TEST(FanTools, AFailedGeometryLeavesTheEarlierSinogram) {
    ScratchDir dir;
    ASSERT_EQ(run_tool("fan_raysum", answers(raysum_answers({})), dir.path()).exit_status, 0);
    const std::string before = read_file(dir / "f.prj");
    const ToolRun failed =
        run_tool("fan_raysum", answers(raysum_answers({{8, "no_such_folder/g.txt"}, {16, "45"}})), dir.path());
    EXPECT_EQ(failed.exit_status, 1) << failed.err;
    EXPECT_EQ(read_file(dir / "f.prj"), before);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 2) << "f.prj and g.txt alone, no temporary file left";
}

// Each refusal: exit 1, a message naming the answer, and no output file.
TEST(FanTools, BadAnswersAreRefusedAndWriteNothing) {
    ScratchDir dir;
    const struct {
        std::map<int, std::string> changed;
        const char* named;
    } raysum_cases[] = {
        {{{9, "9"}}, "線源・回転中心間距離"},  // the source inside the 10 cm circle
        {{{12, "40"}}, "検出器が扇を覆いきれません"},
        {{{10, "-60"}}, "線源・検出器間距離"},
        {{{16, "0"}}, "投影数"},
        {{{13, "0"}}, "検出器の角度間隔"},
        {{{2, "3"}}, "入力の種類"},
    };
    for (const auto& c : raysum_cases) {
        const ToolRun run = run_tool("fan_raysum", answers(raysum_answers(c.changed)), dir.path());
        EXPECT_EQ(run.exit_status, 1) << c.named;
        EXPECT_NE(run.err.find(sjis(c.named)), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "f.prj")) << c.named;
        EXPECT_FALSE(std::filesystem::exists(dir / "g.txt")) << c.named;
    }
    // A short scan of 120 degrees, then the reconstruction's refusals.
    ASSERT_EQ(run_tool("fan_raysum", answers(raysum_answers({{17, "3"}, {18, "120"}})), dir.path()).exit_status, 0);
    const struct {
        std::map<int, std::string> changed;
        const char* named;
    } recon_cases[] = {
        {{}, "Parker の重み"},  // too short for Parker's weights
        {{{3, "99"}, {10, "0"}}, "検出器の素子数 [99]"},
        {{{4, "91"}, {10, "0"}}, "投影数 [91]"},
        {{{6, "200"}, {7, "200"}, {10, "0"}}, "検出器が扇を覆いきれません"},  // a 31 cm field
    };
    for (const auto& c : recon_cases) {
        const ToolRun run = run_tool("fan_reconstruct", answers(recon_answers(c.changed)), dir.path());
        EXPECT_EQ(run.exit_status, 1) << c.named;
        EXPECT_NE(run.err.find(sjis(c.named)), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "f.img")) << c.named;
    }
    // A sinogram file of the wrong size.
    write_floats(dir / "f.prj", std::vector<float>(100 * 89, 0.0f));
    const ToolRun run = run_tool("fan_reconstruct", answers(recon_answers({{10, "0"}})), dir.path());
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("35600"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "f.img"));
}
