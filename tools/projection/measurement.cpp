#include "tools/projection/measurement.h"

#include <cmath>
#include <string>

#include "common/console_text.h"
#include "common/random_deviates.h"

namespace {
constexpr std::int32_t noise_seed = 999;
}

void counts_from_projection(const double* projection, double* counts, std::int64_t n, std::int32_t i0) {
    const double incident = static_cast<double>(i0);
    for (std::int64_t i = 0; i < n; ++i) counts[i] = std::exp(-projection[i]) * incident;
}

void projection_from_counts(const double* counts, double* projection, std::int64_t n, std::int32_t i0) {
    const double incident = static_cast<double>(i0);
    for (std::int64_t i = 0; i < n; ++i) {
        const double count = counts[i];
        projection[i] = count == 0 ? std::log(incident) : std::log(incident / count);
    }
}

void apply_poisson_noise(double* samples, std::int64_t n) {
    if (n <= 0) return;
    random_state state{noise_seed};
    for (std::int64_t i = 0; i < n; ++i) samples[i] = poisson_deviate(samples[i], state);
}

void apply_gaussian_noise(double* samples, std::int64_t n, double sd) {
    if (n <= 0) return;
    random_state state{noise_seed};
    for (std::int64_t i = 0; i < n; ++i) samples[i] = gaussian_deviate(state) * sd + samples[i];
}

double sample_mean(const double* samples, std::int64_t n) {
    double sum = 0;
    for (std::int64_t i = 0; i < n; ++i) sum += samples[i];
    return sum / static_cast<double>(n);
}

std::string negative_counts_cause(const double* counts, std::int64_t n) {
    std::int64_t negative = 0;
    for (std::int64_t i = 0; i < n; ++i) negative += counts[i] < 0 ? 1 : 0;
    if (negative == 0) return {};
    return text_format("原因：対数をとる前のカウントに負の値が %lld 個ありました（負の数の対数は NaN）。",
                       static_cast<long long>(negative));
}

void apply_level_noise(double* samples, std::int64_t n, double decibels) {
    if (n <= 0) return;
    // The mean of the input, before any noise, sets one spread for every sample.
    const double mean = sample_mean(samples, n);
    const double ratio = std::pow(10.0, decibels / -20.0);
    apply_gaussian_noise(samples, n, ratio * mean);
}

std::string measure_with_poisson_noise(double* sinogram, double* counts, std::int64_t n, std::int32_t i0) {
    counts_from_projection(sinogram, counts, n, i0);
    apply_poisson_noise(counts, n);
    std::string cause = negative_counts_cause(counts, n);
    projection_from_counts(counts, sinogram, n, i0);
    return cause;
}

std::string measure_with_gaussian_noise(double* sinogram, double* counts, std::int64_t n, std::int32_t i0,
                                        double sd) {
    counts_from_projection(sinogram, counts, n, i0);
    apply_gaussian_noise(counts, n, sd);
    std::string cause = negative_counts_cause(counts, n);
    projection_from_counts(counts, sinogram, n, i0);
    return cause;
}
