// The five noise tools run from build/bin, their outputs checked against a
// plain recomputation in the test: noise from the same pattern, plain
// transposes, profiles and back projection, the tables printed anew.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/fft.h"
#include "common/random_deviates.h"
#include "tests/support/tool_runner.h"
#include "tools/noise/tests/straightforward.h"

namespace {

namespace fs = std::filesystem;

const std::string frequency_header = "\x8E\xFC\x94\x67\x90\x94";  // 周波数 in Shift_JIS

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::vector<double> plain_transpose(const std::vector<double>& s, int w, int h) {
    std::vector<double> t(s.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) t[x * h + y] = s[y * w + x];
    return t;
}

std::vector<double> plain_power_spectrum(std::vector<double> re, int w, int h) {
    std::vector<double> im(re.size(), 0.0);
    fft2_centered(re.data(), im.data(), w, h);
    for (std::size_t i = 0; i < re.size(); ++i) re[i] = im[i] * im[i] + re[i] * re[i];
    return re;
}

std::vector<double> gaussian_field(std::size_t count, int level, random_state& state) {
    std::vector<double> field(count);
    for (double& e : field) e = gaussian_deviate(state) * std::pow(10.0, -level / 20.0) + 1.0;
    return field;
}

struct Sweep {
    int width, height, bin_width, bins, rows, repetitions;
    std::function<std::vector<double>(int row)> spectrum;
    std::function<std::string(int row)> label;
    bool diagonal = false;
    bool zero_centre = false;
};

struct SweepOutput {
    std::string x_table, y_table;
    std::vector<std::vector<float>> images;
};

// The sweep loop written out plainly.
SweepOutput plain_sweep(const Sweep& s) {
    const int w = s.width, h = s.height, bins = s.bins;
    std::vector<double> x(s.rows * bins, 0.0), y(x), stack(static_cast<std::size_t>(s.rows) * w * h, 0.0);
    for (int n = 1; n <= s.repetitions; ++n) {
        for (int row = 0; row < s.rows; ++row) {
            const std::vector<double> spectrum = s.spectrum(row);
            for (int p = 0; p < w * h; ++p) stack[row * w * h + p] += spectrum[p];
            const std::vector<double> t = plain_transpose(spectrum, w, h);
            if (s.diagonal) {
                straightforward_diagonal_profile(spectrum.data(), w, h, s.bin_width, bins, &x[row * bins]);
                straightforward_diagonal_profile(t.data(), h, w, s.bin_width, bins, &y[row * bins]);
            } else {
                straightforward_axis_profile(spectrum.data(), w, h, s.bin_width, bins, &x[row * bins], true);
                straightforward_axis_profile(t.data(), h, w, s.bin_width, bins, &y[row * bins], true);
            }
        }
    }
    SweepOutput out;
    for (auto [table, text, divisor] : {std::tuple{&x, &out.x_table, w}, std::tuple{&y, &out.y_table, h}}) {
        *text = frequency_header;
        for (int k = 0; k < bins; ++k) *text += format("\t%f", static_cast<double>((k + 1) * s.bin_width) / divisor);
        *text += "\n";
        for (int row = 0; row < s.rows; ++row) {
            *text += s.label(row);
            for (int k = 0; k < bins; ++k) *text += format("\t%e", (*table)[row * bins + k] / s.repetitions);
            *text += "\n";
        }
    }
    for (int row = 0; row < s.rows; ++row) {
        std::vector<float> image(w * h);
        for (int p = 0; p < w * h; ++p) image[p] = static_cast<float>(stack[row * w * h + p] / s.repetitions);
        if (s.zero_centre) image[(h / 2) * w + w / 2] = 0.0f;
        out.images.push_back(image);
    }
    return out;
}

std::string decibel_label(int start, int step, int row) { return std::to_string(start + row * step) + "dB"; }

std::vector<std::string> files_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ---------------------------------------------------------------- noise_spectrum

TEST(NoiseSpectrumTool, DialogueAndTheSpectrumOfAnOblongImage) {
    ScratchDir dir;
    const int w = 32, h = 16, b = 2, bins = 8;
    const auto noise = test_samples(w * h, 21);
    write_floats(dir / "noise.img", std::vector<float>(noise.begin(), noise.end()));
    const ToolRun run = run_tool("noise_spectrum", answers({"noise.img", "x.txt", "y.txt", "32", "16", "2"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, sjis("\nNNPSを求めるプログラム\n\n"
                            "  1. 雑音画像のファイル名      [rect_0_uni_1_-1.img] :"
                            "  2. x方向のNNPSのファイル名   [n4-4x.txt] :"
                            "  3. y方向のMNPSのファイル名   [n4-4y.txt] :"
                            "  4. 画像の幅                  [256] :"
                            "  5. 画像の高さ                [256] :"
                            "  6. NNPSの周波数ビン          [5] :"));

    // The image as read (32-bit floats), its normalised spectrum, profiles.
    std::vector<double> image(w * h);
    for (int p = 0; p < w * h; ++p) image[p] = static_cast<float>(noise[p]);
    std::vector<double> s = plain_power_spectrum(image, w, h);
    double peak = s[0];
    for (double e : s) peak = e > peak ? e : peak;
    for (double& e : s) e = e / peak;
    EXPECT_EQ(read_floats(dir / "n4-4_nnps.img"), std::vector<float>(s.begin(), s.end()));
    std::vector<double> x(bins), y(bins);
    straightforward_axis_profile(s.data(), w, h, b, bins, x.data(), false);
    const auto t = plain_transpose(s, w, h);
    straightforward_axis_profile(t.data(), h, w, b, bins, y.data(), false);
    std::string x_text, y_text;
    for (int k = 0; k < bins; ++k) x_text += format("%e\n", x[k]), y_text += format("%e\n", y[k]);
    EXPECT_EQ(read_file(dir / "x.txt"), x_text);
    EXPECT_EQ(read_file(dir / "y.txt"), y_text);
    EXPECT_NE(y_text.find("nan"), std::string::npos);  // radii beyond H/2 in y: empty bins
}

TEST(NoiseSpectrumTool, ConstantImageDefaultsAndNoBins) {
    ScratchDir dir;
    write_floats(dir / "rect_0_uni_1_-1.img", std::vector<float>(256 * 256, 0.25f));
    ASSERT_EQ(run_tool("noise_spectrum", "", dir.path()).exit_status, 0);
    const auto spectrum = read_floats(dir / "n4-4_nnps.img");
    ASSERT_EQ(spectrum.size(), 65536u);
    EXPECT_EQ(spectrum[128 * 256 + 128], 1.0f);
    EXPECT_EQ(*std::max_element(spectrum.begin(), spectrum.end()), 1.0f);
    std::string zeros;
    for (int k = 0; k < 25; ++k) zeros += "0.000000e+00\n";
    EXPECT_EQ(read_file(dir / "n4-4x.txt"), zeros);
    EXPECT_EQ(read_file(dir / "n4-4y.txt"), zeros);

    write_floats(dir / "small.img", std::vector<float>(64, 1.0f));
    ASSERT_EQ(run_tool("noise_spectrum", answers({"small.img", "a.txt", "b.txt", "8", "8", "5"}), dir.path()).exit_status, 0);
    EXPECT_EQ(read_file(dir / "a.txt"), "");
    EXPECT_EQ(read_file(dir / "b.txt"), "");
}

TEST(NoiseSpectrumTool, RefusesUnusableSizesBeforeAnyFile) {
    ScratchDir dir;
    write_floats(dir / "n.img", std::vector<float>(64, 1.0f));
    for (const auto& a : {answers({"n.img", "x.txt", "y.txt", "12", "8"}), answers({"n.img", "x.txt", "y.txt", "8", "2"}),
                          answers({"n.img", "x.txt", "y.txt", "8", "8", "0"}),
                          answers({"n.img", "x.txt", "y.txt", "-8", "-8"})}) {
        const ToolRun run = run_tool("noise_spectrum", a, dir.path());
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"n.img"});
    }
    const ToolRun missing = run_tool("noise_spectrum", answers({"none.img", "x.txt", "y.txt", "8", "8"}), dir.path());
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_EQ(missing.err, sjis(" エラー：ファイルが開きません[none.img].\n"));
}

// ---------------------------------------------------------- noise_spectrum_sweep

TEST(NoiseSpectrumSweepTool, LevelsRepetitionsAndTheCentreSetToZero) {
    ScratchDir dir;
    const int w = 16, h = 16, b = 2, rows = 3, start = -5, step = 5, pattern = 2;
    const ToolRun run = run_tool("noise_spectrum_sweep",
                                 answers({"x.txt", "y.txt", "16", "16", "-5", "5", "3", "2", "2", "2"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "\r noise average [1/2]\r noise average [2/2]\n");
    EXPECT_EQ(run.out, sjis("\nガウス雑音の雑音レベルを変えてNNPSを求めるプログラム\n\n"
                            "  1. x方向のNNPSのファイル名       [n4-5x.txt] :"
                            "  2. y方向のNNPSのファイル名       [n4-5y.txt] :"
                            "  3. 画像の幅                      [256] :"
                            "  4. 画像の高さ                    [256] :"
                            "  5. ガウス雑音の開始レベル（dB）  [5] :"
                            "  6. ガウス雑音の間隔レベル（dB）  [5] :"
                            "  7. ガウス雑音のレベルの数        [6] :"
                            "  8. 乱数のパターン番号（1以上）   [1] :"
                            "  9. NNPSの周波数ビン              [5] :"
                            " 10. 雑音平均化の回数              [1] :"));

    reset_random_program_state();
    random_state state{-pattern};
    Sweep sweep{w, h, b, 4, rows, 2, nullptr, nullptr};
    sweep.spectrum = [&](int row) {
        std::vector<double> s = plain_power_spectrum(gaussian_field(w * h, start + row * step, state), w, h);
        double peak = s[0];
        for (double e : s) peak = e > peak ? e : peak;
        for (double& e : s) e = e / peak;
        return s;
    };
    sweep.label = [&](int row) { return decibel_label(start, step, row); };
    sweep.zero_centre = true;
    const SweepOutput expected = plain_sweep(sweep);
    reset_random_program_state();

    EXPECT_EQ(read_file(dir / "x.txt"), expected.x_table);
    EXPECT_EQ(read_file(dir / "y.txt"), expected.y_table);
    EXPECT_EQ(files_in(dir.path()), (std::vector<std::string>{"n4-5_-5dB.img", "n4-5_00dB.img", "n4-5_05dB.img",
                                                              "x.txt", "y.txt"}));
    EXPECT_EQ(read_floats(dir / "n4-5_-5dB.img"), expected.images[0]);
    EXPECT_EQ(read_floats(dir / "n4-5_00dB.img"), expected.images[1]);
    EXPECT_EQ(read_floats(dir / "n4-5_05dB.img"), expected.images[2]);
    EXPECT_EQ(read_floats(dir / "n4-5_05dB.img")[8 * 16 + 8], 0.0f);
}

TEST(NoiseSpectrumSweepTool, PatternNumbersBelowOneGiveThePatternOne) {
    ScratchDir dir;
    auto run_with = [&](const std::string& pattern) {
        const ToolRun run = run_tool("noise_spectrum_sweep",
                                     answers({"x.txt", "y.txt", "8", "8", "5", "5", "1", pattern, "1", "1"}), dir.path());
        EXPECT_EQ(run.exit_status, 0);
        return read_file(dir / "x.txt") + read_file(dir / "n4-5_05dB.img");
    };
    const std::string one = run_with("1");
    EXPECT_EQ(run_with("1"), one);  // reproducible
    EXPECT_EQ(run_with("0"), one);
    EXPECT_EQ(run_with("-7"), one);
    EXPECT_EQ(run_with("-2147483648"), one);
    EXPECT_NE(run_with("2"), one);
}

// ------------------------------------------------- reconstructed-noise tools

std::vector<double> plain_reconstruction(std::vector<double> sinogram, int angles, int w, int h, FilterWindow window) {
    std::vector<double> imaginary(sinogram.size(), 0.0), image(w * h);
    fft_centered_rows(+1, sinogram.data(), imaginary.data(), angles);
    straightforward_ramp_filter(sinogram.data(), angles, 1.0, window);
    straightforward_ramp_filter(imaginary.data(), angles, 1.0, window);
    fft_centered_rows(-1, sinogram.data(), imaginary.data(), angles);
    straightforward_back_project(image.data(), w, h, 1.0, 1.0, sinogram.data(), 1.0, angles);
    return image;
}

TEST(ReconNoiseSweepTool, MatchesAPlainReconstructionOfTheSameNoise) {
    ScratchDir dir;
    const int w = 8, h = 8, start = 5, step = 10;
    const ToolRun run = run_tool("recon_noise_sweep", answers({"x.txt", "y.txt", "8", "8", "5", "10", "2", "3", "1", "2"}),
                                 dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "\r noise average [1/2]\r noise average [2/2]\n");

    reset_random_program_state();
    random_state state{-3};
    Sweep sweep{w, h, 1, 4, 2, 2, nullptr, nullptr};
    sweep.spectrum = [&](int row) {
        return plain_power_spectrum(
            plain_reconstruction(gaussian_field(512 * 512, start + row * step, state), 512, w, h, std::nullopt), w, h);
    };
    sweep.label = [&](int row) { return decibel_label(start, step, row); };
    const SweepOutput expected = plain_sweep(sweep);
    reset_random_program_state();

    EXPECT_EQ(read_file(dir / "x.txt"), expected.x_table);
    EXPECT_EQ(read_file(dir / "y.txt"), expected.y_table);
    EXPECT_EQ(read_floats(dir / "n4-6_05dB.img"), expected.images[0]);
    EXPECT_EQ(read_floats(dir / "n4-6_15dB.img"), expected.images[1]);
}

TEST(ReconNoiseWindowsTool, FiveWindowsOnOneLevel) {
    ScratchDir dir;
    const int w = 16, h = 16;
    const ToolRun run = run_tool("recon_noise_windows", answers({"x.txt", "y.txt", "16", "16", "10", "4", "2", "1"}),
                                 dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "\r noise average [1/1]\n");
    EXPECT_EQ(run.out, sjis("\n再構成フィルタの窓関数を変えてFBP雑音のNPSを求めるプログラム\n\n"
                            "  1. x方向のNPSのファイル名       [n4-7x.txt] :"
                            "  2. y方向のNPSのファイル名       [n4-7y.txt] :"
                            "  3. 画像の幅                     [512] :"
                            "  4. 画像の高さ                   [512] :"
                            "  5. ガウス雑音のレベル（dB）     [20] :"
                            "  6. 乱数のパターン番号（1以上）  [1] :"
                            "  7. NPSの周波数ビン              [5] :"
                            "  8. 雑音平均化の回数             [1] :"));

    reset_random_program_state();
    random_state state{-4};
    Sweep sweep{w, h, 2, 4, 5, 1, nullptr, nullptr};
    sweep.spectrum = [&](int window) {
        return plain_power_spectrum(plain_reconstruction(gaussian_field(512 * 512, 10, state), 512, w, h, window), w, h);
    };
    sweep.label = [](int window) { return "W" + std::to_string(window) + "(u)"; };
    const SweepOutput expected = plain_sweep(sweep);
    reset_random_program_state();

    EXPECT_EQ(read_file(dir / "x.txt"), expected.x_table);
    EXPECT_EQ(read_file(dir / "y.txt"), expected.y_table);
    for (int window = 0; window < 5; ++window)
        EXPECT_EQ(read_floats(dir / ("n4-7_w" + std::to_string(window) + "(u).img")), expected.images[window]);
}

TEST(ReconNoiseDiagonalTool, DiagonalProfilesOf403Angles) {
    ScratchDir dir;
    const int w = 16, h = 16, start = 0, step = 20;
    const ToolRun run = run_tool("recon_noise_diagonal", answers({"a.txt", "b.txt", "16", "16", "0", "20", "2", "1", "2", "1"}),
                                 dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;

    reset_random_program_state();
    random_state state{-1};
    Sweep sweep{w, h, 2, 5, 2, 1, nullptr, nullptr};  // K = √2·16/4 ≈ 5.66 → 5
    sweep.spectrum = [&](int row) {
        return plain_power_spectrum(
            plain_reconstruction(gaussian_field(403 * 512, start + row * step, state), 403, w, h, std::nullopt), w, h);
    };
    sweep.label = [&](int row) { return decibel_label(start, step, row); };
    sweep.diagonal = true;
    const SweepOutput expected = plain_sweep(sweep);
    reset_random_program_state();

    EXPECT_EQ(read_file(dir / "a.txt"), expected.x_table);
    EXPECT_EQ(read_file(dir / "b.txt"), expected.y_table);
    EXPECT_EQ(read_floats(dir / "n4-9_00dB.img"), expected.images[0]);
    EXPECT_EQ(read_floats(dir / "n4-9_20dB.img"), expected.images[1]);
}

TEST(SweepTools, NoRowsWriteHeaderOnlyTablesAndNoImage) {
    ScratchDir dir;
    const ToolRun run =
        run_tool("recon_noise_sweep", answers({"x.txt", "y.txt", "8", "8", "5", "5", "0", "1", "1", "1"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(read_file(dir / "x.txt"), frequency_header + "\t0.125000\t0.250000\t0.375000\t0.500000\n");
    EXPECT_EQ(files_in(dir.path()), (std::vector<std::string>{"x.txt", "y.txt"}));
}

TEST(SweepTools, RefuseUnusableAnswersBeforeAnyFile) {
    ScratchDir dir;
    // Answers: tables, width, height, then the tool's remaining questions.
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"noise_spectrum_sweep", {"x", "y", "12", "8"}},
        {"noise_spectrum_sweep", {"x", "y", "8", "8", "5", "5", "-1"}},
        {"recon_noise_sweep", {"x", "y", "8", "8", "5", "5", "2", "1", "0"}},
        {"recon_noise_sweep", {"x", "y", "8", "8", "5", "5", "2", "1", "1", "0"}},
        {"recon_noise_windows", {"x", "y", "8", "0"}},
        {"recon_noise_windows", {"x", "y", "8", "8", "20", "1", "1", "-3"}},
        {"recon_noise_diagonal", {"x", "y", "2", "8"}},
        {"recon_noise_diagonal", {"x", "y", "8", "8", "5", "5", "2", "1", "-2"}},
    };
    for (const auto& [tool, lines] : cases) {
        SCOPED_TRACE(tool + " " + lines.back());
        const ToolRun run = run_tool(tool, answers(lines), dir.path());
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(files_in(dir.path()).empty());
    }
}

TEST(SweepTools, TablesThatCannotBeWritten) {
    ScratchDir dir;
    const ToolRun missing = run_tool("recon_noise_diagonal",
                                     answers({"no/x.txt", "y.txt", "8", "8", "5", "5", "1", "1", "1", "1"}), dir.path());
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_NE(missing.err.find(sjis(" エラー：ファイルが開きません[no/x.txt].\n")), std::string::npos);
    const ToolRun full = run_tool("noise_spectrum_sweep",
                                  answers({"/dev/full", "y.txt", "8", "8", "5", "5", "1", "1", "1", "1"}), dir.path());
    EXPECT_EQ(full.exit_status, 1);
    EXPECT_NE(full.err.find(sjis(" エラー：ファイルに書き込めません[/dev/full].\n")), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "n4-5_05dB.img"));  // the tables come before the images
}

}  // namespace
