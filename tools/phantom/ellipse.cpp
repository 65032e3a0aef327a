#include "tools/phantom/ellipse.h"

#include <cmath>

#include "common/parallel.h"

namespace {

constexpr double pi = 3.14159265358979;

// Offsets from the ellipse centre, in pixels, beyond which no sample point of
// a pixel can pass the inside test: the half-extent of the turned ellipse
// plus the half pixel of the samples, with a margin for rounding. Infinite
// when the extent is not a finite number (every pixel is then tested).
struct Reach {
    double x, y;
};

Reach reach_of(double rx2, double ry2, double s, double c) {
    const double ex = std::sqrt(rx2 * c * c + ry2 * s * s);
    const double ey = std::sqrt(rx2 * s * s + ry2 * c * c);
    if (!std::isfinite(ex) || !std::isfinite(ey)) return {INFINITY, INFINITY};
    return {ex * (1 + 1e-9) + 1.0, ey * (1 + 1e-9) + 1.0};
}

}  // namespace

void draw_ellipse(std::vector<double>& image, std::int32_t width, std::int32_t height, const Ellipse& e) {
    const double theta = e.angle * pi / 180;
    const double s = std::sin(theta);
    const double c = std::cos(theta);
    const std::int32_t half_w = width / 2;
    const std::int32_t half_h = height / 2;
    const double rx = half_w * e.radius_x;
    const double ry = half_h * e.radius_y;
    const double cx = half_w * e.centre_x;
    const double cy = half_h * e.centre_y;
    const double rx2 = rx * rx;
    const double ry2 = ry * ry;
    // A pixel without any inside sample adds +0, which changes nothing (no
    // pixel is ever -0): such pixels are skipped.
    const Reach reach = reach_of(rx2, ry2, s, c);
    // Rows are independent: the threads share them out.
    parallel_for(height, Schedule::static_runs, [&](std::int64_t i) {
        const double y0 = (half_h - static_cast<std::int32_t>(i)) - cy;
        if (!(std::abs(y0) <= reach.y)) return;
        for (std::int32_t j = 0; j < width; ++j) {
            const double x0 = (j - half_w) - cx;
            if (!(std::abs(x0) <= reach.x)) continue;
            double sum = 0;
            for (int k = -15; k <= 15; k += 2) {
                const double ys = y0 + k / 32.0;
                for (int m = -15; m <= 15; m += 2) {
                    const double xs = x0 + m / 32.0;
                    const double u = xs * c + ys * s;
                    const double v = ys * c - xs * s;
                    if (u * u / rx2 + v * v / ry2 <= 1) sum += e.value;
                }
            }
            image[i * width + j] += sum * 0.00390625;
        }
    });
}
