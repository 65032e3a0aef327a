// Spectrum operations and band profiles, the fast single-pass profiles
// against the plain per-bin loops.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "common/fft.h"
#include "common/random_deviates.h"
#include "tools/noise/noise_parameters.h"
#include "tools/noise/power_profiles.h"
#include "tools/noise/tests/straightforward.h"

namespace {

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

struct Shape {
    int width, height, bin_width;
};

TEST(BandProfiles, FastProfilesGiveTheBitsOfThePlainLoops) {
    for (const Shape s : {Shape{8, 8, 1}, Shape{16, 16, 3}, Shape{32, 32, 2}, Shape{64, 16, 5}, Shape{16, 64, 1},
                          Shape{256, 256, 5}, Shape{128, 128, 7}, Shape{32, 8, 2}}) {
        SCOPED_TRACE(testing::Message() << s.width << " x " << s.height << " b " << s.bin_width);
        const auto spectrum = test_samples(static_cast<std::size_t>(s.width) * s.height, s.width + s.bin_width);
        for (int bins : {axis_bin_count(s.width, s.bin_width), diagonal_bin_count(s.width, s.bin_width)}) {
            std::vector<double> fast(bins, 0.25), plain(bins, 0.25);
            axis_band_profile(spectrum.data(), s.width, s.height, s.bin_width, bins, fast.data(), ProfileMode::add);
            straightforward_axis_profile(spectrum.data(), s.width, s.height, s.bin_width, bins, plain.data(), true);
            EXPECT_TRUE(same_bits(fast, plain));
            axis_band_profile(spectrum.data(), s.width, s.height, s.bin_width, bins, fast.data(), ProfileMode::store);
            straightforward_axis_profile(spectrum.data(), s.width, s.height, s.bin_width, bins, plain.data(), false);
            EXPECT_TRUE(same_bits(fast, plain));
            diagonal_band_profile(spectrum.data(), s.width, s.height, s.bin_width, bins, fast.data());
            straightforward_diagonal_profile(spectrum.data(), s.width, s.height, s.bin_width, bins, plain.data());
            EXPECT_TRUE(same_bits(fast, plain));
        }
    }
}

TEST(BandProfiles, SelectionOfTheAxisBandAndTheDiagonal) {
    const int w = 32, h = 32, b = 2, bins = axis_bin_count(w, b);
    // One sample on the zero-frequency row at m = 2·b: outside the axis band,
    // inside the diagonal selection (v·m = 0), in bin 1.
    std::vector<double> s(w * h, 0.0);
    s[(h / 2) * w + w / 2 + 2 * b] = 1.0;
    std::vector<double> axis(bins), diagonal(bins, 0.0);
    axis_band_profile(s.data(), w, h, b, bins, axis.data(), ProfileMode::store);
    diagonal_band_profile(s.data(), w, h, b, bins, diagonal.data());
    for (int k = 0; k < bins; ++k) EXPECT_EQ(axis[k], 0.0) << k;
    EXPECT_GT(diagonal[1], 0.0);
    EXPECT_EQ(diagonal[0], 0.0);

    // A constant spectrum gives the constant in every bin of both profiles.
    std::vector<double> three(w * h, 3.0);
    axis_band_profile(three.data(), w, h, b, bins, axis.data(), ProfileMode::store);
    std::fill(diagonal.begin(), diagonal.end(), 0.0);
    diagonal_band_profile(three.data(), w, h, b, bins, diagonal.data());
    for (int k = 0; k < bins; ++k) {
        EXPECT_EQ(axis[k], 3.0);
        EXPECT_EQ(diagonal[k], 3.0);
    }
}

TEST(BandProfiles, BinsWithoutSamplesKeepZeroOverZero) {
    // 64 wide, 8 tall, transposed: the y profile sees 8 columns, so the bins
    // beyond radius 4 hold no sample and give 0/0.
    const auto s = test_samples(64 * 8, 3);
    const int bins = axis_bin_count(64, 2);
    std::vector<double> profile(bins);
    axis_band_profile(s.data(), 8, 64, 2, bins, profile.data(), ProfileMode::store);
    EXPECT_FALSE(std::isnan(profile[0]));
    EXPECT_TRUE(std::isnan(profile[bins - 1]));
}

TEST(SpectrumSteps, PowerSpectrumAndNormalisationToThePeak) {
    std::vector<double> re{3, -1, 2, 0}, im{4, 1, 0, 0};
    power_spectrum(re.data(), im.data(), 4);
    EXPECT_EQ(re, (std::vector<double>{25, 2, 4, 0}));
    EXPECT_EQ(im, (std::vector<double>{4, 1, 0, 0}));
    normalize_to_peak(re.data(), 4);
    EXPECT_EQ(re, (std::vector<double>{1, 2.0 / 25, 4.0 / 25, 0}));

    // Divided, not multiplied by the reciprocal (3/7 ≠ 3·(1/7) in doubles).
    std::vector<double> sevens{7, 3};
    normalize_to_peak(sevens.data(), 2);
    EXPECT_EQ(sevens[1], 3.0 / 7.0);

    // The spectrum of a constant positive image, normalised: 1 at the centre.
    const int w = 16, h = 8;
    std::vector<double> image(w * h, 0.5), zeros(w * h, 0.0);
    fft2_centered(image.data(), zeros.data(), w, h);
    power_spectrum(image.data(), zeros.data(), w * h);
    normalize_to_peak(image.data(), w * h);
    EXPECT_EQ(image[(h / 2) * w + w / 2], 1.0);
    for (int i = 0; i < w * h; ++i) {
        if (i != (h / 2) * w + w / 2) {
            EXPECT_NEAR(image[i], 0.0, 1e-25);
        }
    }
}

TEST(SpectrumSteps, TransposeOfSquareAndOfOblongSpectra) {
    // Square: the rule T[i·W + j] = S[j·H + i].
    const int n = 8;
    const auto square = test_samples(n * n, 5);
    std::vector<double> t = square;
    transpose_spectrum(t.data(), n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) EXPECT_EQ(t[i * n + j], square[j * n + i]);

    // Oblong: W = 8, H = 4 becomes 4 wide and 8 tall, (y, x) → (x, y); the
    // zero frequency (row 2, column 4) lands at (row 4, column 2).
    const int w = 8, h = 4;
    std::vector<double> s(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s[y * w + x] = 10 * y + x;
    transpose_spectrum(s.data(), w, h);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) EXPECT_EQ(s[x * h + y], 10 * y + x);
    EXPECT_EQ(s[(w / 2) * h + h / 2], 10 * (h / 2) + w / 2);
}

TEST(SpectrumSteps, TransposedProfileRunsAlongTheVerticalAxis) {
    // A spectrum 32 wide, 64 tall with power only on the vertical frequency
    // axis' neighbour columns (m = ±1) at |v| = 10: the y profile finds it
    // in the bin of radius 10, the x profile nowhere.
    const int w = 32, h = 64, b = 2, bins = axis_bin_count(w, b);
    std::vector<double> s(w * h, 0.0);
    for (int v : {10, -10})
        for (int m : {1, -1}) s[(h / 2 - v) * w + w / 2 + m] = 4.0;
    std::vector<double> x(bins), y(bins);
    axis_band_profile(s.data(), w, h, b, bins, x.data(), ProfileMode::store);
    transpose_spectrum(s.data(), w, h);
    axis_band_profile(s.data(), h, w, b, bins, y.data(), ProfileMode::store);
    for (int k = 0; k < bins; ++k) EXPECT_EQ(x[k], 0.0);
    EXPECT_GT(y[4], 0.0);  // radius √101 ≈ 10.05 lies in [9, 11): bin 4
    for (int k = 0; k < bins; ++k) {
        if (k != 4) {
            EXPECT_EQ(y[k], 0.0) << k;
        }
    }
}

TEST(NoiseField, LevelsInDecibelsAndTheSpareAcrossFields) {
    reset_random_program_state();
    random_state a{-1};
    std::vector<double> field(5);
    fill_noise_field(field.data(), 5, 20, a);  // σ = 0.1, odd count: a spare stays
    std::vector<double> next(2);
    fill_noise_field(next.data(), 2, 0, a);  // σ = 1

    reset_random_program_state();
    random_state b{-1};
    std::vector<double> g(7);
    for (double& e : g) e = gaussian_deviate(b);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(field[i], g[i] * std::pow(10.0, -20.0 / 20.0) + 1.0);
    EXPECT_EQ(next[0], g[5] + 1.0);
    EXPECT_EQ(next[1], g[6] + 1.0);
    EXPECT_NEAR(field[0], 1 - 0.0836853802593, 1e-12);
    reset_random_program_state();
}

TEST(NoiseParameters, DerivedValues) {
    EXPECT_EQ(axis_bin_count(256, 5), 25);
    EXPECT_EQ(axis_bin_count(512, 5), 51);
    EXPECT_EQ(axis_bin_count(8, 5), 0);
    EXPECT_EQ(axis_bin_count(256, std::numeric_limits<std::int32_t>::max()), 0);
    EXPECT_EQ(diagonal_bin_count(256, 5), 36);
    EXPECT_EQ(diagonal_bin_count(16, 1), 11);

    EXPECT_EQ(negated_pattern_number(1), -1);
    EXPECT_EQ(negated_pattern_number(-4), 4);
    EXPECT_EQ(negated_pattern_number(std::numeric_limits<std::int32_t>::min()),
              std::numeric_limits<std::int32_t>::min());

    EXPECT_EQ(level_of_row(-5, 5, 3), 10);
    EXPECT_EQ(level_of_row(std::numeric_limits<std::int32_t>::max(), 1, 1), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(format_with_number("n4-5_%02ddB.img", 5), "n4-5_05dB.img");
    EXPECT_EQ(format_with_number("n4-5_%02ddB.img", -5), "n4-5_-5dB.img");
    EXPECT_EQ(format_with_number("W%d(u)", 4), "W4(u)");

    EXPECT_EQ(stack_count(3, 16), 48);
    EXPECT_EQ(stack_count(0, 16), 0);
    EXPECT_EQ(stack_count(std::numeric_limits<std::int32_t>::max(), std::int64_t{1} << 60),
              std::numeric_limits<std::int64_t>::max());
}

}  // namespace
