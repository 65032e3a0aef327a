#include "tools/fan/fan_rebinning.h"

#include <cmath>

#include "common/parallel.h"
#include "common/sample_arrays.h"

namespace {

// One end of a line read from the fan sinogram, when the scan saw it.
struct FanSampler {
    const std::vector<double>& fan;
    const FanGeometry& g;
    RebinInterpolation interpolation;
    bool full;
    double view_step;

    // The value at view angle β (any real) and fan angle γ; false when the
    // scan did not see that ray.
    bool sample(double beta, double gamma, double& value) const {
        double position;
        if (g.detector == FanDetector::curved)
            position = gamma / g.spacing;
        else
            position = g.detector_distance * std::tan(gamma) / g.spacing;
        const double bin = position + (g.bins / 2 - g.offset);
        double turn = std::fmod(beta, fan_two_pi);
        if (turn < 0) turn += fan_two_pi;
        const double view = turn / view_step;
        const double last_bin = g.bins - 1, last_view = g.views - 1;
        if (!(bin >= 0 && bin <= last_bin)) return false;
        // A full turn wraps from the last view to the first.
        if (!full && !(view <= last_view)) return false;
        auto at = [&](std::int64_t i, std::int64_t b) { return fan[(i % g.views) * g.bins + b]; };
        if (interpolation == RebinInterpolation::nearest) {
            const std::int64_t i = static_cast<std::int64_t>(std::floor(view + 0.5));
            const std::int64_t b = static_cast<std::int64_t>(std::floor(bin + 0.5));
            value = at(i, b);
            return true;
        }
        const double vi = std::floor(view), bi = std::floor(bin);
        const double tv = view - vi, tb = bin - bi;
        const std::int64_t i = static_cast<std::int64_t>(vi), b = static_cast<std::int64_t>(bi);
        const std::int64_t i1 = tv > 0 ? i + 1 : i, b1 = tb > 0 ? b + 1 : b;
        const double near_view = (1 - tb) * at(i, b) + tb * at(i, b1);
        const double next_view = (1 - tb) * at(i1, b) + tb * at(i1, b1);
        value = (1 - tv) * near_view + tv * next_view;
        return true;
    }
};

}  // namespace

std::vector<double> rebin_to_parallel(const std::vector<double>& fan, const FanGeometry& g, std::int32_t bins,
                                      std::int32_t angles, double pixel_length, RebinInterpolation interpolation) {
    std::vector<double> parallel = take_samples(sample_count(bins, angles));
    const FanSampler sampler{fan, g, interpolation, full_turn(g), g.range / g.views};
    // Each angle fills its own row: the threads share the angles out.
    parallel_for(angles, Schedule::dynamic, [&](std::int64_t k) {
        const double theta = k * fan_pi / angles;
        double* row = parallel.data() + k * bins;
        for (std::int32_t b = 0; b < bins; ++b) {
            const double t = (b - bins / 2) * pixel_length;
            row[b] = 0;
            if (!(std::fabs(t) < g.source_distance)) continue;
            const double gamma = std::asin(t / g.source_distance);
            double sum = 0, end = 0;
            int seen = 0;
            if (sampler.sample(theta - gamma, gamma, end)) sum += end, ++seen;
            if (sampler.sample(theta + fan_pi + gamma, -gamma, end)) sum += end, ++seen;
            if (seen > 0) row[b] = sum / seen;
        }
    });
    return parallel;
}
