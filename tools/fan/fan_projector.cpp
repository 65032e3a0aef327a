#include "tools/fan/fan_projector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/parallel.h"
#include "common/sample_arrays.h"

FanRay fan_ray(const FanGeometry& g, std::int32_t view, std::int32_t bin, double pixel_length) {
    const double beta = view_angle(g, view);
    const double gamma = bin_fan_angle(g, bin);
    const double sb = std::sin(beta), cb = std::cos(beta);
    const double r = g.source_distance / pixel_length;
    // Towards the isocentre c = (sin β, −cos β), across it e_t = (cos β, sin β).
    const double sg = std::sin(gamma), cg = std::cos(gamma);
    return {-r * sb, r * cb, cg * sb + sg * cb, sg * sb - cg * cb};
}

namespace {

constexpr double infinite = std::numeric_limits<double>::infinity();

// The ray's parameters where it enters and leaves the slab low ≤ p ≤ high
// of one coordinate (start p0, step d); an empty pair when it misses.
void slab(double p0, double d, double low, double high, double& enter, double& leave) {
    if (d == 0) {
        if (p0 < low || p0 > high) enter = infinite, leave = -infinite;
        return;
    }
    double a = (low - p0) / d, b = (high - p0) / d;
    if (a > b) std::swap(a, b);
    enter = std::max(enter, a);
    leave = std::min(leave, b);
}

}  // namespace

double pixel_path_integral(const double* image, std::int32_t width, std::int32_t height, const FanRay& ray) {
    // Pixel (r, q) covers x in [q − W/2 − ½, q − W/2 + ½] and y in
    // [H/2 − r − ½, H/2 − r + ½].
    const double left = -(width / 2) - 0.5, right = left + width;
    const double top = (height / 2) + 0.5, bottom = top - height;
    double enter = 0, leave = infinite;
    slab(ray.from_x, ray.direction_x, left, right, enter, leave);
    slab(ray.from_y, ray.direction_y, bottom, top, enter, leave);
    if (!(enter < leave)) return 0;
    // The pixel the ray is in just after it enters: halfway to the nearer of
    // its first crossing and its exit decides, so that a ray entering on a
    // corner or along an edge starts in a pixel it really crosses.
    const double dx = ray.direction_x, dy = ray.direction_y;
    const std::int32_t step_q = dx > 0 ? 1 : -1, step_r = dy > 0 ? -1 : 1;
    auto column_at = [&](double s) {
        const double c = std::floor(ray.from_x + s * dx - left);
        return static_cast<std::int32_t>(std::min(std::max(c, 0.0), width - 1.0));
    };
    auto row_at = [&](double s) {
        const double c = std::floor(top - (ray.from_y + s * dy));
        return static_cast<std::int32_t>(std::min(std::max(c, 0.0), height - 1.0));
    };
    // The parameter where the ray leaves column q or row r.
    auto column_exit = [&](std::int32_t q) {
        return dx == 0 ? infinite : (left + q + (dx > 0 ? 1 : 0) - ray.from_x) / dx;
    };
    auto row_exit = [&](std::int32_t r) {
        return dy == 0 ? infinite : (top - r - (dy > 0 ? 0 : 1) - ray.from_y) / dy;
    };
    double s = enter;
    const double probe = enter + (leave - enter) * 1e-9;
    std::int32_t q = column_at(probe), r = row_at(probe);
    double sum = 0;
    while (s < leave) {
        const double next_x = column_exit(q), next_y = row_exit(r);
        const double next = std::min(std::min(next_x, next_y), leave);
        if (next > s) sum += (next - s) * image[static_cast<std::int64_t>(r) * width + q];
        s = next;
        if (next_x <= next) q += step_q;
        if (next_y <= next) r += step_r;
        if (q < 0 || q >= width || r < 0 || r >= height) break;
    }
    return sum;
}

double ellipse_path_integral(const std::vector<Ellipse>& ellipses, std::int32_t width, std::int32_t height,
                             const FanRay& ray) {
    const std::int32_t half_w = width / 2, half_h = height / 2;
    double sum = 0;
    for (const Ellipse& e : ellipses) {
        // The same frame as draw_ellipse: u along the ellipse's own x axis.
        const double theta = e.angle * fan_pi / 180;
        const double s = std::sin(theta), c = std::cos(theta);
        const double rx = half_w * e.radius_x, ry = half_h * e.radius_y;
        const double x0 = ray.from_x - half_w * e.centre_x, y0 = ray.from_y - half_h * e.centre_y;
        // The ray in the ellipse's frame scaled to the unit circle.
        const double au = (x0 * c + y0 * s) / rx, av = (y0 * c - x0 * s) / ry;
        const double bu = (ray.direction_x * c + ray.direction_y * s) / rx;
        const double bv = (ray.direction_y * c - ray.direction_x * s) / ry;
        const double bb = bu * bu + bv * bv, ab = au * bu + av * bv, aa = au * au + av * av;
        const double discriminant = ab * ab - bb * (aa - 1);
        if (!(discriminant > 0) || !(bb > 0)) continue;
        sum += e.value * (2 * std::sqrt(discriminant) / bb);
    }
    return sum;
}

namespace {

template <typename Integral>
std::vector<double> fan_project(const FanGeometry& g, double pixel_length, Integral integral) {
    std::vector<double> sinogram = take_samples(sample_count(g.bins, g.views));
    // Each view fills its own row: the threads share the views out.
    parallel_for(g.views, Schedule::dynamic, [&](std::int64_t i) {
        double* row = sinogram.data() + i * g.bins;
        for (std::int32_t b = 0; b < g.bins; ++b)
            row[b] = integral(fan_ray(g, static_cast<std::int32_t>(i), b, pixel_length)) * pixel_length;
    });
    return sinogram;
}

}  // namespace

std::vector<double> fan_project_image(const double* image, std::int32_t width, std::int32_t height,
                                      double pixel_length, const FanGeometry& g) {
    return fan_project(g, pixel_length,
                       [&](const FanRay& ray) { return pixel_path_integral(image, width, height, ray); });
}

std::vector<double> fan_project_ellipses(const std::vector<Ellipse>& ellipses, std::int32_t width,
                                         std::int32_t height, double pixel_length, const FanGeometry& g) {
    return fan_project(g, pixel_length,
                       [&](const FanRay& ray) { return ellipse_path_integral(ellipses, width, height, ray); });
}
