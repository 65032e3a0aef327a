#include "tools/detectability/detectability_tool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/failure.h"
#include "common/output_file.h"
#include "common/platform.h"
#include "common/run_events.h"
#include "common/sample_arrays.h"
#include "common/text_encoding.h"
#include "common/text_lines.h"

namespace {

void require_positive(double value, const char* what) {
    if (!(value > 0) || !std::isfinite(value)) fail_with(" エラー：%sは正の値にしてください[%f].\n", Text{what}, value);
}

void require_not_negative(double value, const char* what) {
    if (!(value >= 0) || !std::isfinite(value)) fail_with(" エラー：%sは0以上にしてください[%f].\n", Text{what}, value);
}

void require_choice(std::int32_t value, std::int32_t last, const char* what) {
    if (value < 0 || value > last) fail_with(" エラー：%sは%dから%dまでにしてください[%d].\n", Text{what}, 0, last, value);
}

// The whole file as bytes; a file that cannot be opened ends the run.
std::string file_bytes(const std::string& name) {
    std::FILE* in = open_for_reading(name, "rb");
    if (in == nullptr) fail_open(name);
    std::string bytes;
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.append(chunk, n);
    std::fclose(in);
    run_events::file(name, run_events::Role::input, static_cast<std::int64_t>(bytes.size()));
    return bytes;
}

// The lines of a table that hold something.
std::vector<std::string> lines_of(const std::string& bytes) {
    std::vector<std::string> lines = text_lines(bytes);
    std::erase_if(lines, [](const std::string& line) { return line.empty(); });
    return lines;
}

// A cell that is one number and nothing else.
bool number_of(const std::string& cell, double& value) {
    const char* text = cell.c_str();
    char* end = nullptr;
    value = std::strtod(text, &end);
    if (end == text) return false;
    while (*end == ' ') ++end;
    return *end == '\0';
}

[[noreturn]] void not_an_mtf(const std::string& name, const char* why) {
    fail_with(" エラー：MTFの表ではありません[%s]（%s）.\n", name.c_str(), Text{why});
}

[[noreturn]] void not_an_nps_table(const std::string& name, const char* why) {
    fail_with(" エラー：NPSの表ではありません[%s]（%s）.\n", name.c_str(), Text{why});
}

// Linear interpolation in a table of values at x_0 < x_1 < …; held beyond the last.
double interpolate(const std::vector<double>& x, const std::vector<double>& y, double at) {
    if (at >= x.back()) return y.back();
    const auto upper = std::upper_bound(x.begin(), x.end(), at);
    const std::size_t i = static_cast<std::size_t>(upper - x.begin());
    const double t = (at - x[i - 1]) / (x[i] - x[i - 1]);
    return y[i - 1] + t * (y[i] - y[i - 1]);
}

std::vector<double> table_diameters(const DetectabilityParameters& p) {
    std::vector<double> d(static_cast<std::size_t>(std::max(p.diameter_count, 0)));
    for (std::size_t k = 0; k < d.size(); ++k) d[k] = p.diameter_start + static_cast<double>(k) * p.diameter_step;
    return d;
}

Task task_of(const DetectabilityParameters& p, double diameter) {
    Task t;
    t.shape = static_cast<TaskShape>(p.task_kind);
    t.diameter = diameter;
    t.contrast = p.contrast;
    t.exponent = p.exponent;
    t.blur = p.blur;
    return t;
}

std::string diameter_text(double d) {
    if (d < 0) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%f", d);
    return text;
}

}  // namespace

void check_detectability_answers(const DetectabilityParameters& p) {
    require_choice(p.mtf_kind, 1, "MTFの種類");
    require_choice(p.nps_kind, 3, "NPSの種類");
    require_choice(p.task_kind, 2, "円板の形");
    if (p.mtf_kind == 0) require_positive(p.mtf_spacing, "MTFの表のピクセル長");
    if (p.mtf_kind == 1) require_not_negative(p.mtf_sigma, "ガウスMTFの標準偏差");
    if (p.nps_kind == 3) require_positive(p.noise_sigma, "白色雑音の標準偏差");
    if (p.width < 2 || p.height < 2 || p.width % 2 != 0 || p.height % 2 != 0)
        fail_with(" エラー：画像の幅と高さは2以上の偶数にしてください[%d × %d].\n", p.width, p.height);
    require_positive(p.pixel_size, "画素長");
    require_positive(p.diameter, "円板の直径");
    if (!std::isfinite(p.contrast)) fail_with(" エラー：%sが有限の数ではありません.\n", Text{"円板のコントラスト"});
    if (p.task_kind == 1 && !(p.exponent >= 0 && p.exponent <= 5))
        fail_with(" エラー：%sは0から5までにしてください[%f].\n", Text{"デザイナー円板の指数n"}, p.exponent);
    if (p.task_kind == 2) require_not_negative(p.blur, "円板のぼけの標準偏差");
    require_positive(p.eye_exponent, "眼のフィルタの指数n");
    require_positive(p.eye_peak, "眼のフィルタのピーク");
    require_positive(p.viewing_distance, "観察距離");
    require_positive(p.display_pitch, "表示の画素ピッチ");
    require_positive(p.zoom, "表示の拡大率");
    require_not_negative(p.internal_noise, "内部雑音の係数α");
    require_positive(p.diameter_start, "表の最初の直径");
    require_positive(p.diameter_step, "表の直径の間隔");
    if (p.diameter_count < 2 || p.diameter_count > 10000)
        fail_with(" エラー：%sは%dから%dまでにしてください[%d].\n", Text{"表の直径の数"}, 2, 10000, p.diameter_count);
    const double field = std::min(p.width, p.height) * p.pixel_size;
    if (p.diameter > field)
        fail_with(" エラー：%s %f mm が画像の幅と高さ（%f mm）を超えます.\n", Text{"円板の直径"}, p.diameter, field);
    const double last = p.diameter_start + (p.diameter_count - 1) * p.diameter_step;
    if (last > field) fail_with(" エラー：%s %f mm が画像の幅と高さ（%f mm）を超えます.\n", Text{"表の最後の直径"}, last, field);
}

std::vector<double> read_mtf_table(const std::string& name) {
    std::vector<double> values;
    for (const std::string& line : lines_of(file_bytes(name))) {
        const std::vector<std::string> cells = tab_cells(line);
        double v = 0;
        if (cells.size() != 1 || !number_of(cells[0], v)) not_an_mtf(name, "1行に1つの数の表ではありません");
        values.push_back(v);
    }
    return values;
}

NpsProfile read_nps_table(const std::string& name, std::int32_t row) {
    const std::vector<std::string> lines = lines_of(file_bytes(name));
    const std::string header = to_shift_jis("周波数");
    if (lines.empty() || tab_cells(lines[0])[0] != header) not_an_nps_table(name, "見出しの「周波数」がありません");
    const std::int32_t rows = static_cast<std::int32_t>(lines.size()) - 1;
    if (row < 1 || row > rows) fail_with(" エラー：NPSの表の行番号は1から%dまでにしてください[%d].\n", rows, row);
    NpsProfile profile;
    const std::vector<std::string> head = tab_cells(lines[0]), cells = tab_cells(lines[static_cast<std::size_t>(row)]);
    if (head.size() < 2 || cells.size() != head.size()) not_an_nps_table(name, "行の数の個数が見出しと違います");
    for (std::size_t k = 1; k < head.size(); ++k) {
        double f = 0, v = 0;
        if (!number_of(head[k], f) || !(f > 0) || (!profile.frequencies.empty() && !(f > profile.frequencies.back())))
            not_an_nps_table(name, "周波数が正の増加列ではありません");
        if (!number_of(cells[k], v) || !std::isfinite(v) || v < 0) not_an_nps_table(name, "負か有限でない値があります");
        profile.frequencies.push_back(f);
        profile.values.push_back(v);
    }
    return profile;
}

RadialFunction mtf_of(const DetectabilityParameters& p, const std::vector<double>& table, const std::string& name) {
    const double pixel = p.pixel_size;
    if (p.mtf_kind == 1) {
        const double s = p.mtf_sigma;
        return [s](double rho) { return std::exp(-2.0 * detect_pi * detect_pi * s * s * rho * rho); };
    }
    if (table.size() < 2) not_an_mtf(name, "2行より少ない表です");
    for (double v : table)
        if (!std::isfinite(v)) not_an_mtf(name, "有限でない値があります");
    if (std::fabs(table[0] - 1.0) > 1e-6) not_an_mtf(name, "最初の値が1ではありません");
    // Line i at i/(2·N·s) cycles/pixel; the image's corner frequency is √2/2 cycles/pixel.
    const double lines_per_cycle = 2.0 * static_cast<double>(table.size()) * p.mtf_spacing;
    const double corner = std::sqrt(2.0) / 2.0;
    const double last = static_cast<double>(table.size() - 1) / lines_per_cycle;
    if (last < corner)
        fail_with(" エラー：MTFの表が画像の周波数の範囲（%f cycles/pixel）まで届きません[%s]（最後の行 %f cycles/pixel）.\n",
                  corner, name.c_str(), last);
    return [table, lines_per_cycle, pixel](double rho) {
        const double at = rho * pixel * lines_per_cycle;
        const auto i = static_cast<std::size_t>(at);
        if (i + 1 >= table.size()) return table.back();
        const double t = at - static_cast<double>(i);
        return table[i] + t * (table[i + 1] - table[i]);
    };
}

FrequencyGrid nps_grid_of(const DetectabilityParameters& p, const std::vector<double>& image, const NpsProfile& table,
                          const std::string& name) {
    FrequencyGrid grid;
    grid.width = p.width;
    grid.height = p.height;
    grid.pixel = p.pixel_size;
    const std::int64_t samples = sample_count(p.width, p.height);
    grid.nps = take_samples(samples);
    const double area = p.pixel_size * p.pixel_size;
    const double w_h = static_cast<double>(samples);
    const std::int64_t centre = static_cast<std::int64_t>(p.height / 2) * p.width + p.width / 2;
    switch (p.nps_kind) {
        case 0: {
            // The NNPS image is |F|² over its peak, the square of the image's sum:
            // W·H below an NPS relative to the mean², which ×W·H·Δ² restores.
            if (std::fabs(image[static_cast<std::size_t>(centre)] - 1.0) > 1e-6)
                fail_with(" エラー：NNPS画像ではありません[%s]（%s）.\n", name.c_str(), Text{"ゼロ周波数の値が1ではありません"});
            for (std::int64_t i = 0; i < samples; ++i) {
                const double s = image[static_cast<std::size_t>(i)];
                if (!(s >= 0 && s <= 1.000001))
                    fail_with(" エラー：NNPS画像ではありません[%s]（%s）.\n", name.c_str(), Text{"0から1の外の値があります"});
                grid.nps[static_cast<std::size_t>(i)] = s * w_h * area;
            }
            // The zero frequency holds the mean's power, not the noise's.
            const std::size_t c = static_cast<std::size_t>(centre), w = static_cast<std::size_t>(p.width);
            const double left = grid.nps[c - 1], right = p.width > 2 ? grid.nps[c + 1] : grid.nps[c - 1];
            const double up = grid.nps[c - w], down = p.height > 2 ? grid.nps[c + w] : grid.nps[c - w];
            grid.nps[c] = (left + right + up + down) / 4.0;
            break;
        }
        case 1:
            // The reconstructed-noise images keep |F|² of the unscaled transform.
            for (std::int64_t i = 0; i < samples; ++i) {
                const double s = image[static_cast<std::size_t>(i)];
                if (!(s >= 0) || !std::isfinite(s))
                    fail_with(" エラー：NPS画像ではありません[%s]（%s）.\n", name.c_str(), Text{"負か有限でない値があります"});
                grid.nps[static_cast<std::size_t>(i)] = s * area / w_h;
            }
            break;
        case 2: {
            // Bins of the reconstructed-noise tables: |F|² over frequency in cycles/pixel,
            // 0 at zero frequency where the ramp filter removes everything.
            std::vector<double> f = {0.0}, v = {0.0};
            f.insert(f.end(), table.frequencies.begin(), table.frequencies.end());
            v.insert(v.end(), table.values.begin(), table.values.end());
            for (std::int32_t y = 0; y < p.height; ++y)
                for (std::int32_t x = 0; x < p.width; ++x)
                    grid.nps[static_cast<std::size_t>(y) * p.width + x] =
                        interpolate(f, v, grid.radius(y, x) * p.pixel_size) * area / w_h;
            break;
        }
        default:
            std::fill(grid.nps.begin(), grid.nps.end(), p.noise_sigma * p.noise_sigma * area);
            break;
    }
    return grid;
}

DetectabilityOutcome compute_detectability(const DetectabilityParameters& p, const RadialFunction& mtf,
                                           const FrequencyGrid& grid, MessageSink& sink) {
    DetectabilityOutcome o;
    o.eye.exponent = p.eye_exponent;
    o.eye.peak = p.eye_peak;
    o.eye.viewing_distance = p.viewing_distance;
    o.eye.display_pitch = p.display_pitch;
    o.eye.zoom = p.zoom;
    o.eye.pixel = p.pixel_size;
    const GridObservers observers(grid, mtf, o.eye, p.internal_noise);
    o.mean_nps = grid.mean_nps();
    o.internal_noise = observers.internal_noise();
    o.diameters = table_diameters(p);
    std::vector<Task> tasks = {task_of(p, p.diameter)};
    for (double d : o.diameters) tasks.push_back(task_of(p, d));
    const std::vector<ObserverValues> values = observers.d_prime(tasks);
    o.task = values[0];
    o.over_diameters.assign(values.begin() + 1, values.end());
    std::vector<double> npw, npwe, npwei;
    for (const ObserverValues& v : o.over_diameters) {
        npw.push_back(v.npw);
        npwe.push_back(v.npwe);
        npwei.push_back(v.npwei);
    }
    o.diameter_at_three = {diameter_at_three(o.diameters, npw), diameter_at_three(o.diameters, npwe),
                           diameter_at_three(o.diameters, npwei)};
    o.bin_width = 1.0 / (std::min(p.width, p.height) * p.pixel_size);
    o.bins = std::min(p.width, p.height) / 2 + 1;
    o.profiles = observers.integrand_profiles(tasks[0], o.bins, o.bin_width);

    sink.show(Message("眼のフィルタ：E(f) = f^%f*exp(-%f*f^2)、ピーク %f cycles/度 = 画像の %f cycles/mm\n", o.eye.exponent,
                      o.eye.c(), o.eye.peak, o.eye.peak_cycles_per_mm()));
    sink.show(Message("NPS の平均 %e mm^2（画素の分散 %e）、内部雑音 %e mm^2\n", o.mean_nps,
                      o.mean_nps / (p.pixel_size * p.pixel_size), o.internal_noise));
    sink.show(Message("観察者  d'（直径 %f mm）  d'=3 となる直径（mm）\n", p.diameter));
    const char* names[] = {"NPW  ", "NPWE ", "NPWEi"};
    const double d[] = {o.task.npw, o.task.npwe, o.task.npwei};
    const double at3[] = {o.diameter_at_three.npw, o.diameter_at_three.npwe, o.diameter_at_three.npwei};
    for (int i = 0; i < 3; ++i)
        sink.show(Message::bytes(std::string(names[i]) + "   " + diameter_text(d[i]) + "   " + diameter_text(at3[i]) + "\n"));
    return o;
}

void write_detectability_tables(const DetectabilityParameters& p, const DetectabilityOutcome& o) {
    const char* labels[] = {"NPW", "NPWE", "NPWEi"};
    {
        OutputFile out = open_table_file(p.output);
        std::FILE* f = out.stream();
        std::fputs(to_shift_jis("観察者\td'\td'=3の直径(mm)\n").c_str(), f);
        const double d[] = {o.task.npw, o.task.npwe, o.task.npwei};
        const double at3[] = {o.diameter_at_three.npw, o.diameter_at_three.npwe, o.diameter_at_three.npwei};
        for (int i = 0; i < 3; ++i) std::fprintf(f, "%s\t%f\t%s\n", labels[i], d[i], diameter_text(at3[i]).c_str());
        out.close();
    }
    {
        OutputFile out = open_table_file(p.diameter_output);
        std::FILE* f = out.stream();
        std::fputs(to_shift_jis("直径").c_str(), f);
        for (double d : o.diameters) std::fprintf(f, "\t%f", d);
        std::fputs("\n", f);
        for (int i = 0; i < 3; ++i) {
            std::fputs(labels[i], f);
            for (const ObserverValues& v : o.over_diameters) std::fprintf(f, "\t%e", i == 0 ? v.npw : i == 1 ? v.npwe
                                                                                                             : v.npwei);
            std::fputs("\n", f);
        }
        out.close();
    }
    {
        OutputFile out = open_table_file(p.integrand_output);
        std::FILE* f = out.stream();
        std::fputs(to_shift_jis("周波数").c_str(), f);
        for (std::int32_t k = 0; k < o.bins; ++k) std::fprintf(f, "\t%f", k * o.bin_width);
        std::fputs("\n", f);
        const char* rows[] = {"|W|^2MTF^2", "|W|^2MTF^2NPS", "|W|^2MTF^2E^2", "|W|^2MTF^2E^4NPS"};
        for (int r = 0; r < 4; ++r) {
            std::fputs(rows[r], f);
            for (std::int32_t k = 0; k < o.bins; ++k)
                std::fprintf(f, "\t%e", o.profiles[static_cast<std::size_t>(r * o.bins + k)]);
            std::fputs("\n", f);
        }
        out.close();
    }
}

void run_detectability(const DetectabilityParameters& p, MessageSink& sink) {
    check_detectability_answers(p);
    std::vector<double> table, image;
    NpsProfile profile;
    if (p.mtf_kind == 0) table = read_mtf_table(p.mtf_input);
    const RadialFunction mtf = mtf_of(p, table, p.mtf_input);
    if (p.nps_kind == 0 || p.nps_kind == 1) {
        const std::int64_t samples = sample_count(p.width, p.height);
        image = take_samples(samples);
        read_raw_file(p.nps_input, image, samples, sink);
    }
    if (p.nps_kind == 2) profile = read_nps_table(p.nps_input, p.nps_row);
    const FrequencyGrid grid = nps_grid_of(p, image, profile, p.nps_input);
    const DetectabilityOutcome o = compute_detectability(p, mtf, grid, sink);
    write_detectability_tables(p, o);
}
