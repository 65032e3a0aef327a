#include "tools/fan/fan_tools.h"

#include <cmath>
#include <limits>

#include "common/answer_checks.h"
#include "common/failure.h"
#include "common/platform.h"
#include "common/sample_arrays.h"
#include "tools/fan/fan_fbp.h"
#include "tools/fan/fan_projector.h"
#include "tools/fan/fan_rebinning.h"

namespace {

constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();
constexpr double radians_per_degree = fan_pi / 180;
constexpr double degrees_per_radian = 180 / fan_pi;

void require_image(std::int32_t width, std::int32_t height, double pixel_length) {
    require_range(width, 1, most, "画像の幅");
    require_range(height, 1, most, "画像の高さ");
    require_positive(pixel_length, "画素長");
    require_sample_count(sample_count(width, height), "画像の幅 × 高さ");
}

// The sinogram's answers must be the geometry file's.
void require_file_shape(std::int32_t bins, std::int32_t views, const FanGeometry& g) {
    if (bins != g.bins)
        fail_with(" エラー：検出器の素子数 [%d] が幾何のファイルの素子数 %d と合いません.\n", bins, g.bins);
    if (views != g.views) fail_with(" エラー：投影数 [%d] が幾何のファイルの投影数 %d と合いません.\n", views, g.views);
}

// What the console tells of the geometry before the work.
void show_geometry(const FanGeometry& g, MessageSink& sink) {
    const double iso_spacing = g.detector == FanDetector::curved
                                   ? g.spacing * g.source_distance
                                   : g.spacing * g.source_distance / g.detector_distance;
    sink.show(Message(" 扇の角度 %.3f 度、拡大率 %.3f、回転中心での素子間隔 %.5f cm、角度範囲 %.3f 度\n",
                      2 * half_fan_angle(g) * degrees_per_radian, g.detector_distance / g.source_distance,
                      iso_spacing, g.range * degrees_per_radian));
}

}  // namespace

FanGeometry fan_raysum_geometry(const FanRaysumParameters& p) {
    FanGeometry g;
    g.detector = p.detector == 2 ? FanDetector::flat : FanDetector::curved;
    g.source_distance = p.source_distance;
    g.detector_distance = p.detector_distance;
    g.bins = p.bins;
    g.spacing = g.detector == FanDetector::curved ? p.angular_spacing * radians_per_degree : p.spacing;
    g.offset = p.offset;
    g.views = p.views;
    if (p.scan == 1)
        g.range = fan_two_pi;
    else if (p.scan == 2)
        g.range = short_scan_range(g);
    else
        g.range = p.range * radians_per_degree;
    // A range of 360 degrees is the full turn to the bit.
    if (full_turn(g)) g.range = fan_two_pi;
    return g;
}

void check_fan_raysum_answers(const FanRaysumParameters& p) {
    require_range(p.input_kind, 1, 2, "入力の種類");
    if (p.input_kind == 2) require_range(p.ellipse_count, 1, most, "楕円の数");
    require_image(p.width, p.height, p.pixel_length);
    require_range(p.detector, 1, 2, "検出器");
    require_range(p.scan, 1, 3, "走査");
    const FanGeometry g = fan_raysum_geometry(p);
    check_fan_geometry(g, field_radius(p.width, p.height, p.pixel_length));
    require_sample_count(sample_count(g.bins, g.views), "検出器の素子数 × 投影数");
}

std::vector<double> fan_raysum_of_image(const FanRaysumParameters& p, const SampleSource& source, MessageSink& sink) {
    check_fan_raysum_answers(p);
    const FanGeometry g = fan_raysum_geometry(p);
    show_geometry(g, sink);
    const std::int64_t pixels = sample_count(p.width, p.height);
    std::vector<double> image = take_samples(pixels);
    source(image, pixels);
    sink.show(Message(" *** Fan-beam projection ***\n"));
    return fan_project_image(image.data(), p.width, p.height, p.pixel_length, g);
}

std::vector<double> fan_raysum_of_ellipses(const FanRaysumParameters& p, const std::vector<Ellipse>& ellipses,
                                           MessageSink& sink) {
    check_fan_raysum_answers(p);
    const FanGeometry g = fan_raysum_geometry(p);
    show_geometry(g, sink);
    sink.show(Message(" *** Fan-beam projection ***\n"));
    return fan_project_ellipses(ellipses, p.width, p.height, p.pixel_length, g);
}

void check_fan_reconstruct_answers(const FanReconstructParameters& p, const FanGeometry& g) {
    require_image(p.width, p.height, p.pixel_length);
    require_range(p.window, 0, 5, "窓関数");
    require_range(p.parker, 0, 1, "Parker の重み");
    check_fan_geometry(g, field_radius(p.width, p.height, p.pixel_length));
    require_file_shape(p.bins, p.views, g);
    if (p.parker == 1 && !full_turn(g) && !parker_possible(g))
        fail_with(
            " エラー：Parker の重み [1] には 180 度 + 扇の角度（%.3f 度）以上の角度範囲が要りますが、"
            "範囲は %.3f 度です（Parker の重みを 0 にすれば再構成します）.\n",
            short_scan_range(g) * degrees_per_radian, g.range * degrees_per_radian);
}

void check_fan_rebin_answers(const FanRebinParameters& p, const FanGeometry& g) {
    require_range(p.parallel_bins, 1, most, "平行投影の幅");
    require_range(p.angles, 1, most, "平行投影の投影数");
    require_positive(p.pixel_length, "画素長");
    require_range(p.interpolation, 1, 2, "補間");
    // The parallel bins span the field the fan must see whole.
    check_fan_geometry(g, (p.parallel_bins / 2) * p.pixel_length);
    require_file_shape(p.bins, p.views, g);
    require_sample_count(sample_count(p.parallel_bins, p.angles), "平行投影の幅 × 投影数");
}

std::vector<double> fan_reconstruct_from(const FanReconstructParameters& p, const FanGeometry& g,
                                         const SampleSource& source, MessageSink& sink) {
    check_fan_reconstruct_answers(p, g);
    show_geometry(g, sink);
    const std::int64_t samples = sample_count(g.bins, g.views);
    std::vector<double> sinogram = take_samples(samples);
    sink.show(Message(" *** Read projection data ***\n"));
    source(sinogram, samples);
    sink.show(Message(" *** Reconstruction ***\n"));
    // fan_reconstruct takes row shares: a host that splits its run over several workers.
    return fan_reconstruct_image(sinogram, g, p.width, p.height, p.pixel_length, p.window - 1, p.parker == 1,
                                 CodePath::fastest, RowShares::from_environment());
}

std::vector<double> fan_rebin_from(const FanRebinParameters& p, const FanGeometry& g, const SampleSource& source,
                                   MessageSink& sink) {
    check_fan_rebin_answers(p, g);
    show_geometry(g, sink);
    const std::int64_t samples = sample_count(g.bins, g.views);
    std::vector<double> sinogram = take_samples(samples);
    sink.show(Message(" *** Read projection data ***\n"));
    source(sinogram, samples);
    sink.show(Message(" *** Rebinning ***\n"));
    return rebin_to_parallel(sinogram, g, p.parallel_bins, p.angles, p.pixel_length,
                             static_cast<RebinInterpolation>(p.interpolation));
}

void require_fan_file_samples(const std::string& name, std::int64_t count, const char* what) {
    const std::int64_t bytes = file_size_by_name(name);
    if (bytes < 0) return;
    const std::int64_t expected = count * static_cast<std::int64_t>(sizeof(float));
    if (bytes != expected)
        fail_with(" エラー：ファイル[%s]は %lld バイトで、%s の %lld 個（%lld バイト）と合いません.\n", name.c_str(),
                  static_cast<long long>(bytes), Text{what}, static_cast<long long>(count),
                  static_cast<long long>(expected));
}
