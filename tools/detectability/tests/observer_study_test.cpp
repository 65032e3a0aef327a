// observer_study: the disc templates against their closed-form sums; on
// white-noise trials made with the suite's generator, NPW's d' against the
// closed form C·√(Σs²)/σ and against detectability's frequency-domain NPW
// within the reported 95 % interval, the interval against the asymptotic
// standard error, CHO close below NPW (NPW is the ideal observer in white
// noise); the tool's table equals the library's numbers; bad input refused.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/random_deviates.h"
#include "tests/support/tool_runner.h"
#include "tools/detectability/observers.h"
#include "tools/detectability/trial_observers.h"

namespace {

constexpr double pi = 3.14159265358979;
constexpr int side = 64;
constexpr double pixel = 0.5, diameter = 5.0, contrast = 0.2, sigma = 1.0;
constexpr int trials = 200;

double sum_of(const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return s;
}

// The integral of each disc over the plane, πR²·C/(n+1) for a designer disc,
// πR²·C for the flat and the blurred ones, in pixels.
TEST(ObserverStudy, DiscTemplatesHoldTheirClosedFormIntegrals) {
    const double area = pi * 2.5 * 2.5 / (pixel * pixel);
    Task flat;
    flat.diameter = diameter;
    EXPECT_NEAR(sum_of(task_image(flat, side, side, pixel)) / area, 1.0, 0.005);
    Task designer = flat;
    designer.shape = TaskShape::designer_disc;
    designer.exponent = 1.5;
    EXPECT_NEAR(sum_of(task_image(designer, side, side, pixel)) / (area / 2.5), 1.0, 0.005);
    Task blurred = flat;
    blurred.shape = TaskShape::blurred_disc;
    blurred.blur = 0.6;
    const std::vector<double> b = task_image(blurred, side, side, pixel);
    EXPECT_NEAR(sum_of(b) / area, 1.0, 0.005);
    // Centre: 1 − exp(−R²/(2s²)) for a disc blurred by a Gaussian of σ = s.
    EXPECT_NEAR(b[side / 2 * side + side / 2], 1.0 - std::exp(-2.5 * 2.5 / (2 * 0.6 * 0.6)), 1e-4);
}

struct Trials {
    std::vector<std::vector<double>> present, absent;
};

// White noise of σ, with the flat disc C·s in the present trials, from the
// suite's generator (started afresh from `start`).
Trials white_noise_trials(const std::vector<double>& signal, int start) {
    reset_random_program_state();
    random_state noise{-start};
    Trials t;
    for (int k = 0; k < trials; ++k) {
        std::vector<double> p(signal.size()), a(signal.size());
        for (std::size_t i = 0; i < p.size(); ++i) p[i] = contrast * signal[i] + sigma * gaussian_deviate(noise);
        for (std::size_t i = 0; i < a.size(); ++i) a[i] = sigma * gaussian_deviate(noise);
        t.present.push_back(std::move(p));
        t.absent.push_back(std::move(a));
    }
    return t;
}

TrialStudy study_of(const Trials& t, const std::vector<double>& signal, double* energy = nullptr) {
    const std::vector<double> channels = laguerre_gauss_channels(channel_width_per_diameter * diameter, side, side, pixel);
    std::vector<TrialResponses> present, absent;
    for (const auto& image : t.present) present.push_back(responses_of(image, signal, channels));
    for (const auto& image : t.absent) absent.push_back(responses_of(image, signal, channels));
    double e = 0;
    for (double w : signal) e += w * w;
    if (energy != nullptr) *energy = e;
    return study_trials(present, absent, e, 1000, 1);
}

TEST(ObserverStudy, WhiteNoiseNpwMeetsTheClosedFormAndTheFrequencyDomainWithinItsInterval) {
    Task flat;
    flat.diameter = diameter;
    const std::vector<double> signal = task_image(flat, side, side, pixel);
    for (int start : {3, 11}) {
        SCOPED_TRACE(start);
        double energy = 0;
        const TrialStudy s = study_of(white_noise_trials(signal, start), signal, &energy);
        const double closed = contrast * std::sqrt(energy) / sigma;
        EXPECT_GE(closed, s.lower.npw);
        EXPECT_LE(closed, s.upper.npw);
        EXPECT_NEAR(s.npw_amplitude, contrast, 0.25 * contrast);

        // detectability's NPW for the same task, MTF 1, white noise of σ: NPS σ²Δ².
        FrequencyGrid grid;
        grid.width = grid.height = side;
        grid.pixel = pixel;
        grid.nps.assign(side * side, sigma * sigma * pixel * pixel);
        EyeFilter eye;
        eye.pixel = pixel;
        const GridObservers observers(
            grid, [](double) { return 1.0; }, eye, 0.0);
        Task task = flat;
        task.contrast = contrast;
        const double frequency_domain = observers.d_prime(task).npw;
        EXPECT_GE(frequency_domain, s.lower.npw);
        EXPECT_LE(frequency_domain, s.upper.npw);
        EXPECT_NEAR(frequency_domain / closed, 1.0, 0.05);

        // The bootstrap's interval has the width of the asymptotic one,
        // ±1.96·√(2/N + d'²/(4N)), within 30 %.
        const double se = std::sqrt(2.0 / trials + s.d.npw * s.d.npw / (4.0 * trials));
        EXPECT_NEAR((s.upper.npw - s.lower.npw) / (2 * 1.96 * se), 1.0, 0.3);

        // White noise: NPW is the ideal observer, CHO can only come close
        // (five channels of this width hold 94 % of the disc's energy).
        EXPECT_GE(s.d.cho, 0.9 * s.d.npw);
        EXPECT_LE(s.d.cho, s.upper.npw);
        EXPECT_LT(s.lower.cho, s.d.cho);
        EXPECT_GT(s.upper.cho, s.d.cho);
    }
}

// Answers with the sizes and the task as given; the rest sane.
struct Answers {
    std::string trials = "200", width = "64", height = "64", pixel = "0.5", shape = "0", diameter = "5";
    std::vector<std::string> lines() const {
        return {trials, width, height, pixel, shape, diameter, "1", "0.5", "1000", "1", "o.txt"};
    }
};

void write_trials(const ScratchDir& dir, const Trials& t) {
    for (std::size_t k = 0; k < t.present.size(); ++k) {
        std::vector<float> p(t.present[k].begin(), t.present[k].end()), a(t.absent[k].begin(), t.absent[k].end());
        write_floats(dir / ("present_" + std::to_string(k + 1) + ".img"), p);
        write_floats(dir / ("absent_" + std::to_string(k + 1) + ".img"), a);
    }
}

Trials narrowed(Trials t) {
    for (auto* set : {&t.present, &t.absent})
        for (auto& image : *set)
            for (double& v : image) v = static_cast<float>(v);
    return t;
}

TEST(ObserverStudyTool, TheTableHoldsTheLibrarysNumbersAndBadInputIsRefusedByName) {
    Task flat;
    flat.diameter = diameter;
    const std::vector<double> signal = task_image(flat, side, side, pixel);
    const Trials t = narrowed(white_noise_trials(signal, 5));
    const TrialStudy s = study_of(t, signal);
    {
        ScratchDir dir;
        write_trials(dir, t);
        const ToolRun run = run_tool("observer_study", answers(Answers{}.lines()), dir.path());
        ASSERT_EQ(run.exit_status, 0) << run.err;
        char want[256];
        std::snprintf(want, sizeof want, "NPW\t%f\t%f\t%f\nCHO\t%f\t%f\t%f\n", s.d.npw, s.lower.npw, s.upper.npw, s.d.cho,
                      s.lower.cho, s.upper.cho);
        const std::string table = read_file(dir / "o.txt");
        EXPECT_EQ(table.substr(table.find('\n') + 1), want);
    }
    struct Bad {
        std::function<void(Answers&, const ScratchDir&)> make;
        std::string named;
    };
    const std::vector<Bad> cases = {
        {[](Answers& a, const ScratchDir&) { a.trials = "1"; }, "試行の数"},
        {[](Answers& a, const ScratchDir&) { a.pixel = "0"; }, "画素長"},
        {[](Answers& a, const ScratchDir&) { a.pixel = "-0.5"; }, "画素長"},
        {[](Answers& a, const ScratchDir&) { a.diameter = "33"; }, "円板の直径"},
        {[](Answers&, const ScratchDir& d) { std::filesystem::remove(d / "absent_7.img"); }, "absent_7.img"},
        {[](Answers&, const ScratchDir& d) { write_floats(d / "present_9.img", std::vector<float>(side * (side - 1), 1.0f)); },
         "present_9.img"},
        {[](Answers& a, const ScratchDir&) { a.trials = "201"; }, "present_201.img"},
    };
    for (const Bad& bad : cases) {
        ScratchDir dir;
        write_trials(dir, t);
        Answers a;
        bad.make(a, dir);
        const ToolRun run = run_tool("observer_study", answers(a.lines()), dir.path());
        EXPECT_EQ(run.exit_status, 1) << bad.named << run.err;
        EXPECT_NE(run.err.find(sjis(bad.named)), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "o.txt")) << bad.named;
    }
}

}  // namespace
