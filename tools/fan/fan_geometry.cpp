#include "tools/fan/fan_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "common/answer_checks.h"
#include "common/failure.h"
#include "common/output_file.h"
#include "common/platform.h"
#include "common/run_events.h"

double bin_fan_angle(const FanGeometry& g, std::int32_t b) {
    const double position = bin_position(g, b);
    if (g.detector == FanDetector::curved) return position * g.spacing;
    return std::atan((position * g.spacing) / g.detector_distance);
}

double half_fan_angle(const FanGeometry& g) {
    return std::max(std::fabs(bin_fan_angle(g, 0)), std::fabs(bin_fan_angle(g, g.bins - 1)));
}

double short_scan_range(const FanGeometry& g) { return fan_pi + 2 * half_fan_angle(g); }

bool full_turn(const FanGeometry& g) { return std::fabs(g.range - fan_two_pi) < 1e-9; }

double field_radius(std::int32_t width, std::int32_t height, double pixel_length) {
    return (std::max(width, height) / 2) * pixel_length;
}

namespace {

void require_count(std::int32_t value, const char* name) {
    if (value < 1) fail_with(" エラー：%s [%d] は 1 以上にしてください.\n", Text{name}, value);
}

constexpr double degrees_per_radian = 180 / fan_pi;

}  // namespace

void check_fan_geometry(const FanGeometry& g, double radius) {
    require_positive(g.source_distance, "線源・回転中心間距離");
    require_positive(g.detector_distance, "線源・検出器間距離");
    require_count(g.bins, "検出器の素子数");
    require_positive(g.spacing, g.detector == FanDetector::curved ? "検出器の角度間隔" : "検出器の素子間隔");
    if (!std::isfinite(g.offset))
        fail_with(" エラー：検出器のずれ [%g] は有限の値にしてください.\n", g.offset);
    require_count(g.views, "投影数");
    if (!(g.range > 0) || g.range > fan_two_pi + 1e-9)
        fail_with(" エラー：投影の角度範囲 [%g 度] は 0 度より大きく 360 度以下にしてください.\n",
                  g.range * degrees_per_radian);
    if (g.detector_distance < g.source_distance)
        fail_with(
            " エラー：線源・検出器間距離 [%g cm] が線源・回転中心間距離 [%g cm] より短く、"
            "検出器が物体の手前にあります.\n",
            g.detector_distance, g.source_distance);
    if (g.detector == FanDetector::curved && half_fan_angle(g) >= fan_pi / 2)
        fail_with(" エラー：扇の角度（検出器の角度間隔 × 素子数）が 180 度以上です.\n");
    if (radius <= 0) return;
    if (g.source_distance <= radius)
        fail_with(" エラー：線源・回転中心間距離 [%g cm] が物体の円（半径 %g cm）の内側です.\n",
                  g.source_distance, radius);
    // Every view must see the whole circle: the fan must reach asin(r / R)
    // on both sides of the central ray, to the edges of the outer bins.
    const double needed = std::asin(radius / g.source_distance);
    FanGeometry edges = g;
    edges.offset = g.offset - 0.5;
    const double low = bin_fan_angle(edges, 0);
    edges.offset = g.offset + 0.5;
    const double high = bin_fan_angle(edges, g.bins - 1);
    if (-low < needed || high < needed)
        fail_with(
            " エラー：検出器が扇を覆いきれません：物体の円（半径 %g cm）には中心線の両側に %g 度が要りますが、"
            "検出器は %g 度から %g 度までです（検出器の素子数・間隔・ずれ）.\n",
            radius, needed * degrees_per_radian, low * degrees_per_radian, high * degrees_per_radian);
}

std::string fan_geometry_text(const FanGeometry& g) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "# fan-beam sinogram geometry: rows are views, columns detector bins\n"
                  "detector = %s\n"
                  "source_to_isocentre_cm = %.17g\n"
                  "source_to_detector_cm = %.17g\n"
                  "bins = %d\n"
                  "bin_spacing = %.17g\n"
                  "bin_spacing_unit = %s\n"
                  "offset_bins = %.17g\n"
                  "views = %d\n"
                  "range_radians = %.17g\n"
                  "range_degrees = %.6f\n",
                  g.detector == FanDetector::curved ? "curved" : "flat", g.source_distance, g.detector_distance,
                  static_cast<int>(g.bins), g.spacing, g.detector == FanDetector::curved ? "radians" : "cm", g.offset,
                  static_cast<int>(g.views), g.range, g.range * degrees_per_radian);
    return text;
}

FanGeometry parse_fan_geometry(const std::string& text, const std::string& file_name) {
    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        auto trim = [](std::string s) {
            const std::size_t a = s.find_first_not_of(" \t");
            const std::size_t b = s.find_last_not_of(" \t");
            return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
        };
        values[trim(line.substr(0, equals))] = trim(line.substr(equals + 1));
    }
    auto value_of = [&](const char* key) -> const std::string& {
        const auto found = values.find(key);
        if (found == values.end())
            fail_with(" エラー：扇ビームの幾何ファイル[%s]に %s がありません.\n", file_name.c_str(), key);
        return found->second;
    };
    auto real = [&](const char* key) {
        const std::string& s = value_of(key);
        char* end = nullptr;
        const double v = std::strtod(s.c_str(), &end);
        if (s.empty() || *end != '\0')
            fail_with(" エラー：扇ビームの幾何ファイル[%s]の %s [%s] が数ではありません.\n", file_name.c_str(), key,
                      s.c_str());
        return v;
    };
    auto integer = [&](const char* key) {
        const double v = real(key);
        if (v != std::floor(v) || std::fabs(v) > 2147483647.0)
            fail_with(" エラー：扇ビームの幾何ファイル[%s]の %s [%g] が整数ではありません.\n", file_name.c_str(), key, v);
        return static_cast<std::int32_t>(v);
    };
    FanGeometry g;
    const std::string& detector = value_of("detector");
    if (detector == "curved")
        g.detector = FanDetector::curved;
    else if (detector == "flat")
        g.detector = FanDetector::flat;
    else
        fail_with(" エラー：扇ビームの幾何ファイル[%s]の detector [%s] は curved か flat にしてください.\n",
                  file_name.c_str(), detector.c_str());
    g.source_distance = real("source_to_isocentre_cm");
    g.detector_distance = real("source_to_detector_cm");
    g.bins = integer("bins");
    g.spacing = real("bin_spacing");
    g.offset = real("offset_bins");
    g.views = integer("views");
    g.range = real("range_radians");
    return g;
}

FanGeometry read_fan_geometry_file(const std::string& name) {
    std::FILE* in = open_for_reading(name, "rb");
    if (in == nullptr) fail_open(name);
    run_events::file(name, run_events::Role::input, regular_file_size(in));
    std::string text;
    char buffer[512];
    std::size_t got = 0;
    // A geometry file is a few hundred bytes; anything past 64 KiB is not one.
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0 && text.size() < 65536) text.append(buffer, got);
    std::fclose(in);
    return parse_fan_geometry(text, name);
}

OutputFile fan_geometry_output(const std::string& name, const FanGeometry& g) {
    OutputFile file(name);
    const std::string text = fan_geometry_text(g);
    std::fputs(text.c_str(), file.stream());
    return file;
}
