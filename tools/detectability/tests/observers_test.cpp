// The observers against closed forms: the Rose model of a flat disc in white
// noise, the same limited to the Nyquist circle, a Gaussian signal through a
// Gaussian MTF (with and without the eye filter), the scale of the eye
// filter, the Bessel functions behind the discs, and the thread counts.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/thread_counts.h"
#include "tools/detectability/observers.h"

namespace {

constexpr double tolerance = 0.005;  // relative

FrequencyGrid white_grid(std::int32_t side, double pixel, double sigma) {
    FrequencyGrid g;
    g.width = g.height = side;
    g.pixel = pixel;
    g.nps.assign(static_cast<std::size_t>(side) * side, sigma * sigma * pixel * pixel);
    return g;
}

const RadialFunction unit_mtf = [](double) { return 1.0; };

TEST(Bessel, AgreesWithReferenceValuesOnBothSidesOfTheSeriesLimit) {
    struct Case {
        double mu, a, j;
    };
    for (const Case c : {Case{1, 1, 0.440050585744934}, Case{0, 1, 0.765197686557967}, Case{1, 25, -0.12535024958029},
                         Case{2.5, 7.3, -0.3008494315875}, Case{2.5, 31.0, 0.045033789296924},
                         Case{1, 19.9, 0.0501174248073797}, Case{1, 20.1, 0.0828010057602098},
                         Case{4, 22, -0.156750638780179}})
        EXPECT_NEAR(bessel_j(c.mu, c.a), c.j, 1e-9) << c.mu << " " << c.a;
}

TEST(TaskSpectrum, ZeroFrequencyIsTheVolumeAndTheDesignerDiscOfExponentZeroIsFlat) {
    Task flat{TaskShape::flat_disc, 4.0, 0.5, 0, 0};
    Task designer{TaskShape::designer_disc, 4.0, 0.5, 2.0, 0};
    EXPECT_NEAR(task_spectrum(flat, 0), 0.5 * detect_pi * 4.0, 1e-12);
    EXPECT_NEAR(task_spectrum(designer, 0), 0.5 * detect_pi * 4.0 / 3.0, 1e-12);  // ∫(1−r²/R²)² = πR²/3
    designer.exponent = 0;
    for (double rho : {0.1, 0.7, 3.3}) EXPECT_NEAR(task_spectrum(designer, rho), task_spectrum(flat, rho), 1e-12);
}

// A flat disc of radius R and contrast C in white noise of pixel deviation σ
// with an MTF of 1: d' = C·√(πR²)/σ with R in pixels (the continuous
// integral, Parseval); limited to the Nyquist circle ρN the integral of the
// disc's |W|² is πR²·(1 − J0(a)² − J1(a)²) with a = 2πRρN; the Nyquist
// square lies between the two.
TEST(Rose, ContinuousNyquistCircleAndNyquistSquare) {
    const double pixel = 0.5, sigma = 0.01, contrast = 0.01, diameter = 5.0;
    const double r = diameter / 2;
    const double rose = contrast * std::sqrt(detect_pi * r * r) / pixel / sigma;
    const Task disc{TaskShape::flat_disc, diameter, contrast, 0, 0};
    const EyeFilter eye;
    const double white = sigma * sigma * pixel * pixel;
    const RadialFunction nps = [white](double) { return white; };

    const ObserverValues continuous = radial_d_prime(disc, unit_mtf, nps, eye, 0, 200.0, 40000);
    EXPECT_NEAR(continuous.npw / rose, 1.0, tolerance) << continuous.npw << " vs " << rose;

    const double nyquist = 1 / (2 * pixel), a = 2 * detect_pi * r * nyquist;
    const double circle = rose * std::sqrt(1 - std::pow(bessel_j(0, a), 2) - std::pow(bessel_j(1, a), 2));
    const ObserverValues limited = radial_d_prime(disc, unit_mtf, nps, eye, 0, nyquist, 4000);
    EXPECT_NEAR(limited.npw / circle, 1.0, tolerance) << limited.npw << " vs " << circle;
    EXPECT_LT(circle, rose * 0.99);  // the Nyquist limit costs this small disc 2 %

    const FrequencyGrid grid = white_grid(128, pixel, sigma);
    const double square = GridObservers(grid, unit_mtf, eye, 0).d_prime(disc).npw;
    EXPECT_GT(square, circle);
    EXPECT_LT(square, rose);
}

// A Gaussian signal C·exp(−r²/2a²) (spectrum C·2πa²·exp(−2π²a²ρ²)) through
// the MTF exp(−2π²b²ρ²) in white noise N0, so that T²M² = A·exp(−κ0ρ²) with
// A = 4π²C²a⁴, κ0 = 4π²(a² + b²):
//   NPW   d'² = C²·π·a⁴ / ((a² + b²)·N0)
//   NPWE  E² = g·ρ^2n·exp(−2ck²ρ²) with k the cycles/degree of 1 cycle/mm and
//         g = (k/p)^2n·exp(2cp²); with ∫ρ^2m·exp(−κρ²)·2πρ dρ = π·Γ(m+1)/κ^(m+1),
//         Σ T²M²E² = A·g·π·Γ(n+1)/κ1^(n+1), Σ T²M²E⁴N = N0·A·g²·π·Γ(2n+1)/κ2^(2n+1),
//         κ1 = κ0 + 2ck², κ2 = κ0 + 4ck².
TEST(GaussianCase, GridSumsMatchTheClosedFormsAndNpweIgnoresTheScaleOfTheEyeFilter) {
    const double pixel = 0.5, sigma = 0.02, contrast = 0.05, a = 1.5, b = 0.4;
    const double n0 = sigma * sigma * pixel * pixel;
    const double pi = detect_pi;
    const RadialFunction signal = [&](double rho) { return contrast * 2 * pi * a * a * std::exp(-2 * pi * pi * a * a * rho * rho); };
    const RadialFunction mtf = [&](double rho) { return std::exp(-2 * pi * pi * b * b * rho * rho); };
    EyeFilter eye;
    eye.pixel = pixel;
    eye.viewing_distance = 300;  // brings the eye's peak near the signal's frequencies
    const FrequencyGrid grid = white_grid(128, pixel, sigma);
    const ObserverValues d = GridObservers(grid, mtf, eye, 0).d_prime(signal);

    const double npw = std::sqrt(contrast * contrast * pi * std::pow(a, 4) / ((a * a + b * b) * n0));
    EXPECT_NEAR(d.npw / npw, 1.0, tolerance) << d.npw << " vs " << npw;

    const double k = 1 / eye.degrees_per_image_mm(), p = eye.peak, n = eye.exponent, c = eye.c();
    const double g = std::pow(k / p, 2 * n) * std::exp(2 * c * p * p);  // E² = g·ρ^2n·exp(−2ck²ρ²)
    const double amp = contrast * contrast * 4 * pi * pi * std::pow(a, 4);
    const double k1 = 4 * pi * pi * (a * a + b * b) + 2 * c * k * k, k2 = 4 * pi * pi * (a * a + b * b) + 4 * c * k * k;
    const double num = amp * g * pi * std::tgamma(n + 1) / std::pow(k1, n + 1);
    const double den = n0 * amp * g * g * pi * std::tgamma(2 * n + 1) / std::pow(k2, 2 * n + 1);
    const double npwe = num / std::sqrt(den);
    EXPECT_NEAR(d.npwe / npwe, 1.0, tolerance) << d.npwe << " vs " << npwe;
    EXPECT_LT(d.npwe, d.npw);  // the eye filter throws signal away in white noise

    // NPWE is a ratio of E⁴ to E⁴; the internal noise meets E² only, so NPWEi changes.
    EyeFilter louder = eye;
    louder.scale = 7.3;
    const ObserverValues quiet = GridObservers(grid, mtf, eye, 0.5).d_prime(signal);
    const ObserverValues loud = GridObservers(grid, mtf, louder, 0.5).d_prime(signal);
    EXPECT_NEAR(loud.npwe / quiet.npwe, 1.0, 1e-12);
    EXPECT_GT(loud.npwei / quiet.npwei, 1.01);
    EXPECT_LT(quiet.npwei, quiet.npwe);
}

TEST(EyeFilter, PeaksAtTheAnsweredFrequencyWithValueOne) {
    EyeFilter eye;
    eye.pixel = 0.78125;
    const double peak = eye.peak_cycles_per_mm();
    EXPECT_NEAR(eye.cycles_per_degree(peak), 4.0, 1e-12);
    EXPECT_NEAR(eye(peak), 1.0, 1e-12);
    EXPECT_LT(eye(peak * 0.98), 1.0);
    EXPECT_LT(eye(peak * 1.02), 1.0);
    // 500 mm away, a degree is 8.73 mm of the display: 34.9 pixels of 0.25 mm.
    EXPECT_NEAR(1 / eye.degrees_per_image_mm(), 500 * detect_pi / 180 / 0.25 * 0.78125, 1e-9);
}

TEST(DiameterAtThree, LinearBetweenTheBracketingDiameters) {
    EXPECT_NEAR(diameter_at_three({1, 2, 3, 4}, {1.0, 2.0, 4.0, 6.0}), 2.5, 1e-12);
    EXPECT_LT(diameter_at_three({1, 2, 3}, {0.5, 1.0, 2.0}), 0);
}

TEST(Threads, TheTableOfDiametersHasTheSameBytesForEveryThreadCount) {
    const FrequencyGrid grid = white_grid(64, 0.5, 0.01);
    const GridObservers observers(grid, unit_mtf, EyeFilter{}, 0.1);
    std::vector<Task> tasks;
    for (int k = 1; k <= 9; ++k) tasks.push_back({TaskShape::designer_disc, 0.7 * k, 0.01, 1.5, 0});
    expect_same_bytes_for_every_thread_count([&] {
        std::vector<double> out;
        for (const ObserverValues& v : observers.d_prime(tasks)) out.insert(out.end(), {v.npw, v.npwe, v.npwei});
        return out;
    });
}

}  // namespace
