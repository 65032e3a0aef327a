// The sweep loop and its grid tables, driven by stand-in spectrum steps.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "tests/support/tool_runner.h"
#include "tools/noise/noise_parameters.h"
#include "common/raw_file.h"
#include "tools/noise/noise_sweep.h"
#include "common/random_deviates.h"
#include "tests/support/thread_counts.h"

namespace {

const std::string frequency_header = "\x8E\xFC\x94\x67\x90\x94";  // 周波数 in Shift_JIS

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string decibels(std::int32_t row) { return format_with_number("%ddB", 5 + 5 * row); }

// Stand-in steps of a row, each set by the test.
struct SweepSteps : SweepRows {
    std::function<void(std::int32_t row, SweepWork&work)> draw_step, spectrum_step;
    SweepProfile profile_step = axis_band_profile_add;
    std::function<std::string(std::int32_t)> row_label, image_name_of;
    std::function<void(double* image)> final_image;

    void draw(std::int32_t row, SweepWork& work) override { draw_step(row, work); }
    void spectrum(std::int32_t row, SweepWork& work) const override { spectrum_step(row, work); }
    void profile(const double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                 std::int32_t bins, double* out) const override {
        profile_step(spectrum, width, height, bin_width, bins, out);
    }
    std::string label(std::int32_t row) const override { return row_label(row); }
    std::string image_name(std::int32_t row) const override { return image_name_of(row); }
    void finish_image(double* image) const override {
        if (final_image) final_image(image);
    }
};

// The outcome of a sweep over the test's sizes, its arrays taken.
SweepOutcome sweep_outcome(SweepSettings settings) {
    SweepOutcome o;
    o.settings = std::move(settings);
    o.x_table.resize(static_cast<std::size_t>(o.settings.rows * o.settings.bins));
    o.y_table.resize(o.x_table.size());
    o.stack.resize(static_cast<std::size_t>(o.settings.rows * o.settings.width * o.settings.height));
    return o;
}

TEST(SweepTable, HeaderFrequenciesLabelsAndCells) {
    ScratchDir dir;
    const std::vector<double> table{1, 0.5, 2.5e-7, -3, 1e300, 0};
    write_sweep_table((dir / "t.txt").string(), table.data(), 2, 3, 5, 256, decibels);
    EXPECT_EQ(read_file(dir / "t.txt"), frequency_header +
                                            "\t0.019531\t0.039062\t0.058594\n"
                                            "5dB\t1.000000e+00\t5.000000e-01\t2.500000e-07\n"
                                            "10dB\t-3.000000e+00\t1.000000e+300\t0.000000e+00\n");
    // No bins: the header cell alone and the bare labels; no rows: the header.
    write_sweep_table((dir / "k0.txt").string(), table.data(), 2, 0, 5, 8, decibels);
    EXPECT_EQ(read_file(dir / "k0.txt"), frequency_header + "\n5dB\n10dB\n");
    write_sweep_table((dir / "r0.txt").string(), table.data(), 0, 2, 1, 4, decibels);
    EXPECT_EQ(read_file(dir / "r0.txt"), frequency_header + "\t0.250000\t0.500000\n");
}

TEST(SweepTable, ProfileTableAndAnUnwritableTable) {
    ScratchDir dir;
    const std::vector<double> profile{1.5, -2e-5};
    write_column_table((dir / "p.txt").string(), profile.data(), 2, "%e\n");
    EXPECT_EQ(read_file(dir / "p.txt"), "1.500000e+00\n-2.000000e-05\n");
    EXPECT_EXIT(as_tool([&] { write_column_table("/dev/full", profile.data(), 2, "%e\n"); }), testing::ExitedWithCode(1), "");
}

// The dimensions every profile call saw, for the test below.
std::vector<std::pair<int, int>> profile_shapes;

void recording_profile(const double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                       std::int32_t bins, double* out) {
    profile_shapes.emplace_back(width, height);
    axis_band_profile_add(spectrum, width, height, bin_width, bins, out);
}

TEST(SweepLoop, AveragesProfilesAndImagesOverTheRepetitions) {
    ScratchDir dir;
    const int w = 32, h = 16, b = 2, bins = axis_bin_count(w, b), rows = 2, repetitions = 2;
    SweepOutcome outcome =
        sweep_outcome({w, h, b, bins, rows, repetitions, (dir / "x.txt").string(), (dir / "y.txt").string()});
    std::vector<double>&x = outcome.x_table, &y = outcome.y_table;
    std::vector<std::vector<double>> spectra;  // what each draw left
    std::vector<int> order;
    SweepSteps steps;
    steps.draw_step = [&](std::int32_t row, SweepWork& work) {
        order.push_back(row);
        for (int p = 0; p < w * h; ++p) work.re[p] = (p % 7) + 3.0 * row + 0.5 * static_cast<double>(spectra.size());
        spectra.push_back(work.re);
    };
    steps.spectrum_step = [](std::int32_t, SweepWork&) {};
    steps.profile_step = recording_profile;
    steps.row_label = decibels;
    steps.image_name_of = [&](std::int32_t row) { return (dir / format_with_number("i%d.img", row)).string(); };
    steps.final_image = [&](double* image) { image[0] = -1.0; };
    profile_shapes.clear();

    testing::internal::CaptureStderr();
    noise_sweep(outcome, steps);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "\r noise average [1/2]\r noise average [2/2]\n");

    EXPECT_EQ(order, (std::vector<int>{0, 1, 0, 1}));  // repetition by repetition, rows in order
    EXPECT_EQ(profile_shapes, (std::vector<std::pair<int, int>>{{w, h}, {h, w}, {w, h}, {h, w}, {w, h}, {h, w}, {w, h}, {h, w}}));
    for (int row = 0; row < rows; ++row) {
        const auto& first = spectra[row];
        const auto& second = spectra[rows + row];
        std::vector<double> expected_x(bins, 0.0), expected_y(bins, 0.0), t;
        for (const auto* s : {&first, &second}) {
            axis_band_profile_add(s->data(), w, h, b, bins, expected_x.data());
            t = *s;
            transpose_spectrum(t.data(), w, h);
            axis_band_profile_add(t.data(), h, w, b, bins, expected_y.data());
        }
        // Bins beyond H/2 hold no sample in y: 0/0 both ways, so bits are compared.
        for (int k = 0; k < bins; ++k) {
            EXPECT_TRUE(same_bits(x[row * bins + k], expected_x[k] / 2.0)) << k;
            EXPECT_TRUE(same_bits(y[row * bins + k], expected_y[k] / 2.0)) << k;
        }
        EXPECT_TRUE(std::isnan(y[row * bins + bins - 1]));
        const auto image = read_floats(dir / format_with_number("i%d.img", row));
        ASSERT_EQ(image.size(), static_cast<std::size_t>(w * h));
        EXPECT_EQ(image[0], -1.0f);  // the final image step comes after the averaging
        for (int p = 1; p < w * h; ++p) EXPECT_EQ(image[p], static_cast<float>((first[p] + second[p]) / 2.0));
    }
    const std::string x_table = read_file(dir / "x.txt");
    EXPECT_EQ(x_table.substr(0, frequency_header.size() + 9), frequency_header + "\t0.062500");
    EXPECT_NE(x_table.find("\n10dB\t"), std::string::npos);
    EXPECT_NE(read_file(dir / "y.txt").find("\t0.125000"), std::string::npos);  // (k + 1)·b / H
}

// Realisations in batches of four per thread: with 1, 2, 3 and 8 threads
// the 15 realisations of 3 rows × 5 repetitions split differently, while the
// noise is drawn in the loop's order and summed in it.
TEST(SweepLoop, SameBytesForEveryThreadCount) {
    ScratchDir dir;
    const int w = 16, h = 8, b = 1, bins = axis_bin_count(w, b), rows = 3, repetitions = 5;
    expect_same_bytes_for_every_thread_count([&] {
        reset_random_program_state();
        random_state noise{-7};
        SweepOutcome outcome = sweep_outcome(
            {w, h, b, bins, rows, repetitions, (dir / "x.txt").string(), (dir / "y.txt").string(), w * h});
        std::vector<double>&x = outcome.x_table, &y = outcome.y_table, &stack = outcome.stack;
        SweepSteps steps;
        steps.draw_step = [&](std::int32_t row, SweepWork& work) {
            for (double& v : work.field) v = gaussian_deviate(noise) + row;
        };
        steps.spectrum_step = [&](std::int32_t, SweepWork& work) {
            for (int p = 0; p < w * h; ++p) work.re[p] = work.field[p] * work.field[(p * 7) % (w * h)];
        };
        steps.profile_step = axis_band_profile_add;
        steps.row_label = decibels;
        steps.image_name_of = [&](std::int32_t row) { return (dir / format_with_number("i%d.img", row)).string(); };
        testing::internal::CaptureStderr();
        noise_sweep(outcome, steps);
        testing::internal::GetCapturedStderr();
        stack.insert(stack.end(), x.begin(), x.end());
        stack.insert(stack.end(), y.begin(), y.end());
        return stack;
    });
}

}  // namespace
