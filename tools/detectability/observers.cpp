#include "tools/detectability/observers.h"

#include <algorithm>
#include <cmath>

#include "common/parallel.h"

namespace {

// Where the power series gives way to the asymptotic expansion: the series
// loses about seven digits to cancellation at a = 20, the expansion's
// smallest term there is below 1e-9 for the orders used.
constexpr double series_limit = 20.0;

double scaled_series(double mu, double a) {
    const double q = -0.25 * a * a;
    double term = 1.0, sum = 1.0;
    for (int k = 1; k < 200; ++k) {
        term *= q / (k * (k + mu));
        sum += term;
        if (std::fabs(term) < 1e-17 * std::fabs(sum) && k > a) break;
    }
    return sum;
}

// Hankel's expansion: J_μ(a) ≈ √(2/(πa))·(P cos ω − Q sin ω), ω = a − (μ/2 + 1/4)π,
// its terms summed while they shrink.
double bessel_asymptotic(double mu, double a) {
    const double m4 = 4.0 * mu * mu;
    double p = 1.0, q = 0.0, term = 1.0;
    for (int k = 1; k < 60; ++k) {
        const double odd = 2.0 * k - 1.0;
        const double next = term * (m4 - odd * odd) / (k * 8.0 * a);
        if (std::fabs(next) >= std::fabs(term) && k > 2) break;
        term = next;
        switch (k % 4) {
            case 1: q += term; break;
            case 2: p -= term; break;
            case 3: q -= term; break;
            default: p += term; break;
        }
        if (std::fabs(term) < 1e-17) break;
    }
    const double omega = a - (0.5 * mu + 0.25) * detect_pi;
    return std::sqrt(2.0 / (detect_pi * a)) * (p * std::cos(omega) - q * std::sin(omega));
}

}  // namespace

double scaled_bessel_j(double mu, double a) {
    a = std::fabs(a);
    if (a < series_limit) return scaled_series(mu, a);
    return std::tgamma(mu + 1.0) * std::pow(2.0 / a, mu) * bessel_asymptotic(mu, a);
}

double bessel_j(double mu, double a) {
    if (a < series_limit) return scaled_series(mu, a) * std::pow(0.5 * a, mu) / std::tgamma(mu + 1.0);
    return bessel_asymptotic(mu, a);
}

double task_spectrum(const Task& task, double rho) {
    const double r = 0.5 * task.diameter;
    const double area = detect_pi * r * r;
    const double a = 2.0 * detect_pi * r * rho;
    switch (task.shape) {
        case TaskShape::designer_disc:
            return task.contrast * area / (task.exponent + 1.0) * scaled_bessel_j(task.exponent + 1.0, a);
        case TaskShape::blurred_disc:
            return task.contrast * area * scaled_bessel_j(1.0, a) *
                   std::exp(-2.0 * detect_pi * detect_pi * task.blur * task.blur * rho * rho);
        case TaskShape::flat_disc:
        default:
            return task.contrast * area * scaled_bessel_j(1.0, a);
    }
}

double EyeFilter::degrees_per_image_mm() const {
    // One image mm is zoom·pitch/Δ mm of the display; a degree is D·π/180 mm there.
    return (zoom * display_pitch / pixel) / (viewing_distance * detect_pi / 180.0);
}

double EyeFilter::operator()(double rho) const {
    const double f = cycles_per_degree(rho);
    if (f <= 0) return exponent > 0 ? 0.0 : 1.0;
    // (f/peak)^n·exp(−c(f² − peak²)): 1 at the peak.
    return scale * std::pow(f / peak, exponent) * std::exp(-c() * (f * f - peak * peak));
}

double FrequencyGrid::cell() const { return 1.0 / (width * pixel) / (height * pixel); }

double FrequencyGrid::radius(std::int32_t y, std::int32_t x) const {
    const double u = (x - width / 2) / (width * pixel), v = (height / 2 - y) / (height * pixel);
    return std::sqrt(u * u + v * v);
}

double FrequencyGrid::mean_nps() const {
    double sum = 0;
    for (double n : nps) sum += n;
    return sum / static_cast<double>(nps.size());
}

GridObservers::GridObservers(const FrequencyGrid& grid, const RadialFunction& mtf, const EyeFilter& eye,
                             double internal_alpha)
    : grid_(grid), half_w_(grid.width / 2), half_h_(grid.height / 2) {
    const std::int64_t cells = static_cast<std::int64_t>(half_w_ + 1) * (half_h_ + 1);
    radius_.resize(static_cast<std::size_t>(cells));
    mtf2_.resize(radius_.size());
    eye2_.resize(radius_.size());
    for (std::int32_t j = 0; j <= half_h_; ++j) {
        for (std::int32_t i = 0; i <= half_w_; ++i) {
            const double u = i / (grid.width * grid.pixel), v = j / (grid.height * grid.pixel);
            const std::size_t k = static_cast<std::size_t>(j) * (half_w_ + 1) + i;
            radius_[k] = std::sqrt(u * u + v * v);
            const double m = mtf(radius_[k]), e = eye(radius_[k]);
            mtf2_[k] = m * m;
            eye2_[k] = e * e;
        }
    }
    internal_noise_ = internal_alpha * grid.mean_nps();
}

std::int32_t GridObservers::index(std::int32_t y, std::int32_t x) const {
    const std::int32_t j = std::abs(half_h_ - y), i = std::abs(x - half_w_);
    return j * (half_w_ + 1) + i;
}

namespace {

// The four sums of the observers, in the grid's row order.
struct Sums {
    double signal = 0, noise = 0, eye_signal = 0, eye_noise = 0;
};

}  // namespace

ObserverValues GridObservers::d_prime(const Task& task) const {
    return d_prime([&task](double rho) { return task_spectrum(task, rho); });
}

ObserverValues GridObservers::d_prime(const RadialFunction& spectrum) const {
    std::vector<double> t2(radius_.size());
    for (std::size_t k = 0; k < t2.size(); ++k) {
        const double t = spectrum(radius_[k]);
        t2[k] = t * t;
    }
    Sums s;
    for (std::int32_t y = 0; y < grid_.height; ++y) {
        for (std::int32_t x = 0; x < grid_.width; ++x) {
            const std::size_t k = static_cast<std::size_t>(index(y, x));
            const double n = grid_.nps[static_cast<std::size_t>(y) * grid_.width + x];
            const double a = t2[k] * mtf2_[k];
            const double ae = a * eye2_[k];
            s.signal += a;
            s.noise += a * n;
            s.eye_signal += ae;
            s.eye_noise += ae * eye2_[k] * n;
        }
    }
    const double cell = grid_.cell();
    ObserverValues d;
    d.npw = s.noise > 0 ? s.signal * cell / std::sqrt(s.noise * cell) : 0.0;
    d.npwe = s.eye_noise > 0 ? s.eye_signal * cell / std::sqrt(s.eye_noise * cell) : 0.0;
    const double with_internal = (s.eye_noise + s.eye_signal * internal_noise_) * cell;
    d.npwei = with_internal > 0 ? s.eye_signal * cell / std::sqrt(with_internal) : 0.0;
    return d;
}

std::vector<ObserverValues> GridObservers::d_prime(const std::vector<Task>& tasks) const {
    std::vector<ObserverValues> values(tasks.size());
    parallel_for(static_cast<std::int64_t>(tasks.size()), Schedule::dynamic,
                 [&](std::int64_t i) { values[static_cast<std::size_t>(i)] = d_prime(tasks[static_cast<std::size_t>(i)]); });
    return values;
}

std::vector<double> GridObservers::integrand_profiles(const Task& task, std::int32_t bins, double bin_width) const {
    std::vector<double> sums(static_cast<std::size_t>(4 * bins), 0.0);
    std::vector<std::int64_t> counts(static_cast<std::size_t>(bins), 0);
    std::vector<double> t2(radius_.size());
    for (std::size_t k = 0; k < t2.size(); ++k) {
        const double t = task_spectrum(task, radius_[k]);
        t2[k] = t * t;
    }
    for (std::int32_t y = 0; y < grid_.height; ++y) {
        for (std::int32_t x = 0; x < grid_.width; ++x) {
            const std::size_t k = static_cast<std::size_t>(index(y, x));
            const double rho = radius_[k];
            const auto bin = static_cast<std::int64_t>(std::floor(rho / bin_width + 0.5));
            if (bin >= bins) continue;
            const double n = grid_.nps[static_cast<std::size_t>(y) * grid_.width + x];
            const double a = t2[k] * mtf2_[k];
            const std::size_t b = static_cast<std::size_t>(bin);
            sums[b] += a;
            sums[bins + b] += a * n;
            sums[2 * bins + b] += a * eye2_[k];
            sums[3 * bins + b] += a * eye2_[k] * eye2_[k] * n;
            ++counts[b];
        }
    }
    for (std::int32_t row = 0; row < 4; ++row)
        for (std::int32_t b = 0; b < bins; ++b)
            if (counts[static_cast<std::size_t>(b)] > 0)
                sums[static_cast<std::size_t>(row * bins + b)] /= static_cast<double>(counts[static_cast<std::size_t>(b)]);
    return sums;
}

ObserverValues radial_d_prime(const Task& task, const RadialFunction& mtf, const RadialFunction& nps,
                              const EyeFilter& eye, double internal_noise, double rho_max, std::int64_t steps) {
    if (steps % 2 != 0) ++steps;
    const double h = rho_max / static_cast<double>(steps);
    Sums s;
    for (std::int64_t i = 0; i <= steps; ++i) {
        const double rho = h * static_cast<double>(i);
        const double weight = (i == 0 || i == steps ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0)) * 2.0 * detect_pi * rho;
        const double t = task_spectrum(task, rho), m = mtf(rho), e = eye(rho), n = nps(rho);
        const double a = t * t * m * m * weight;
        s.signal += a;
        s.noise += a * n;
        s.eye_signal += a * e * e;
        s.eye_noise += a * e * e * e * e * n;
    }
    const double f = h / 3.0;
    ObserverValues d;
    d.npw = s.signal * f / std::sqrt(s.noise * f);
    d.npwe = s.eye_signal * f / std::sqrt(s.eye_noise * f);
    d.npwei = s.eye_signal * f / std::sqrt((s.eye_noise + s.eye_signal * internal_noise) * f);
    return d;
}

double diameter_at_three(const std::vector<double>& diameters, const std::vector<double>& d_primes) {
    for (std::size_t k = 0; k + 1 < diameters.size() && k + 1 < d_primes.size(); ++k) {
        if (d_primes[k] < 3.0 && d_primes[k + 1] >= 3.0)
            return diameters[k] + (3.0 - d_primes[k]) / (d_primes[k + 1] - d_primes[k]) * (diameters[k + 1] - diameters[k]);
    }
    if (!d_primes.empty() && d_primes[0] >= 3.0 && !diameters.empty() && d_primes[0] == 3.0) return diameters[0];
    return -1.0;
}
