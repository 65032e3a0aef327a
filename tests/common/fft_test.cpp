#include "common/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<double> random_values(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(n);
    for (double& x : v) x = dist(gen);
    return v;
}

void transform(int direction, std::vector<double>& re, std::vector<double>& im) {
    const int n = static_cast<int>(re.size());
    const FftTables t = fft_make_tables(n);
    fft_transform(direction, n, re.data(), im.data(), t.sin_table.data(), t.cos_table.data(), t.bitrev.data());
}

TEST(Fft, TablesHoldSinesCosinesAndReversedBits) {
    const FftTables t = fft_make_tables(8);
    const std::int32_t bitrev[] = {0, 4, 2, 6, 1, 5, 3, 7};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(t.bitrev[i], bitrev[i]);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(t.sin_table[k], std::sin(k * 6.28318530717958 / 8), 1e-14);
        EXPECT_NEAR(t.cos_table[k], std::cos(k * 6.28318530717958 / 8), 1e-14);
    }
    EXPECT_EQ(t.cos_table[0], t.sin_table[2]);  // the very sine value, a quarter away
    EXPECT_EQ(t.cos_table[2], -t.sin_table[0]);  // upper half: sign changed
}

TEST(Fft, ImpulseAtIndexZeroIsFlat) {
    std::vector<double> re(16, 0.0), im(16, 0.0);
    re[0] = 1;
    transform(+1, re, im);
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(re[k], 1.0, 1e-15);
        EXPECT_NEAR(im[k], 0.0, 1e-15);
    }
}

TEST(Fft, SignConventionIsNegativeExponent) {
    std::vector<double> re = {0, 1, 0, 0}, im = {0, 0, 0, 0};
    transform(+1, re, im);
    const double want_re[] = {1, 0, -1, 0}, want_im[] = {0, -1, 0, 1};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(re[k], want_re[k], 1e-15);
        EXPECT_NEAR(im[k], want_im[k], 1e-15);
    }
}

TEST(Fft, ForwardThenInverseReturnsTheInput) {
    for (int n : {4, 8, 64, 512}) {
        const auto re0 = random_values(n, 1), im0 = random_values(n, 2);
        auto re = re0, im = im0;
        transform(+1, re, im);
        transform(-1, re, im);
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(re[k], re0[k], 1e-13);
            EXPECT_NEAR(im[k], im0[k], 1e-13);
        }
    }
}

TEST(Fft, MatchesTheDefinition) {
    const int n = 32;
    const auto x = random_values(n, 3);
    auto re = x;
    std::vector<double> im(n, 0.0);
    transform(+1, re, im);
    for (int k = 0; k < n; ++k) {
        double sr = 0, si = 0;
        for (int m = 0; m < n; ++m) {
            sr += x[m] * std::cos(2 * M_PI * k * m / n);
            si -= x[m] * std::sin(2 * M_PI * k * m / n);
        }
        EXPECT_NEAR(re[k], sr, 1e-12);
        EXPECT_NEAR(im[k], si, 1e-12);
    }
}

TEST(Fft, OnlyMinusOneScales) {
    std::vector<double> re = {1, 0, 0, 0}, im(4, 0.0);
    transform(-2, re, im);
    EXPECT_NEAR(re[1], 1.0, 1e-15);
}

TEST(Fft, CenteredImpulseAndConstant) {
    const int n = 16;
    std::vector<double> re(n, 0.0), im(n, 0.0);
    re[n / 2] = 1;
    fft_centered(re.data(), im.data(), n);
    for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(re[k], 1.0, 1e-15);
        EXPECT_NEAR(im[k], 0.0, 1e-15);
    }
    std::vector<double> cre(n, 2.5), cim(n, 0.0);
    fft_centered(cre.data(), cim.data(), n);
    for (int k = 0; k < n; ++k) EXPECT_NEAR(cre[k], k == n / 2 ? 2.5 * n : 0.0, 1e-13);
}

TEST(Fft, CenteredEvenInputGivesRealOutput) {
    const int n = 64;
    std::vector<double> re(n, 0.0), im(n, 0.0);
    for (int k = 1; k < n / 2; ++k) re[n / 2 + k] = re[n / 2 - k] = 1.0 / (1 + k * k);
    re[n / 2] = 2;
    fft_centered(re.data(), im.data(), n);
    for (int k = 0; k < n; ++k) EXPECT_NEAR(im[k], 0.0, 1e-13);
}

TEST(Fft, CenteredRowsRoundTrip) {
    const int rows = 3, n = fft_row_length;
    const auto re0 = random_values(rows * n, 4), im0 = random_values(rows * n, 5);
    auto re = re0, im = im0;
    fft_centered_rows(+1, re.data(), im.data(), rows);
    // Row 1 alone must equal the one-row centred transform.
    std::vector<double> r1(re0.begin() + n, re0.begin() + 2 * n), i1(im0.begin() + n, im0.begin() + 2 * n);
    fft_centered(r1.data(), i1.data(), n);
    for (int k = 0; k < n; ++k) EXPECT_EQ(re[n + k], r1[k]);
    fft_centered_rows(-1, re.data(), im.data(), rows);
    for (int k = 0; k < rows * n; ++k) {
        EXPECT_NEAR(re[k], re0[k], 1e-13);
        EXPECT_NEAR(im[k], im0[k], 1e-13);
    }
}

TEST(Fft, TwoDimensionalConstantAndNonSquare) {
    const int w = 16, h = 8;
    std::vector<double> re(w * h, 0.5), im(w * h, 0.0);
    fft2_centered(re.data(), im.data(), w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_NEAR(re[y * w + x], (y == h / 2 && x == w / 2) ? 0.5 * w * h : 0.0, 1e-12);
    // A plane wave along x lands on row h/2 at the column of its frequency.
    std::vector<double> wave(w * h), wim(w * h, 0.0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) wave[y * w + x] = std::cos(2 * M_PI * 3 * (x - w / 2) / w);
    fft2_centered(wave.data(), wim.data(), w, h);
    EXPECT_NEAR(wave[(h / 2) * w + w / 2 + 3], 0.5 * w * h, 1e-10);
    EXPECT_NEAR(wave[(h / 2) * w + w / 2 - 3], 0.5 * w * h, 1e-10);
    EXPECT_NEAR(wave[(h / 2 + 1) * w + w / 2 + 3], 0.0, 1e-10);
}

}  // namespace
