// detection_trials: each trial is, bit for bit, the chain oval_draw →
// raysum_quanta (its seed) → reconstruct run as separate library calls with
// the files' float32 rounding between them; the bytes do not depend on the
// thread count; the lesion's mean over the trials is its contrast × Δ (the
// reconstruction's unit); the tool writes the library's trials and refuses
// bad answers by name, before any file.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/random_deviates.h"
#include "common/raw_file.h"
#include "tests/support/thread_counts.h"
#include "tests/support/tool_runner.h"
#include "tests/support/vector_codes.h"
#include "tools/detectability/detection_trials_tool.h"
#include "tools/phantom/phantom_images.h"
#include "tools/projection/projection_tools.h"
#include "tools/recon/reconstruction.h"

namespace {

DetectionTrialsParameters small_trials() {
    DetectionTrialsParameters p;
    p.trials = 3;
    p.side = 32;
    p.pixel_length = 0.15625;  // a field of 50 mm
    p.background = 0.2;
    p.diameter = 20.0;
    p.contrast = 0.04;
    p.incident = 5000;
    p.angles = 24;
    p.first_seed = 7;
    return p;
}

std::vector<double> rounded(std::vector<double> v) {
    for (double& x : v) x = static_cast<float>(x);
    return v;
}

// The learner's chain, one tool's library call after the other.
std::vector<double> chain(const DetectionTrialsParameters& t, bool present, std::int32_t seed) {
    CollectingSink sink;
    OvalDrawParameters back{"", t.side, t.side, {0.0, 0.0, 0.8, 0.8, 0.0, t.background}};
    std::vector<double> phantom = draw_oval_image(back);
    if (present) {
        const double half_mm = t.side / 2.0 * (10 * t.pixel_length);
        const double r = t.diameter / 2 / half_mm;
        OvalDrawParameters lesion{"", t.side, t.side, {0.0, 0.0, r, r, 0.0, t.contrast}};
        const std::vector<double> disc = draw_oval_image(lesion);
        for (std::size_t i = 0; i < phantom.size(); ++i) phantom[i] += disc[i];
    }
    phantom = rounded(phantom);
    RaysumQuantaParameters q{"", t.side, t.side, t.pixel_length, "", t.side, t.angles, t.incident};
    restart_random_program_state(seed);
    const std::vector<double> sinogram = rounded(measure_sinogram_with_quanta(q, array_source(phantom), sink).samples);
    ReconstructParameters r{"", t.side, t.angles, "", t.side, t.side, t.pixel_length};
    return reconstruct_image(r, array_source(sinogram), sink).samples;
}

struct Made {
    std::vector<std::vector<double>> present, absent;
};

Made made(const DetectionTrialsParameters& p) {
    Made m;
    CollectingSink sink;
    make_detection_trials(
        p, [&](bool present, std::int32_t k, std::vector<double>& image) {
            auto& kind = present ? m.present : m.absent;
            EXPECT_EQ(static_cast<std::int32_t>(kind.size()), k - 1);  // in order
            kind.push_back(image);
        },
        sink);
    return m;
}

TEST(DetectionTrials, EachTrialIsTheToolChainBitForBitWhateverTheThreadsAndLanes) {
    const DetectionTrialsParameters p = small_trials();
    const Made m = made(p);
    ASSERT_EQ(m.present.size(), 3u);
    ASSERT_EQ(m.absent.size(), 3u);
    for (std::int32_t k = 1; k <= 3; ++k) {
        EXPECT_EQ(m.present[k - 1], chain(p, true, 6 + k)) << "present " << k;
        EXPECT_EQ(m.absent[k - 1], chain(p, false, 100006 + k)) << "absent " << k;
    }
    EXPECT_NE(m.present[0], m.present[1]);
    for_each_vector_code([&] {
        const Made lanes = made(p);
        EXPECT_EQ(lanes.present, m.present);
        EXPECT_EQ(lanes.absent, m.absent);
    });
    expect_same_bytes_for_every_thread_count([&] {
        std::vector<double> all;
        const Made again = made(p);
        for (const auto* kind : {&again.present, &again.absent})
            for (const std::vector<double>& image : *kind) all.insert(all.end(), image.begin(), image.end());
        return all;
    });
}

// Over 40 trial pairs at a high dose the lesion's mean excess over its
// central pixels is its contrast × Δ (FBP keeps the mean of a wide disc),
// outside it nothing; a radius taken in other units would miss both.
TEST(DetectionTrials, TheLesionStandsAtItsContrastAndOnlyWithinItsDiameter) {
    DetectionTrialsParameters p = small_trials();
    p.trials = 40;
    p.incident = 200000;
    p.angles = 48;
    const Made m = made(p);
    const double pixel_mm = 10 * p.pixel_length;
    double inside = 0, outside = 0;
    int n_in = 0, n_out = 0;
    for (int r = 0; r < p.side; ++r) {
        for (int c = 0; c < p.side; ++c) {
            const double x = (c - p.side / 2) * pixel_mm, y = (p.side / 2 - r) * pixel_mm;
            const double d = std::sqrt(x * x + y * y);
            const bool in = d<p.diameter / 2 - 1.5 * pixel_mm, out = d> p.diameter / 2 + 1.5 * pixel_mm && d < 17;
            if (!in && !out) continue;
            double excess = 0;
            for (int k = 0; k < p.trials; ++k) excess += m.present[k][r * p.side + c] - m.absent[k][r * p.side + c];
            (in ? inside : outside) += excess / p.trials;
            (in ? n_in : n_out) += 1;
        }
    }
    const double expected = p.contrast * p.pixel_length;
    EXPECT_NEAR(inside / n_in / expected, 1.0, 0.05);
    EXPECT_NEAR(outside / n_out / expected, 0.0, 0.05);
}

std::vector<std::string> lines_of(const DetectionTrialsParameters& p) {
    auto real = [](double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", v);
        return std::string(text);
    };
    return {std::to_string(p.trials), std::to_string(p.side), real(p.pixel_length), real(p.background),
            real(p.diameter), real(p.contrast), std::to_string(p.incident), std::to_string(p.angles),
            std::to_string(p.first_seed)};
}

TEST(DetectionTrialsTool, WritesTheLibrarysTrialsAndRefusesBadAnswersByNameBeforeAnyFile) {
    const DetectionTrialsParameters p = small_trials();
    {
        const ScratchDir dir;
        const ToolRun run = run_tool("detection_trials", answers(lines_of(p)), dir.path());
        ASSERT_EQ(run.exit_status, 0) << run.err;
        const Made m = made(p);
        for (std::int32_t k = 1; k <= 3; ++k) {
            const std::vector<float> present = read_floats(dir / ("present_" + std::to_string(k) + ".img"));
            const std::vector<float> absent = read_floats(dir / ("absent_" + std::to_string(k) + ".img"));
            EXPECT_EQ(std::vector<double>(present.begin(), present.end()), rounded(m.present[k - 1]));
            EXPECT_EQ(std::vector<double>(absent.begin(), absent.end()), rounded(m.absent[k - 1]));
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "present_4.img"));
    }
    struct Bad {
        int question;
        std::string answer, named;
    };
    const Bad bads[] = {{0, "1", "試行の数"}, {1, "0", "画像の幅と高さ"}, {2, "0", "画素長"}, {2, "-0.1", "画素長"}, {4, "60", "病変の直径"}, {4, "0", "病変の直径"}, {6, "0", "入射光子数"}, {6, "-5", "入射光子数"}, {5, "-0.3", "病変のコントラスト"}, {8, "2147483646", "最初の乱数の種"}};
    for (const Bad& bad : bads) {
        const ScratchDir dir;
        std::vector<std::string> lines = lines_of(p);
        lines[bad.question] = bad.answer;
        const ToolRun run = run_tool("detection_trials", answers(lines), dir.path());
        EXPECT_EQ(run.exit_status, 1) << bad.named << run.err;
        EXPECT_NE(run.err.find(sjis(bad.named)), std::string::npos) << run.err;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << bad.named;
    }
}

}  // namespace
