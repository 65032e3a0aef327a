#include "tools/resolution/edge_spread.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/console_text.h"
#include "common/sample_arrays.h"
#include "tools/resolution/distance_order.h"

namespace {

constexpr double pi = 3.14159265358979;

void warn_bright_start(const Crossing& crossing, const char* sequence, MessageSink& sink) {
    if (!crossing.starts_above_half) return;
    sink.warning(Message(" 警告：エッジが暗から明へ変わっていません[%s].\n", Text{sequence}).kind("edge_not_dark_to_bright"));
}

[[noreturn]] void fail_edge_not_found(double k, std::int64_t n) {
    fail_with(" エラー：エッジの位置が求まりません[半値の位置 %f, 画素数 %lld].\n", k, static_cast<long long>(n));
}

[[noreturn]] void fail_angle_not_measured(const Crossing rows[2]) {
    fail_with(" エラー：エッジの傾斜角度が求まりません[先頭の行の半値の位置 %f, 最後の行の半値の位置 %f].\n",
              rows[0].index, rows[1].index);
}

}  // namespace

Crossing half_max_crossing(const double* v, std::int64_t m) {
    if (m < 2) return {0.0, false};
    double vmax = v[0];
    for (std::int64_t i = 1; i < m; ++i) {
        if (v[i] > vmax) vmax = v[i];
    }
    const double half = vmax * 0.5;
    std::int64_t r = 1;
    bool starts_above_half = false;
    for (std::int64_t i = 0; i < m; ++i) {
        if (v[i] > half) {
            // At index 0 there is no sample to the left: use samples 0 and 1.
            starts_above_half = i == 0;
            r = starts_above_half ? 1 : i;
            break;
        }
    }
    const double t = (v[r] - half) / (v[r] - v[r - 1]);
    return {(1 - t) * static_cast<double>(r) + t * static_cast<double>(r - 1), starts_above_half};
}

double edge_angle(const std::vector<double>& image, std::int32_t width, std::int32_t height,
                  Crossing crossings[2]) {
    crossings[0] = crossings[1] = {0.0, false};
    if (height >= 1 && width >= 2) {
        crossings[0] = half_max_crossing(image.data(), width);
        crossings[1] = half_max_crossing(image.data() + sample_count(height - 1, width), width);
    }
    // The divisor is the height, not the height − 1 rows between the two.
    return std::atan2(crossings[1].index - crossings[0].index, static_cast<double>(height));
}

std::vector<double> distance_map(std::int32_t width, std::int32_t height, double theta) {
    std::vector<double> distance = take_samples(sample_count(width, height));
    const double s = std::sin(theta);
    const double c = std::cos(theta);
    for (std::int32_t i = 0; i < height; ++i) {
        const std::int32_t y = height / 2 - i;
        double* row = distance.data() + sample_count(i, width);
        for (std::int32_t j = 0; j < width; ++j) {
            const std::int32_t x = j - width / 2;
            row[j] = x * c + y * s;
        }
    }
    return distance;
}

std::optional<std::int64_t> edge_offset_index(double k, std::int64_t n) {
    const double shifted = k + 0.5;
    if (!std::isfinite(shifted)) return std::nullopt;
    const double index = std::trunc(shifted);
    if (index < 0 || index >= static_cast<double>(n)) return std::nullopt;
    return static_cast<std::int64_t>(index);
}

std::vector<double> edge_spread(const std::vector<double>& distance, const std::vector<double>& sorted_values,
                                std::int64_t points, double delta, double d0) {
    std::vector<double> esf = take_samples(points);
    const auto begin = distance.begin();
    const auto end = distance.end();
    // Ascending distances put every window on one contiguous run of the list;
    // NaN distances (from a NaN angle) have no order, so scan them all.
    const bool ordered = std::none_of(begin, end, [](double d) { return std::isnan(d); });
    for (std::int64_t b = 0; b < points; ++b) {
        const std::int64_t e = b - points / 2;
        const double centre = static_cast<double>(e) * delta + d0;
        const double lower = centre - delta;
        const double upper = centre + delta;
        double sum = 0;
        std::int64_t count = 0;
        if (ordered) {
            const auto first = std::partition_point(begin, end, [&](double d) { return !(lower <= d); });
            const auto last = std::partition_point(begin, end, [&](double d) { return d < upper; });
            for (auto i = first; i < last; ++i) {
                sum += sorted_values[static_cast<std::size_t>(i - begin)];
                ++count;
            }
        } else {
            for (std::size_t i = 0; i < distance.size(); ++i) {
                if (lower <= distance[i] && distance[i] < upper) {
                    sum += sorted_values[i];
                    ++count;
                }
            }
        }
        esf[static_cast<std::size_t>(b)] = sum / static_cast<double>(count);  // 0/0 marks an empty window
    }
    return esf;
}

void line_spread(const double* esf, std::int64_t points, double delta, double* lsf) {
    if (points <= 0) return;
    for (std::int64_t b = 0; b + 1 < points; ++b) lsf[b] = (esf[b + 1] - esf[b]) / delta;
    lsf[points - 1] = 0;
}

std::vector<double> measure_edge_spread(std::vector<double>& image, std::int32_t width, std::int32_t height,
                                        std::int64_t points, double delta, MessageSink& sink,
                                        double* tilt_degrees) {
    Crossing rows[2];
    const double theta = edge_angle(image, width, height, rows);
    warn_bright_start(rows[0], "先頭の行", sink);
    warn_bright_start(rows[1], "最後の行", sink);
    const double degrees = theta * 180 / pi;
    sink.show(Message("傾斜角度：%f 度\n", degrees));
    if (tilt_degrees != nullptr) *tilt_degrees = degrees;
    // A flat, all-zero or NaN first or last row has no crossing: without an
    // angle there is no distance map, so stop before any file is opened.
    if (std::isnan(theta)) fail_angle_not_measured(rows);

    std::vector<double> distance = distance_map(width, height, theta);
    const std::int64_t n = static_cast<std::int64_t>(distance.size());
    sort_by_distance(distance.data(), image.data(), n);

    const Crossing k = half_max_crossing(image.data(), n);
    warn_bright_start(k, "距離順の画素値", sink);
    const std::optional<std::int64_t> offset = edge_offset_index(k.index, n);
    if (!offset) fail_edge_not_found(k.index, n);
    return edge_spread(distance, image, points, delta, distance[static_cast<std::size_t>(*offset)]);
}
