#include "tools/projection/measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "common/random_deviates.h"

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

TEST(CountsFromProjection, BeerLambert) {
    const std::vector<double> p = {0.0, 1.0, -0.5, 800.0, nan, -0.0};
    std::vector<double> counts(p.size(), -1.0);
    counts_from_projection(p.data(), counts.data(), 6, 2000);
    EXPECT_EQ(counts[0], 2000.0);
    EXPECT_EQ(counts[1], std::exp(-1.0) * 2000.0);
    EXPECT_GT(counts[2], 2000.0);
    EXPECT_EQ(counts[3], 0.0);
    EXPECT_TRUE(std::isnan(counts[4]));
    EXPECT_EQ(counts[5], 2000.0);
    counts_from_projection(p.data(), counts.data(), 2, -3);
    EXPECT_EQ(counts[0], -3.0);
}

TEST(ProjectionFromCounts, LogarithmAndTheZeroCount) {
    const std::vector<double> counts = {2000.0, 2000 * std::exp(-1.0), 0.0, -0.0, 1.0, 0.5, -4.0, nan, 3000.0};
    std::vector<double> p(counts.size());
    projection_from_counts(counts.data(), p.data(), static_cast<std::int64_t>(counts.size()), 2000);
    EXPECT_EQ(p[0], 0.0);
    EXPECT_NEAR(p[1], 1.0, 1e-15);
    EXPECT_EQ(p[2], std::log(2000.0));  // 7.600902…, as for one photon
    EXPECT_EQ(p[3], std::log(2000.0));  // −0 counts as 0
    EXPECT_EQ(p[4], std::log(2000.0));
    EXPECT_GT(p[5], std::log(2000.0));
    EXPECT_TRUE(std::isnan(p[6]));
    EXPECT_TRUE(std::isnan(p[7]));
    EXPECT_LT(p[8], 0.0);
    projection_from_counts(counts.data(), p.data(), 3, 0);
    EXPECT_EQ(p[0], -inf);
    EXPECT_EQ(p[2], -inf);
}

TEST(PoissonNoise, DrawsFromSeedOneInIndexOrder) {
    reset_random_program_state();
    std::vector<double> fives(10, 5.0);
    apply_poisson_noise(fives.data(), 10);
    EXPECT_EQ(fives, (std::vector<double>{5, 5, 8, 5, 6, 6, 1, 5, 5, 3}));

    reset_random_program_state();
    std::vector<double> counts(8, 2000.0);
    apply_poisson_noise(counts.data(), 8);
    EXPECT_EQ(counts, (std::vector<double>{1939, 1985, 1879, 1976, 2014, 1978, 2062, 1966}));
}

TEST(PoissonNoise, ZeroNegativeAndNaNMeans) {
    reset_random_program_state();
    std::vector<double> samples = {0.0, -3.0, nan, 12.0};
    apply_poisson_noise(samples.data(), 4);
    EXPECT_EQ(samples[0], 0.0);
    EXPECT_EQ(samples[1], 0.0);
    EXPECT_TRUE(std::isnan(samples[2]));
    EXPECT_EQ(samples[3], std::floor(samples[3]));
}

TEST(PoissonNoise, NothingForEmptyOrNegativeCounts) {
    reset_random_program_state();
    std::vector<double> samples = {5.0};
    apply_poisson_noise(samples.data(), 0);
    apply_poisson_noise(samples.data(), -4);
    EXPECT_EQ(samples[0], 5.0);
    apply_poisson_noise(samples.data(), 1);  // the generator is still untouched
    EXPECT_EQ(samples[0], 5.0);
}

TEST(GaussianNoise, AddsScaledDeviatesFromSeedOne) {
    const double first[6] = {-0.836853802593, -0.172279924073, 0.187117448254,
                             1.615439849006, -0.176774038977, 0.653144674658};
    reset_random_program_state();
    std::vector<double> samples = {100, 100, 100, 100, 100, 100};
    apply_gaussian_noise(samples.data(), 6, 20.0);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(samples[i], 100 + 20 * first[i], 1e-9) << i;

    // Deviate × sd + sample: sd = 0 leaves every sample as it was; −sd mirrors.
    reset_random_program_state();
    std::vector<double> same = {1.5, -2.0, 7.25};
    apply_gaussian_noise(same.data(), 3, 0.0);
    EXPECT_EQ(same, (std::vector<double>{1.5, -2.0, 7.25}));
    reset_random_program_state();
    std::vector<double> mirrored(6, 0.0);
    apply_gaussian_noise(mirrored.data(), 6, -1.0);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(mirrored[i], -first[i], 1e-12) << i;
}

TEST(GaussianNoise, NothingForEmptyCounts) {
    reset_random_program_state();
    std::vector<double> samples = {1.0};
    apply_gaussian_noise(samples.data(), 0, 5.0);
    EXPECT_EQ(samples[0], 1.0);
}

TEST(SampleMean, SumsInIndexOrder) {
    const std::vector<double> samples = {1e16, 1.0, -1e16, 1.0};
    EXPECT_EQ(sample_mean(samples.data(), 4), ((((0 + 1e16) + 1.0) - 1e16) + 1.0) / 4);
    const std::vector<double> zeros = {-0.0, -0.0};
    EXPECT_FALSE(std::signbit(sample_mean(zeros.data(), 2)));  // the sum starts at +0
}

}  // namespace
