#include "tools/fan/fan_fbp.h"

#include <cmath>

#include "common/parallel.h"
#include "common/sample_arrays.h"
#include "tools/recon/fbp.h"

namespace {

// ∫ |f| e^{2πifs} df over |f| ≤ ½: sin(πs)/(2πs) + (cos(πs) − 1)/(2π²s²), ¼ at s = 0.
double ramp_at(double s) {
    if (s == 0) return 0.25;
    const double a = fan_pi * s;
    return std::sin(a) / (2 * a) + (std::cos(a) - 1) / (2 * a * a);
}

}  // namespace

std::vector<double> windowed_ramp(std::int32_t count, std::int32_t window) {
    if (window == no_window) return ramp_kernel(count, 1.0);
    // cos(2πf·c) is the mean of two shifted exponentials: the kernel is
    // ½ ramp(n) + ¼ ramp(n + c) + ¼ ramp(n − c), c = 1/(w + 1).
    const double c = 1.0 / (window + 1);
    std::vector<double> kernel = take_samples(count);
    for (std::int32_t n = 0; n < count; ++n)
        kernel[n] = 0.5 * ramp_at(n) + 0.25 * ramp_at(n + c) + 0.25 * ramp_at(n - c);
    return kernel;
}

std::vector<double> fan_kernel(const FanGeometry& g, std::int32_t window) {
    std::vector<double> kernel = windowed_ramp(g.bins, window);
    if (g.detector == FanDetector::curved) {
        const double alpha = g.spacing;
        for (std::int32_t n = 0; n < g.bins; ++n) {
            // (nα / sin nα)² → 1 at n = 0.
            const double angle = n * alpha;
            const double ratio = n == 0 ? 1.0 : angle / std::sin(angle);
            kernel[n] = 0.5 * (ratio * ratio) * kernel[n] / (alpha * alpha);
        }
    } else {
        const double a = g.spacing * g.source_distance / g.detector_distance;
        for (std::int32_t n = 0; n < g.bins; ++n) kernel[n] = 0.5 * kernel[n] / (a * a);
    }
    return kernel;
}

double parker_weight(double beta, double gamma, double delta) {
    const double quarter_pi = fan_pi / 4;
    if (beta < 0 || beta > fan_pi + 2 * delta) return 0;
    if (beta < 2 * (delta - gamma)) {
        const double s = std::sin(quarter_pi * beta / (delta - gamma));
        return s * s;
    }
    if (beta <= fan_pi - 2 * gamma) return 1;
    const double s = std::sin(quarter_pi * (fan_pi + 2 * delta - beta) / (delta + gamma));
    return s * s;
}

bool parker_possible(const FanGeometry& g) { return g.range >= short_scan_range(g) - 1e-9; }

std::vector<double> fan_ray_weights(const FanGeometry& g, bool parker) {
    std::vector<double> weights = take_samples(sample_count(g.bins, g.views));
    const bool full = full_turn(g);
    // A range wider than the short scan takes Parker's weights of a wider
    // virtual fan: they still sum to 1 over the two ends of every line and
    // change more gently.
    const double delta = (g.range - fan_pi) / 2;
    const double uniform = fan_two_pi / g.range;
    for (std::int32_t i = 0; i < g.views; ++i) {
        const double beta = view_angle(g, i);
        for (std::int32_t b = 0; b < g.bins; ++b) {
            const double gamma = bin_fan_angle(g, b);
            double cosine;
            if (g.detector == FanDetector::curved) {
                cosine = g.source_distance * std::cos(gamma);
            } else {
                const double s = bin_position(g, b) * g.spacing * g.source_distance / g.detector_distance;
                cosine = g.source_distance / std::sqrt(g.source_distance * g.source_distance + s * s);
            }
            const double redundancy = full ? 1.0 : parker ? 2 * parker_weight(beta, gamma, delta) : uniform;
            weights[static_cast<std::int64_t>(i) * g.bins + b] = cosine * redundancy;
        }
    }
    return weights;
}

std::vector<double> fan_reconstruct_image(const std::vector<double>& sinogram, const FanGeometry& g,
                                          std::int32_t width, std::int32_t height, double pixel_length,
                                          std::int32_t window, bool parker) {
    const std::int32_t n = g.bins;
    const std::vector<double> kernel = fan_kernel(g, window);
    const std::vector<double> weights = fan_ray_weights(g, parker);
    const double step = g.detector == FanDetector::curved ? g.spacing
                                                          : g.spacing * g.source_distance / g.detector_distance;
    // Weighted and filtered views: each view is its own row, so the threads
    // share them out; every sum runs over k in increasing order.
    std::vector<double> filtered = take_samples(sample_count(n, g.views));
    parallel_for_with_scratch(g.views, Schedule::dynamic, [&] {
        return LoopBody([&, q = take_samples(n)](std::int64_t i) mutable {
            const double* p = sinogram.data() + i * n;
            const double* w = weights.data() + i * n;
            for (std::int32_t k = 0; k < n; ++k) q[k] = p[k] * w[k];
            double* out = filtered.data() + i * n;
            for (std::int32_t j = 0; j < n; ++j) {
                double sum = 0;
                for (std::int32_t k = 0; k < n; ++k) sum += kernel[std::abs(j - k)] * q[k];
                out[j] = sum * step;
            }
        });
    });

    // Back projection: every pixel sums its views in order; the threads
    // share out the image rows.
    struct View {
        double sin_beta, cos_beta;
    };
    std::vector<View> views(static_cast<std::size_t>(g.views));
    for (std::int32_t i = 0; i < g.views; ++i) {
        const double beta = view_angle(g, i);
        views[i] = {std::sin(beta), std::cos(beta)};
    }
    const double r = g.source_distance;
    const double centre = n / 2 - g.offset;  // the detector index of the central ray
    const double flat_step = g.spacing * r / g.detector_distance;
    const bool curved = g.detector == FanDetector::curved;
    std::vector<double> image = take_samples(sample_count(width, height));
    const std::int32_t half_w = width / 2, half_h = height / 2;
    parallel_for_with_scratch(height, Schedule::dynamic, [&] {
        return LoopBody([&, xs = take_samples(width)](std::int64_t row) mutable {
            double* pixel = image.data() + row * width;
            const double y = (half_h - static_cast<std::int32_t>(row)) * pixel_length;
            for (std::int32_t q = 0; q < width; ++q) xs[q] = (q - half_w) * pixel_length;
            for (std::int32_t i = 0; i < g.views; ++i) {
                const View& v = views[i];
                const double* f = filtered.data() + static_cast<std::int64_t>(i) * n;
                const double along_y = r - y * v.cos_beta, across_y = y * v.sin_beta;
                for (std::int32_t q = 0; q < width; ++q) {
                    const double along = xs[q] * v.sin_beta + along_y;
                    const double across = xs[q] * v.cos_beta + across_y;
                    double index, weight;
                    if (curved) {
                        index = std::atan2(across, along) / g.spacing + centre;
                        weight = 1 / (along * along + across * across);
                    } else {
                        const double u = along / r;
                        index = (r * across / along) / flat_step + centre;
                        weight = 1 / (u * u);
                    }
                    const double k = std::floor(index);
                    if (!(k >= 0 && k < n - 1)) {
                        if (index == n - 1) pixel[q] += f[n - 1] * weight;
                        continue;
                    }
                    const std::int32_t b = static_cast<std::int32_t>(k);
                    const double t = index - k;
                    pixel[q] += ((1 - t) * f[b] + t * f[b + 1]) * weight;
                }
            }
        });
    });
    const double angular_step = g.range / g.views;
    for (double& value : image) value = value * angular_step;
    return image;
}
