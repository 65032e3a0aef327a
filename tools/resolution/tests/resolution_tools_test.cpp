// step_target, slant_profile and transfer_curve run from build/bin, checked
// against a literal, quadratic rendering of the measurement and against the
// figures of the default edge.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/fft.h"
#include "tests/support/tool_runner.h"
#include "tools/resolution/edge_target.h"

namespace {

constexpr double pi = 3.14159265358979;

// ---- The measurement written out step by step, without any shortcut. ----

double literal_crossing(const std::vector<double>& v, std::size_t first, std::size_t m) {
    if (m < 2) return 0;
    double vmax = v[first];
    for (std::size_t i = 0; i < m; ++i) vmax = v[first + i] > vmax ? v[first + i] : vmax;
    const double half = vmax * 0.5;
    std::size_t r = 1;
    for (std::size_t i = 0; i < m; ++i) {
        if (v[first + i] > half) {
            r = i == 0 ? 1 : i;
            break;
        }
    }
    const double t = (v[first + r] - half) / (v[first + r] - v[first + r - 1]);
    return (1 - t) * r + t * (r - 1.0);
}

std::string format_lines(const std::vector<double>& values) {
    std::string out;
    char line[64];
    for (double x : values) out += std::string(line, std::snprintf(line, sizeof line, "%f\n", x));
    return out;
}

struct Expected {
    std::string angle_line, esf, table;
};

// slant_profile (points = N) or transfer_curve (points = 2N, then the MTF).
Expected literal_measurement(std::vector<double> v, int w, int h, int n, double delta, bool mtf) {
    const double theta = std::atan2(literal_crossing(v, (h - 1) * w, w) - literal_crossing(v, 0, w), h);
    char angle[64];
    std::snprintf(angle, sizeof angle, "%f", theta * 180 / pi);
    std::vector<double> d(v.size());
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < w; ++j) d[i * w + j] = (j - w / 2) * std::cos(theta) + (h / 2 - i) * std::sin(theta);
    }
    for (std::size_t p = 0; p + 1 < d.size(); ++p) {
        std::size_t q = p;
        for (std::size_t i = p + 1; i < d.size(); ++i) q = d[i] < d[q] ? i : q;
        std::swap(d[p], d[q]);
        std::swap(v[p], v[q]);
    }
    const double d0 = d[static_cast<std::size_t>(literal_crossing(v, 0, v.size()) + 0.5)];
    const int points = mtf ? 2 * n : n;
    std::vector<double> esf(points), lsf(points, 0.0);
    for (int b = 0; b < points; ++b) {
        const double centre = (b - points / 2) * delta + d0;
        double sum = 0;
        int count = 0;
        for (std::size_t i = 0; i < d.size(); ++i) {
            if (centre - delta <= d[i] && d[i] < centre + delta) sum += v[i], ++count;
        }
        esf[b] = sum / count;
    }
    for (int b = 0; b + 1 < points; ++b) lsf[b] = (esf[b + 1] - esf[b]) / delta;
    if (!mtf) return {std::string("傾斜角度：") + angle + " 度\n", format_lines(esf), format_lines(lsf)};
    std::vector<double> im(points, 0.0), curve(n);
    fft_centered(lsf.data(), im.data(), points);
    for (int i = 0; i < n; ++i) curve[i] = lsf[n + i] / lsf[n];
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 1; i < n; ++i) {
            const double x = ((i / delta) / n) * pi * delta;
            curve[i] = (x / std::sin(x)) * curve[i];
        }
    }
    return {std::string("傾斜角度：") + angle + " 度\n", "", format_lines(curve)};
}

std::string number(double x) {
    std::ostringstream s;
    s << x;
    return s.str();
}

// Draws an edge with step_target itself and returns it in memory too.
std::vector<double> draw(const ScratchDir& dir, const std::string& name, int w, int h, int gain, double angle) {
    const ToolRun run = run_tool("step_target", answers({name, number(w), number(h), number(gain), number(angle)}),
                                 dir.path());
    EXPECT_EQ(run.exit_status, 0) << run.err;
    std::vector<double> image;
    for (float x : read_floats(dir / name)) image.push_back(x);
    return image;
}

std::string ends_with_angle(const std::string& out) { return out.substr(out.rfind(':') + 1); }

// ---- step_target ----

TEST(StepTarget, DefaultsDrawTheDefaultEdge) {
    ScratchDir dir;
    const ToolRun run = run_tool("step_target", "", dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, sjis("\nエッジ画像を作成するプログラム\n\n"
                            "  1. エッジ画像のファイル名    [n4-1.img] :"
                            "  2. 画像の幅                  [256] :"
                            "  3. 画像の高さ                [256] :"
                            "  4. シグモイド曲線のゲイン    [2] :"
                            "  5. エッジの傾斜角度（度）    [3.000000] :"));
    std::vector<double> expected(256 * 256);
    draw_step_edge(expected, 256, 256, 2, 3.0);
    const auto image = read_floats(dir / "n4-1.img");
    ASSERT_EQ(image.size(), expected.size());
    for (std::size_t i = 0; i < image.size(); ++i) ASSERT_EQ(image[i], static_cast<float>(expected[i])) << i;
    EXPECT_EQ(image[128 * 256 + 128], 0.5f);
}

TEST(StepTarget, NegativeSizesStopBeforeTheFile) {
    ScratchDir dir;
    const ToolRun run = run_tool("step_target", answers({"e.img", "-4", "4"}), dir.path());
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "e.img"));
}

// ---- the figures of the default edge ----

TEST(SlantProfile, FiguresOfTheDefaultEdges) {
    ScratchDir dir;
    draw(dir, "edge_a2_th3.0.img", 256, 256, 2, 3.0);
    draw(dir, "edge_a1_th3.0.img", 256, 256, 1, 3.0);
    const ToolRun gain1 = run_tool("slant_profile", "", dir.path());
    ASSERT_EQ(gain1.exit_status, 0) << gain1.err;
    EXPECT_EQ(gain1.err, "");
    EXPECT_EQ(gain1.out, sjis("\nLSFを求めるプログラム\n\n"
                              "  1. エッジ画像のファイル名    [edge_a1_th3.0.img] :"
                              "  2. LSFデータのファイル名     [n4-2.txt] :"
                              "  3. 画像の幅                  [256] :"
                              "  4. 画像の高さ                [256] :"
                              "  5. 出力データ数              [256] :"
                              "  6. 出力データのピクセル長    [0.100000] :"
                              "傾斜角度：2.985479 度\n"));
    std::vector<double> lsf, esf;
    for (std::istringstream s(read_file(dir / "n4-2.txt")); !s.eof();) lsf.push_back(0), s >> lsf.back() >> std::ws;
    for (std::istringstream s(read_file(dir / "esf.txt")); !s.eof();) esf.push_back(0), s >> esf.back() >> std::ws;
    ASSERT_EQ(lsf.size(), 256u);
    ASSERT_EQ(esf.size(), 256u);
    EXPECT_NEAR(esf[0], 0, 1e-4);
    EXPECT_NEAR(esf[128], 0.499, 1e-3);
    EXPECT_NEAR(esf[255], 1, 1e-4);
    EXPECT_EQ(std::max_element(lsf.begin(), lsf.end()) - lsf.begin(), 129);
    EXPECT_NEAR(lsf[129], 0.26, 0.005);
    double area = 0;
    for (double x : lsf) area += x * 0.1;
    EXPECT_NEAR(area, 1, 1e-3);

    const ToolRun gain2 = run_tool("slant_profile", answers({"edge_a2_th3.0.img", "g2.txt"}), dir.path());
    EXPECT_EQ(ends_with_angle(gain2.out), sjis("傾斜角度：2.977850 度\n"));
    const std::string g2 = read_file(dir / "g2.txt");
    EXPECT_EQ(g2.substr(128 * 9, 9), "0.503466\n");  // the peak, on line 128
}

TEST(TransferCurve, FiguresOfTheDefaultEdge) {
    ScratchDir dir;
    draw(dir, "edge_a2_th3.0.img", 256, 256, 2, 3.0);
    const ToolRun run = run_tool("transfer_curve", "", dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, sjis("\nMTFを求めるプログラム\n\n"
                            "  1. エッジ画像のファイル名    [edge_a2_th3.0.img] :"
                            "  2. MTFデータのファイル名     [n4-3.txt] :"
                            "  3. 画像の幅                  [256] :"
                            "  4. 画像の高さ                [256] :"
                            "  5. 出力データ数              [256] :"
                            "  6. 出力データのピクセル長    [0.100000] :"
                            "傾斜角度：2.977850 度\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / "esf.txt"));
    std::vector<double> mtf;
    for (std::istringstream s(read_file(dir / "n4-3.txt")); !s.eof();) mtf.push_back(0), s >> mtf.back() >> std::ws;
    ASSERT_EQ(mtf.size(), 256u);
    EXPECT_EQ(mtf[0], 1.0);
    EXPECT_NEAR(mtf[1], 0.9938, 5e-5);
    EXPECT_NEAR(mtf[10], 0.573, 5e-4);
    EXPECT_NEAR(mtf[25], 0.078, 5e-4);
    for (int i = 1; i <= 26; ++i) {  // the transfer function of the drawn sigmoid
        const double f = i / (2 * 256 * 0.1) * pi * pi;
        EXPECT_NEAR(mtf[i], f / std::sinh(f), 5e-3) << i;
    }
}

// ---- every byte against the literal measurement, on images full of ties ----

TEST(SlantProfileAndTransferCurve, MatchTheLiteralMeasurementByteForByte) {
    struct Case {
        int w, h, gain;
        double angle, delta;
        int n;
    };
    const Case cases[] = {
        {24, 20, 2, 0.0, 0.5, 16},  // untilted: every column one distance
        {17, 17, 1, 45.0, 0.25, 32},  // diagonal, odd size
        {31, 9, 3, 3.0, 0.1, 64},
        {16, 16, 1, 7.0, 0.05, 128},  // many empty windows: NaN lines
        {15, 12, 2, -20.0, 0.3, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.angle);
        ScratchDir dir;
        const auto image = draw(dir, "e.img", c.w, c.h, c.gain, c.angle);
        const std::vector<std::string> a = {"e.img", "t.txt", number(c.w), number(c.h), number(c.n), number(c.delta)};

        const ToolRun lsf_run = run_tool("slant_profile", answers(a), dir.path());
        ASSERT_EQ(lsf_run.exit_status, 0) << lsf_run.err;
        const Expected lsf = literal_measurement(image, c.w, c.h, c.n, c.delta, false);
        EXPECT_EQ(ends_with_angle(lsf_run.out), sjis(lsf.angle_line));
        EXPECT_EQ(read_file(dir / "esf.txt"), lsf.esf);
        EXPECT_EQ(read_file(dir / "t.txt"), lsf.table);

        const ToolRun mtf_run = run_tool("transfer_curve", answers(a), dir.path());
        ASSERT_EQ(mtf_run.exit_status, 0) << mtf_run.err;
        const Expected mtf = literal_measurement(image, c.w, c.h, c.n, c.delta, true);
        EXPECT_EQ(ends_with_angle(mtf_run.out), sjis(mtf.angle_line));
        EXPECT_EQ(read_file(dir / "t.txt"), mtf.table);
    }
}

TEST(SlantProfile, SmallAndEmptyPointCounts) {
    ScratchDir dir;
    draw(dir, "e.img", 8, 8, 2, 3.0);
    ASSERT_EQ(run_tool("slant_profile", answers({"e.img", "one.txt", "8", "8", "1"}), dir.path()).exit_status, 0);
    EXPECT_EQ(read_file(dir / "one.txt"), "0.000000\n");
    ASSERT_EQ(run_tool("slant_profile", answers({"e.img", "none.txt", "8", "8", "0"}), dir.path()).exit_status, 0);
    EXPECT_EQ(read_file(dir / "none.txt"), "");
    EXPECT_EQ(read_file(dir / "esf.txt"), "");
    const ToolRun negative = run_tool("slant_profile", answers({"e.img", "neg.txt", "8", "8", "-3"}), dir.path());
    EXPECT_EQ(negative.exit_status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "neg.txt"));
}

// ---- images the measurement cannot use, and bad parameters ----

TEST(SlantProfile, AnAngleThatCannotBeMeasuredEndsBeforeAnyFile) {
    // A flat row, an all-zero row (the top of a phantom) and a NaN row have
    // no half-maximum crossing: the angle line is printed, then the tool
    // ends with status 1 and the files of an earlier run stay as they were.
    ScratchDir dir;
    std::vector<float> phantom_like(64, 0.0f);
    for (int i = 24; i < 40; ++i) phantom_like[i] = 1.0f;  // rows 3 and 4 bright, first and last rows 0
    std::vector<float> nan_row(64, 1.0f);
    for (int j = 56; j < 64; ++j) nan_row[j] = std::numeric_limits<float>::quiet_NaN();
    write_floats(dir / "flat.img", std::vector<float>(64, 0.25f));
    write_floats(dir / "zero_rows.img", phantom_like);
    write_floats(dir / "nan_row.img", nan_row);
    for (const char* image : {"flat.img", "zero_rows.img", "nan_row.img"}) {
        for (const char* tool : {"slant_profile", "transfer_curve"}) {
            write_file(dir / "t.txt", "earlier table\n");
            write_file(dir / "esf.txt", "earlier esf\n");
            const ToolRun run = run_tool(tool, answers({image, "t.txt", "8", "8", "8"}), dir.path());
            EXPECT_EQ(run.exit_status, 1) << tool << image;
            EXPECT_NE(run.out.find(sjis("傾斜角度：")), std::string::npos);
            EXPECT_NE(run.err.find(sjis(" エラー：エッジの傾斜角度が求まりません[")), std::string::npos) << run.err;
            EXPECT_EQ(read_file(dir / "t.txt"), "earlier table\n");
            EXPECT_EQ(read_file(dir / "esf.txt"), "earlier esf\n");
        }
    }
    // No pixels at all.
    std::filesystem::remove(dir / "t.txt");
    const ToolRun empty = run_tool("slant_profile", answers({"flat.img", "t.txt", "0", "8", "8"}), dir.path());
    EXPECT_EQ(empty.exit_status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "t.txt"));
}

TEST(SlantProfile, ARowStartingBrightWarnsAndStillMeasures) {
    ScratchDir dir;
    std::vector<double> image = draw(dir, "e.img", 16, 16, 2, 3.0);
    image[0] = 1;  // a hot pixel starts the first row
    write_floats(dir / "e.img", std::vector<float>(image.begin(), image.end()));
    const ToolRun run = run_tool("slant_profile", answers({"e.img", "t.txt", "16", "16", "16"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, sjis(" 警告：エッジが暗から明へ変わっていません[先頭の行].\n"));
    const Expected expected = literal_measurement(image, 16, 16, 16, 0.1, false);
    EXPECT_EQ(ends_with_angle(run.out), sjis(expected.angle_line));
    EXPECT_EQ(read_file(dir / "t.txt"), expected.table);
}

TEST(SlantProfile, ABrightToDarkEdgeCannotBeLocated) {
    ScratchDir dir;
    draw(dir, "e.img", 16, 16, 2, 180.0);
    const ToolRun run = run_tool("slant_profile", answers({"e.img", "t.txt", "16", "16", "16"}), dir.path());
    EXPECT_EQ(run.exit_status, 1);
    const std::string warning = sjis(" 警告：エッジが暗から明へ変わっていません[");
    EXPECT_EQ(run.err.substr(0, warning.size()), warning);
    EXPECT_NE(run.err.find(sjis("エラー：エッジの位置が求まりません")), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "t.txt"));
}

TEST(TransferCurve, PointCountsThatAreNotPowersOfTwoStopBeforeAnyFile) {
    ScratchDir dir;
    for (const char* n : {"100", "1", "0", "-256", "1073741824"}) {
        const ToolRun run = run_tool("transfer_curve", answers({"missing.img", "t.txt", "8", "8", n}), dir.path());
        EXPECT_EQ(run.exit_status, 1) << n;
        EXPECT_NE(run.err.find(sjis("2のべき乗")), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "t.txt"));
    }
}

TEST(SlantProfileAndTransferCurve, FilesThatCannotBeOpenedOrWritten) {
    ScratchDir dir;
    for (const char* tool : {"slant_profile", "transfer_curve"}) {
        const ToolRun missing = run_tool(tool, answers({"none.img", "t.txt", "8", "8", "8"}), dir.path());
        EXPECT_EQ(missing.exit_status, 1);
        EXPECT_EQ(missing.err, sjis(" エラー：ファイルが開きません[none.img].\n"));
    }
    draw(dir, "e.img", 8, 8, 2, 3.0);
    const ToolRun full = run_tool("slant_profile", answers({"e.img", "/dev/full", "8", "8", "8"}), dir.path());
    EXPECT_EQ(full.exit_status, 1);
    EXPECT_EQ(full.err, sjis(" エラー：ファイルに書き込めません[/dev/full].\n"));
    const std::string esf = read_file(dir / "esf.txt");  // written first, and complete
    EXPECT_EQ(std::count(esf.begin(), esf.end(), '\n'), 8);
}

}  // namespace
