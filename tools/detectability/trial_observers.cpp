#include "tools/detectability/trial_observers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/random_deviates.h"

namespace {

// Offsets of the 16 × 16 points of a pixel from its centre, in pixels.
double sub_point(int k) { return k / 32.0; }

// The blurred disc over radius (mm): ∫ T(ρ)·J0(2πrρ)·2πρ dρ by Simpson's
// rule up to where the blur's Gaussian has fallen to e^−32, on radii 0,
// step, 2·step … (the table), linear between them.
class RadialProfile {
  public:
    RadialProfile() = default;  // zero everywhere
    RadialProfile(const Task& task, double reach, double step) : step_(step) {
        const double rho_max = std::sqrt(32.0 / (2.0 * detect_pi * detect_pi)) / task.blur;
        // Enough intervals for the fastest oscillation, J0 at the far radius.
        std::int64_t steps = static_cast<std::int64_t>(std::ceil(16.0 * rho_max * (reach + task.diameter))) + 200;
        if (steps % 2 != 0) ++steps;
        const double h = rho_max / static_cast<double>(steps);
        std::vector<double> weighted(static_cast<std::size_t>(steps + 1));
        for (std::int64_t i = 0; i <= steps; ++i) {
            const double rho = h * static_cast<double>(i);
            const double w = (i == 0 || i == steps) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
            weighted[static_cast<std::size_t>(i)] = w * task_spectrum(task, rho) * 2.0 * detect_pi * rho * h / 3.0;
        }
        const auto count = static_cast<std::size_t>(std::ceil(reach / step)) + 2;
        values_.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
            const double r = step * static_cast<double>(k);
            double sum = 0;
            for (std::int64_t i = 0; i <= steps; ++i)
                sum += weighted[static_cast<std::size_t>(i)] * bessel_j(0.0, 2.0 * detect_pi * r * h * static_cast<double>(i));
            values_[k] = sum;
        }
    }
    double operator()(double r) const {
        const double at = r / step_;
        const auto k = static_cast<std::size_t>(at);
        if (k + 1 >= values_.size()) return 0.0;
        const double t = at - static_cast<double>(k);
        return values_[k] + t * (values_[k + 1] - values_[k]);
    }

  private:
    double step_ = 1;
    std::vector<double> values_;
};

double laguerre(int j, double x) {
    double previous = 1.0, current = 1.0 - x;
    if (j == 0) return previous;
    for (int n = 1; n < j; ++n) {
        const double next = ((2.0 * n + 1.0 - x) * current - n * previous) / (n + 1.0);
        previous = current;
        current = next;
    }
    return current;
}

// Solves S·x = b (5 × 5, symmetric) by elimination with partial pivoting;
// false when S is singular.
bool solve(double s[channel_count][channel_count], double b[channel_count]) {
    for (int c = 0; c < channel_count; ++c) {
        int pivot = c;
        for (int r = c + 1; r < channel_count; ++r)
            if (std::fabs(s[r][c]) > std::fabs(s[pivot][c])) pivot = r;
        if (!(std::fabs(s[pivot][c]) > 0)) return false;
        if (pivot != c) {
            for (int k = 0; k < channel_count; ++k) std::swap(s[c][k], s[pivot][k]);
            std::swap(b[c], b[pivot]);
        }
        for (int r = c + 1; r < channel_count; ++r) {
            const double f = s[r][c] / s[c][c];
            for (int k = c; k < channel_count; ++k) s[r][k] -= f * s[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int c = channel_count - 1; c >= 0; --c) {
        double sum = b[c];
        for (int k = c + 1; k < channel_count; ++k) sum -= s[c][k] * b[k];
        b[c] = sum / s[c][c];
    }
    return true;
}

// Means and (N − 1) covariances of the picked trials' six responses.
struct Moments {
    double mean[channel_count + 1] = {};
    double cov[channel_count + 1][channel_count + 1] = {};
};

double value_of(const TrialResponses& t, int k) { return k == 0 ? t.npw : t.channel[k - 1]; }

Moments moments_of(const std::vector<TrialResponses>& trials, const std::vector<std::int32_t>& pick) {
    const std::size_t n = pick.empty() ? trials.size() : pick.size();
    auto trial = [&](std::size_t i) -> const TrialResponses& {
        return trials[pick.empty() ? i : static_cast<std::size_t>(pick[i])];
    };
    Moments m;
    for (std::size_t i = 0; i < n; ++i)
        for (int k = 0; k <= channel_count; ++k) m.mean[k] += value_of(trial(i), k);
    for (int k = 0; k <= channel_count; ++k) m.mean[k] /= static_cast<double>(n);
    for (std::size_t i = 0; i < n; ++i)
        for (int k = 0; k <= channel_count; ++k)
            for (int l = k; l <= channel_count; ++l)
                m.cov[k][l] += (value_of(trial(i), k) - m.mean[k]) * (value_of(trial(i), l) - m.mean[l]);
    for (int k = 0; k <= channel_count; ++k)
        for (int l = k; l <= channel_count; ++l) {
            m.cov[k][l] /= static_cast<double>(n - 1);
            m.cov[l][k] = m.cov[k][l];
        }
    return m;
}

// The q-point of sorted values, linear between those at q·(B − 1).
double quantile(const std::vector<double>& sorted, double q) {
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto k = static_cast<std::size_t>(at);
    if (k + 1 >= sorted.size()) return sorted.back();
    const double t = at - static_cast<double>(k);
    if (t == 0 || sorted[k + 1] == sorted[k]) return sorted[k];
    return sorted[k] + t * (sorted[k + 1] - sorted[k]);
}

}  // namespace

std::vector<double> task_image(const Task& given, std::int32_t width, std::int32_t height, double pixel) {
    Task task = given;
    task.contrast = 1.0;
    std::vector<double> image(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0.0);
    const double r = 0.5 * task.diameter, r2 = r * r;
    const bool blurred = task.shape == TaskShape::blurred_disc && task.blur > 0;
    // Beyond this distance from the centre (mm) a pixel holds nothing of the task.
    const double reach = blurred ? r + 8.0 * task.blur : r + pixel;
    const double half_diagonal = 0.5 * std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height) * pixel;
    const RadialProfile profile =
        blurred ? RadialProfile(task, std::min(reach, half_diagonal) + 2.0 * pixel, pixel / 64.0) : RadialProfile();
    for (std::int32_t i = 0; i < height; ++i) {
        const double y = static_cast<double>(height / 2 - i);
        for (std::int32_t j = 0; j < width; ++j) {
            const double x = static_cast<double>(j - width / 2);
            double& out = image[static_cast<std::size_t>(i) * width + j];
            if (std::sqrt(x * x + y * y) * pixel > reach + pixel) continue;
            if (blurred) {
                out = profile(std::sqrt(x * x + y * y) * pixel);
                continue;
            }
            double sum = 0;
            for (int k = -15; k <= 15; k += 2) {
                const double ys = (y + sub_point(k)) * pixel;
                for (int m = -15; m <= 15; m += 2) {
                    const double xs = (x + sub_point(m)) * pixel;
                    const double d2 = xs * xs + ys * ys;
                    if (d2 > r2) continue;
                    sum += task.shape == TaskShape::designer_disc ? std::pow(1.0 - d2 / r2, task.exponent) : 1.0;
                }
            }
            out = sum / 256.0;
        }
    }
    return image;
}

std::vector<double> laguerre_gauss_channels(double a, std::int32_t width, std::int32_t height, double pixel) {
    const std::size_t samples = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<double> channels(channel_count * samples);
    for (std::int32_t i = 0; i < height; ++i) {
        const double y = static_cast<double>(height / 2 - i) * pixel;
        for (std::int32_t j = 0; j < width; ++j) {
            const double x = static_cast<double>(j - width / 2) * pixel;
            const double g = 2.0 * detect_pi * (x * x + y * y) / (a * a);
            const double gauss = std::sqrt(2.0) / a * std::exp(-0.5 * g);
            for (int c = 0; c < channel_count; ++c)
                channels[c * samples + static_cast<std::size_t>(i) * width + j] = gauss * laguerre(c, g);
        }
    }
    return channels;
}

TrialResponses responses_of(const std::vector<double>& image, const std::vector<double>& signal,
                            const std::vector<double>& channels) {
    TrialResponses t;
    const std::size_t samples = signal.size();
    for (std::size_t k = 0; k < samples; ++k) t.npw += signal[k] * image[k];
    for (int c = 0; c < channel_count; ++c) {
        const double* u = channels.data() + c * samples;
        double sum = 0;
        for (std::size_t k = 0; k < samples; ++k) sum += u[k] * image[k];
        t.channel[c] = sum;
    }
    return t;
}

TrialDPrime trial_d_prime(const std::vector<TrialResponses>& present, const std::vector<TrialResponses>& absent,
                          const std::vector<std::int32_t>& pick_present, const std::vector<std::int32_t>& pick_absent) {
    const Moments p = moments_of(present, pick_present), q = moments_of(absent, pick_absent);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TrialDPrime d;
    const double variance = 0.5 * (p.cov[0][0] + q.cov[0][0]);
    d.npw = variance > 0 ? (p.mean[0] - q.mean[0]) / std::sqrt(variance) : nan;
    double s[channel_count][channel_count], x[channel_count], difference[channel_count];
    for (int k = 0; k < channel_count; ++k) {
        difference[k] = x[k] = p.mean[k + 1] - q.mean[k + 1];
        for (int l = 0; l < channel_count; ++l) s[k][l] = 0.5 * (p.cov[k + 1][l + 1] + q.cov[k + 1][l + 1]);
    }
    if (!solve(s, x)) {
        d.cho = nan;
        return d;
    }
    double d2 = 0;
    for (int k = 0; k < channel_count; ++k) d2 += difference[k] * x[k];
    d.cho = d2 >= 0 ? std::sqrt(d2) : nan;
    return d;
}

TrialStudy study_trials(const std::vector<TrialResponses>& present, const std::vector<TrialResponses>& absent,
                        double signal_energy, std::int32_t resamples, std::int32_t pattern) {
    TrialStudy study;
    study.d = trial_d_prime(present, absent);
    const Moments p = moments_of(present, {}), q = moments_of(absent, {});
    study.npw_amplitude = (p.mean[0] - q.mean[0]) / signal_energy;
    // One generator, drawn in one order: the draws never depend on threads.
    random_state state{-pattern};  // 1 … 2147483646
    std::vector<double> npw, cho;
    std::vector<std::int32_t> pick_present(present.size()), pick_absent(absent.size());
    // A draw whose trials do not vary has no finite d': it counts as the largest.
    const auto finite_or_largest = [](double v) { return std::isfinite(v) ? v : std::numeric_limits<double>::infinity(); };
    for (std::int32_t b = 0; b < resamples; ++b) {
        for (auto& k : pick_present)
            k = static_cast<std::int32_t>(uniform_deviate(state) * static_cast<double>(present.size()));
        for (auto& k : pick_absent)
            k = static_cast<std::int32_t>(uniform_deviate(state) * static_cast<double>(absent.size()));
        const TrialDPrime d = trial_d_prime(present, absent, pick_present, pick_absent);
        npw.push_back(finite_or_largest(d.npw));
        cho.push_back(finite_or_largest(d.cho));
    }
    std::sort(npw.begin(), npw.end());
    std::sort(cho.begin(), cho.end());
    study.lower = {quantile(npw, 0.025), quantile(cho, 0.025)};
    study.upper = {quantile(npw, 0.975), quantile(cho, 0.975)};
    if (!cho_defined(static_cast<std::int32_t>(std::min(present.size(), absent.size()))))
        study.d.cho = study.lower.cho = study.upper.cho = std::numeric_limits<double>::quiet_NaN();
    return study;
}
