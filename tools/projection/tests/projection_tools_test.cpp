// The eight projection and measurement tools run from build/bin.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "common/console_text.h"
#include "common/random_deviates.h"
#include "tests/support/tool_runner.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projector.h"

namespace {

struct Prompt {
    const char* label;
    const char* value;
};

// The title block and the questions as the tool shows them.
std::string dialogue(const char* title, std::size_t width, std::initializer_list<Prompt> prompts) {
    std::string text = "\n" + std::string(title) + "\n\n";
    for (const Prompt& p : prompts) text += " " + pad_to_columns(p.label, width) + " [" + p.value + "] :";
    return sjis(text);
}

std::string progress(int angles) {
    std::string text;
    char line[64];
    for (int i = 0; i < angles; ++i) {
        std::snprintf(line, sizeof line, "\r *** Make cij [%3d/%3d]", i, angles);
        text += line;
    }
    std::snprintf(line, sizeof line, "\r *** Make cij [%3d/%3d]\n", angles, angles);
    return text + line;
}

std::vector<double> widen(const std::vector<float>& samples) { return {samples.begin(), samples.end()}; }

std::vector<float> narrow(const std::vector<double>& samples) { return {samples.begin(), samples.end()}; }

bool same_floats(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// A disk of 0.1 filling 0.6 of a 64 × 64 image.
void draw_disk(const ScratchDir& dir) {
    ASSERT_EQ(run_tool("oval_draw", answers({"disk.img", "64", "64", "0", "0", "0.6", "0.6", "0", "0.1"}), dir.path())
                  .exit_status,
              0);
}

TEST(Raysum, DefaultsDialogueProgressAndOutput) {
    ScratchDir dir;
    ASSERT_EQ(run_tool("oval_draw", answers({"xdisk_1.img", "", "", "", "", "0.6", "0.6"}), dir.path()).exit_status, 0);
    const ToolRun run = run_tool("raysum", "", dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, dialogue("線減弱係数の2次元画像から投影を作成するプログラム", 28,
                                {{" 1. 入力画像のファイル名", "xdisk_1.img"},
                                 {" 2. 画像の幅　", "256"},
                                 {" 3. 画像の高さ", "256"},
                                 {" 4. 画素長(cm/pixel)", "0.078125"},
                                 {" 5. 投影データのファイル名", "xdisk_1.prj"},
                                 {" 6. 投影の幅", "256"},
                                 {" 7. 投影数", "256"}}));
    EXPECT_EQ(run.err, progress(256));
    const auto sinogram = read_floats(dir / "xdisk_1.prj");
    ASSERT_EQ(sinogram.size(), 65536u);
    // Through the centre of a disk of radius 76.8 pixels: 0.1 × 153.6 × 0.078125.
    for (int i : {0, 64, 128, 200}) EXPECT_NEAR(sinogram[i * 256 + 128], 1.2, 0.01) << i;
    EXPECT_EQ(sinogram[5], 0.0f);
}

TEST(Raysum, MissingInputIsReportedAfterTheWholeCount) {
    ScratchDir dir;
    const ToolRun run = run_tool("raysum", answers({"none.img", "8", "8", "", "s.prj", "8", "5"}), dir.path());
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, progress(5) + sjis(" エラー：ファイルが開きません[none.img].\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / "s.prj"));
}

TEST(ProjectionTools, NegativeCountsStopBeforeAnyWork) {
    ScratchDir dir;
    write_floats(dir / "in.img", std::vector<float>(16, 1.0f));
    const std::pair<const char*, std::string> cases[] = {
        {"raysum", answers({"in.img", "-4", "4", "", "out", "8", "8"})},
        {"raysum", answers({"in.img", "4", "4", "", "out", "8", "-8"})},
        {"raysum_quanta", answers({"in.img", "4", "4", "", "out", "-8", "8"})},
        {"raysum_normal", answers({"in.img", "4", "-4", "", "out", "8", "8"})},
        {"attenuate", answers({"in.img", "out", "-4", "4"})},
        {"linearize", answers({"in.img", "out", "4", "-4"})},
        {"quantum_noise", answers({"in.img", "out", "-4", "4"})},
        {"level_noise", answers({"in.img", "out", "4", "-4"})},
        {"scaled_noise", answers({"in.img", "out", "-4", "4"})},
    };
    for (const auto& [tool, input] : cases) {
        const ToolRun run = run_tool(tool, input, dir.path());
        EXPECT_EQ(run.exit_status, 1) << tool;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << tool << run.err;
        EXPECT_EQ(run.err.find("Make cij"), std::string::npos) << tool;
        EXPECT_FALSE(std::filesystem::exists(dir / "out")) << tool;
    }
}

TEST(ProjectionTools, ZeroCountsStillOpenTheInputAndWriteAnEmptyFile) {
    ScratchDir dir;
    write_floats(dir / "in.prj", {1.0f});
    struct Case {
        const char* tool;
        std::string input;
        std::uintmax_t bytes;
    };
    const Case cases[] = {
        {"attenuate", answers({"in.prj", "out", "0", "4"}), 0},
        {"linearize", answers({"in.prj", "out", "4", "0"}), 0},
        {"quantum_noise", answers({"in.prj", "out", "0", "4"}), 0},
        {"level_noise", answers({"in.prj", "out", "0", "4"}), 0},
        {"scaled_noise", answers({"in.prj", "out", "4", "0"}), 0},
        {"raysum", answers({"in.prj", "0", "4", "", "out", "8", "3"}), 96},  // no pixels: a zero sinogram
        {"raysum", answers({"in.prj", "4", "4", "", "out", "8", "0"}), 0},
        {"raysum", answers({"in.prj", "-4", "-4", "", "out", "8", "3"}), 96},  // 16 pixels, none in a row
    };
    for (const auto& [tool, input, bytes] : cases) {
        std::filesystem::remove(dir / "out");
        const ToolRun run = run_tool(tool, input, dir.path());
        EXPECT_EQ(run.exit_status, 0) << tool << run.err;
        EXPECT_TRUE(std::filesystem::exists(dir / "out")) << tool;
        EXPECT_EQ(std::filesystem::file_size(dir / "out"), bytes) << tool << input;
        if (bytes > 0) {
            EXPECT_EQ(read_floats(dir / "out"), std::vector<float>(bytes / 4, 0.0f)) << tool;
        }
        const ToolRun missing = run_tool(tool, "nothing\n" + input.substr(input.find('\n') + 1), dir.path());
        EXPECT_EQ(missing.exit_status, 1) << tool;
        EXPECT_NE(missing.err.find(sjis("エラー：ファイルが開きません[nothing]")), std::string::npos) << tool;
    }
}

TEST(ProjectionTools, TitlesAndQuestions) {
    ScratchDir dir;
    struct Case {
        const char* tool;
        std::string expected;
    };
    const Case cases[] = {
        {"attenuate", dialogue("X線CTの投影データから計測データを作成するプログラム", 29,
                               {{" 1. 投影データのファイル名", "xdisk_1.prj"},
                                {" 2. 計測データのファイル名", "xdisk_1_I0_2000.prj"},
                                {" 3. 投影の幅", "256"},
                                {" 4. 投影数", "256"},
                                {" 5. 入射光子数（カウント）", "2000"}})},
        {"linearize", dialogue("X線CTの計測データから投影データを作成するプログラム", 28,
                               {{" 1. 計測データのファイル名", "xdisk_1_I0_2000_poi.prj"},
                                {" 2. 投影データのファイル名", "xdisk_1_I0_2000_poisson.prj"},
                                {" 3. 投影の幅", "256"},
                                {" 4. 投影数", "256"},
                                {" 5. 入射強度（カウント）", "2000"}})},
        {"quantum_noise", dialogue("ポアソン雑音を印加するプログラム", 32,
                                   {{" 1. 計測データのファイル名", "xdisk_1_I0_2000.prj"},
                                    {" 2. 雑音入りデータのファイル名", "xdisk_1_I0_2000_poi.prj"},
                                    {" 3. 投影の幅", "256"},
                                    {" 4. 投影数　", "256"}})},
        {"level_noise", dialogue("ガウス雑音をデシベル単位で印加するプログラム", 32,
                                 {{" 1. 画像データのファイル名", "xdisk_1.img"},
                                  {" 2. 雑音入りデータのファイル名", "a.img.img"},
                                  {" 3. 画像の幅", "256"},
                                  {" 4. 画像の高さ", "256"},
                                  {" 5. 雑音レベル（dB）", "20.000000"}})},
        {"scaled_noise", dialogue("ガウス雑音を係数cで印加するプログラム", 32,
                                  {{" 1. 画像データのファイル名", "xdisk_1_I0_2000.prj"},
                                   {" 2. 雑音入りデータのファイル名", "a.img.prj"},
                                   {" 3. 画像の幅", "256"},
                                   {" 4. 画像の高さ", "256"},
                                   {" 5. 雑音レベル（係数c）", "20.000000"}})},
        {"raysum_quanta", dialogue("線減弱係数の2次元画像からポアソン雑音入りの投影を作成するプログラム", 27,
                                   {{" 1. 入力画像のファイル名", "xdisk_1.img"},
                                    {" 2. 画像の幅　", "256"},
                                    {" 3. 画像の高さ", "256"},
                                    {" 4. 画素長(cm/pixel)", "0.078125"},
                                    {" 5. 投影データのファイル名", "xdisk_1_I0_2000_poisson.prj"},
                                    {" 6. 投影の幅", "256"},
                                    {" 7. 投影数", "256"},
                                    {" 8. 入射光子数（カウント）", "2000"}})},
        {"raysum_normal", dialogue("線減弱係数の2次元画像からガウス雑音入りの投影を作成するプログラム", 27,
                                   {{" 1. 入力画像のファイル名", "xdisk_1.img"},
                                    {" 2. 画像の幅　", "256"},
                                    {" 3. 画像の高さ", "256"},
                                    {" 4. 画素長(cm/pixel)", "0.078125"},
                                    {" 5. 投影データのファイル名", "xdisk_1_I0_2000_sd20.prj"},
                                    {" 6. 投影の幅", "256"},
                                    {" 7. 投影数", "256"},
                                    {" 8. 入射光子数（カウント）", "2000"},
                                    {" 9. 雑音レベル（係数sd）", "20.000000"}})},
    };
    for (const Case& c : cases) {
        // No input file: the dialogue runs to its end, then the open fails.
        const ToolRun run = run_tool(c.tool, "", dir.path());
        EXPECT_EQ(run.out, c.expected) << c.tool;
        EXPECT_EQ(run.exit_status, 1) << c.tool;
    }
}

TEST(MeasurementTools, EachToolAppliesItsTransformToTheFile) {
    ScratchDir dir;
    const std::vector<float> projection = {0.0f, 0.5f, 1.0f, 2.0f, 30.0f, 150.0f};
    write_floats(dir / "p.prj", projection);
    ASSERT_EQ(run_tool("attenuate", answers({"p.prj", "c.prj", "3", "2", "1000"}), dir.path()).exit_status, 0);
    std::vector<double> counts(6);
    counts_from_projection(widen(projection).data(), counts.data(), 6, 1000);
    const auto written = read_floats(dir / "c.prj");
    EXPECT_TRUE(same_floats(written, narrow(counts)));
    EXPECT_EQ(written[5], 0.0f);  // vanished in 32 bits

    ASSERT_EQ(run_tool("linearize", answers({"c.prj", "back.prj", "3", "2", "1000"}), dir.path()).exit_status, 0);
    const auto back = read_floats(dir / "back.prj");
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(back[i], projection[i], 1e-6 * (1 + projection[i])) << i;
    EXPECT_FLOAT_EQ(back[5], static_cast<float>(std::log(1000.0)));  // the zero count

    write_floats(dir / "n.prj", std::vector<float>(6, 100.0f));
    ASSERT_EQ(run_tool("scaled_noise", answers({"n.prj", "s.prj", "3", "2", "20"}), dir.path()).exit_status, 0);
    ASSERT_EQ(run_tool("level_noise", answers({"n.prj", "l.prj", "3", "2", "20"}), dir.path()).exit_status, 0);
    ASSERT_EQ(run_tool("quantum_noise", answers({"n.prj", "q.prj", "3", "2"}), dir.path()).exit_status, 0);
    std::vector<double> scaled(6, 100.0), level(6, 100.0), quanta(6, 100.0);
    reset_random_program_state();
    apply_gaussian_noise(scaled.data(), 6, 20.0);
    reset_random_program_state();
    apply_gaussian_noise(level.data(), 6, std::pow(10.0, 20.0 / -20.0) * 100.0);  // 20 dB: a tenth of the mean
    reset_random_program_state();
    apply_poisson_noise(quanta.data(), 6);
    EXPECT_TRUE(same_floats(read_floats(dir / "s.prj"), narrow(scaled)));
    EXPECT_TRUE(same_floats(read_floats(dir / "l.prj"), narrow(level)));
    EXPECT_TRUE(same_floats(read_floats(dir / "q.prj"), narrow(quanta)));
}

TEST(MeasurementTools, LevelNoiseLeavesAZeroMeanInputUnchanged) {
    ScratchDir dir;
    const std::vector<float> cancelling = {1.0f, -1.0f, 2.5f, -2.5f};
    write_floats(dir / "z.img", cancelling);
    ASSERT_EQ(run_tool("level_noise", answers({"z.img", "o.img", "2", "2", "0"}), dir.path()).exit_status, 0);
    EXPECT_EQ(read_floats(dir / "o.img"), cancelling);
}

TEST(MeasurementChain, StepByStepEqualsRaysumQuantaUpToTheFiles) {
    ScratchDir dir;
    draw_disk(dir);
    const std::string size = "64\n64\n0.078125\n";
    ASSERT_EQ(run_tool("raysum", "disk.img\n" + size + "p.prj\n64\n48\n", dir.path()).exit_status, 0);
    ASSERT_EQ(run_tool("attenuate", answers({"p.prj", "c.prj", "64", "48", "2000"}), dir.path()).exit_status, 0);
    ASSERT_EQ(run_tool("quantum_noise", answers({"c.prj", "n.prj", "64", "48"}), dir.path()).exit_status, 0);
    ASSERT_EQ(run_tool("linearize", answers({"n.prj", "chain.prj", "64", "48", "2000"}), dir.path()).exit_status, 0);
    ASSERT_EQ(run_tool("raysum_quanta", "disk.img\n" + size + "quanta.prj\n64\n48\n2000\n", dir.path()).exit_status, 0);

    // raysum_quanta keeps every step in 64 bits; the chain narrows to 32 bits
    // between the tools. Both are reproduced here from the same image.
    const std::vector<double> image = widen(read_floats(dir / "disk.img"));
    std::FILE* sink = std::fopen("/dev/null", "w");
    const CijTable cij = make_cij(64, 64, 64, 48, sink);
    std::fclose(sink);
    const std::int64_t n = 64 * 48;
    std::vector<double> sinogram(n), counts(n);
    project_image(image.data(), 64, 64, 0.078125, cij, sinogram.data());
    EXPECT_TRUE(same_floats(read_floats(dir / "p.prj"), narrow(sinogram)));

    counts_from_projection(sinogram.data(), counts.data(), n, 2000);
    reset_random_program_state();
    apply_poisson_noise(counts.data(), n);
    std::vector<double> in_memory(n);
    projection_from_counts(counts.data(), in_memory.data(), n, 2000);
    EXPECT_TRUE(same_floats(read_floats(dir / "quanta.prj"), narrow(in_memory)));

    std::vector<double> step = widen(read_floats(dir / "p.prj"));
    counts_from_projection(step.data(), counts.data(), n, 2000);
    step = widen(narrow(counts));
    reset_random_program_state();
    apply_poisson_noise(step.data(), n);
    step = widen(narrow(step));
    std::vector<double> chained(n);
    projection_from_counts(step.data(), chained.data(), n, 2000);
    const auto chain = read_floats(dir / "chain.prj");
    EXPECT_TRUE(same_floats(chain, narrow(chained)));

    // The two differ only where 32-bit rounding of a mean changed a draw.
    const auto quanta = read_floats(dir / "quanta.prj");
    int equal = 0;
    for (std::int64_t i = 0; i < n; ++i) equal += chain[i] == quanta[i] ? 1 : 0;
    EXPECT_GT(equal, n * 9 / 10) << equal << " of " << n;
}

TEST(MeasurementChain, RaysumNormalWithoutNoiseReturnsTheProjection) {
    ScratchDir dir;
    draw_disk(dir);
    const std::string size = "64\n64\n0.078125\n";
    ASSERT_EQ(run_tool("raysum", "disk.img\n" + size + "p.prj\n64\n16\n", dir.path()).exit_status, 0);
    ASSERT_EQ(run_tool("raysum_normal", "disk.img\n" + size + "g.prj\n64\n16\n2000\n0\n", dir.path()).exit_status, 0);
    const auto exact = read_floats(dir / "p.prj");
    const auto noisy = read_floats(dir / "g.prj");
    ASSERT_EQ(noisy.size(), exact.size());
    for (std::size_t i = 0; i < exact.size(); ++i) EXPECT_NEAR(noisy[i], exact[i], 1e-6) << i;

    ASSERT_EQ(run_tool("raysum_normal", "disk.img\n" + size + "g20.prj\n64\n16\n2000\n20\n", dir.path()).exit_status, 0);
    const auto twice = read_floats(dir / "g20.prj");
    ASSERT_EQ(run_tool("raysum_normal", "disk.img\n" + size + "g20.prj\n64\n16\n2000\n20\n", dir.path()).exit_status, 0);
    EXPECT_TRUE(same_floats(twice, read_floats(dir / "g20.prj")));  // the same file on every run
    double spread = 0;
    for (int i = 0; i < 64 * 16; ++i) spread += (twice[i] - exact[i]) * (twice[i] - exact[i]);
    EXPECT_NEAR(std::sqrt(spread / (64 * 16)), 0.01, 0.004);  // about sd / I0 where little is absorbed
}

}  // namespace
