// detectability run from build/bin: each noise file the suite writes, once
// converted, gives the d' of the white noise it holds; an MTF table gives the
// d' of the MTF it samples; bad answers and files are refused before any
// output; the tables do not depend on the thread count.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/tool_runner.h"

namespace {

constexpr double pi = 3.14159265358979;
const std::vector<std::string> outputs = {"d.txt", "dd.txt", "di.txt"};

// Answers with the MTF, the NPS and the task as given; the rest sane.
struct Answers {
    std::string mtf_kind = "1", mtf_file = "mtf.txt", spacing = "0.1", mtf_sigma = "0.3";
    std::string nps_kind = "3", nps_file = "nps.img", row = "1", sigma = "0.02";
    std::string width = "64", height = "64", pixel = "0.5";
    std::string shape = "0", diameter = "6", contrast = "0.02";
    std::vector<std::string> lines() const {
        return {mtf_kind, mtf_file, spacing, mtf_sigma, nps_kind, nps_file, row, sigma, width, height, pixel, shape,
                diameter, contrast, "1", "0.3", "1.3", "4", "500", "0.25", "1", "0.1", "1", "1", "10",
                outputs[0], outputs[1], outputs[2]};
    }
};

// The three d' of the first table.
std::vector<double> d_primes(const ScratchDir& dir) {
    std::vector<double> d;
    const std::string text = read_file(dir / "d.txt");
    for (const char* label : {"\nNPW\t", "\nNPWE\t", "\nNPWEi\t"}) {
        const std::size_t at = text.find(label);
        EXPECT_NE(at, std::string::npos) << text;
        d.push_back(at == std::string::npos ? 0.0 : std::stod(text.substr(at + std::string(label).size())));
    }
    return d;
}

std::vector<double> run_ok(const ScratchDir& dir, const Answers& a) {
    const ToolRun run = run_tool("detectability", answers(a.lines()), dir.path());
    EXPECT_EQ(run.exit_status, 0) << run.err;
    return d_primes(dir);
}

void expect_close(const std::vector<double>& got, const std::vector<double>& want, double relative) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i] / want[i], 1.0, relative) << i;
}

std::string table_of_frequencies(int width, double value) {
    std::string t = sjis("周波数");
    for (int k = 0; k < width / 2; ++k) t += "\t" + std::to_string((k + 1.0) / width);
    t += "\n20dB";
    for (int k = 0; k < width / 2; ++k) t += "\t" + std::to_string(value);
    return t + "\n";
}

// White noise of pixel deviation σ on a mean μ, as noise_spectrum would leave
// its expected spectrum: W·H·σ² everywhere over (W·H·μ)² at the zero
// frequency, which becomes 1; the reconstructed-noise files keep W·H·σ²
// everywhere. Every kind then gives the d' of white noise σ/μ (contrast
// relative to μ) or σ.
TEST(DetectabilityTool, EveryNoiseFileConvertsToTheNpsOfTheWhiteNoiseItHolds) {
    ScratchDir dir;
    const int side = 64;
    const double sigma = 0.02, mean = 2.0, samples = side * side;
    Answers white;
    const std::vector<double> reference = run_ok(dir, white);

    const double absolute = sigma * mean;  // σ/μ is the answer's 0.02
    std::vector<float> nnps(side * side, static_cast<float>(samples * absolute * absolute / (samples * mean * samples * mean)));
    nnps[side / 2 * side + side / 2] = 1.0f;
    write_floats(dir / "nnps.img", nnps);
    Answers relative = white;
    relative.nps_kind = "0";
    relative.nps_file = "nnps.img";
    expect_close(run_ok(dir, relative), reference, 1e-5);

    std::vector<float> nps(side * side, static_cast<float>(samples * sigma * sigma));
    write_floats(dir / "nps.img", nps);
    Answers image = white;
    image.nps_kind = "1";
    expect_close(run_ok(dir, image), reference, 1e-5);

    // The tables go to 0 at the zero frequency, as an image with 0 there does.
    nps[side / 2 * side + side / 2] = 0.0f;
    write_floats(dir / "nps.img", nps);
    const std::vector<double> from_image = run_ok(dir, image);
    write_file(dir / "nps.txt", table_of_frequencies(side, samples * sigma * sigma));
    Answers table = white;
    table.nps_kind = "2";
    table.nps_file = "nps.txt";
    expect_close(run_ok(dir, table), from_image, 1e-5);
}

// transfer_curve's line i stands at i/(2·N·s) cycles/pixel: a table of the
// Gaussian MTF sampled there gives the Gaussian's d'.
TEST(DetectabilityTool, AnMtfTableGivesTheDPrimeOfTheMtfItSamples) {
    ScratchDir dir;
    const int lines = 256;
    const double spacing = 0.1, pixel = 0.5, s = 0.3;
    std::string table;
    for (int i = 0; i < lines; ++i) {
        const double rho = i / (2.0 * lines * spacing) / pixel;
        char line[32];
        std::snprintf(line, sizeof line, "%f\n", std::exp(-2 * pi * pi * s * s * rho * rho));
        table += line;
    }
    write_file(dir / "mtf.txt", table);
    Answers gaussian;
    const std::vector<double> reference = run_ok(dir, gaussian);
    Answers from_table = gaussian;
    from_table.mtf_kind = "0";
    expect_close(run_ok(dir, from_table), reference, 2e-3);
}

TEST(DetectabilityTool, BadAnswersAndFilesAreRefusedByNameBeforeAnyOutput) {
    struct Bad {
        std::function<void(Answers&, const ScratchDir&)> make;
        std::string named;
    };
    const std::vector<Bad> cases = {
        {[](Answers& a, const ScratchDir&) { a.pixel = "0"; }, "画素長"},
        {[](Answers& a, const ScratchDir&) { a.diameter = "40"; }, "円板の直径"},
        {[](Answers& a, const ScratchDir&) { a.width = "63"; }, "画像の幅"},
        {[](Answers& a, const ScratchDir& d) {
             a.mtf_kind = "0";
             write_file(d / "mtf.txt", "1.0\t0.5\n0.9\t0.4\n");
         },
         "[mtf.txt]"},
        {[](Answers& a, const ScratchDir& d) {
             a.mtf_kind = "0";
             a.spacing = "1";
             write_file(d / "mtf.txt", "1.0\n0.9\n0.8\n");  // stops at 1/3 cycles/pixel
         },
         "[mtf.txt]"},
        {[](Answers& a, const ScratchDir& d) {
             a.nps_kind = "0";
             write_floats(d / "nps.img", std::vector<float>(64 * 64, 0.5f));  // no 1 at the zero frequency
         },
         "[nps.img]"},
        {[](Answers& a, const ScratchDir& d) {
             a.nps_kind = "2";
             write_file(d / "nps.img", table_of_frequencies(64, 1.0));
             a.row = "2";
         },
         "NPS"},
        {[](Answers& a, const ScratchDir& d) {
             a.nps_kind = "2";
             write_file(d / "nps.img", "1.0\n2.0\n");
         },
         "[nps.img]"},
    };
    for (const Bad& bad : cases) {
        ScratchDir dir;
        Answers a;
        bad.make(a, dir);
        const ToolRun run = run_tool("detectability", answers(a.lines()), dir.path());
        EXPECT_EQ(run.exit_status, 1) << bad.named << run.err;
        EXPECT_NE(run.err.find(sjis(bad.named)), std::string::npos) << run.err;
        for (const std::string& name : outputs) EXPECT_FALSE(std::filesystem::exists(dir / name)) << bad.named;
    }
}

TEST(DetectabilityTool, TablesHaveTheSameBytesForEveryThreadCount) {
    std::string first;
    for (const char* threads : {"OMP_NUM_THREADS=1", "OMP_NUM_THREADS=3"}) {
        ScratchDir dir;
        Answers a;
        a.shape = "1";
        const ToolRun run = run_tool_with("detectability", {}, answers(a.lines()), dir.path(), {threads});
        ASSERT_EQ(run.exit_status, 0) << run.err;
        const std::string bytes = read_file(dir / "d.txt") + read_file(dir / "dd.txt") + read_file(dir / "di.txt");
        if (first.empty()) first = bytes;
        EXPECT_EQ(bytes, first) << threads;
    }
}

}  // namespace
