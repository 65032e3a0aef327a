#include "tools/resolution/resolution_tools.h"

#include "common/sample_arrays.h"
#include "tools/resolution/edge_spread.h"
#include "tools/resolution/edge_target.h"
#include "tools/resolution/transfer.h"

std::vector<double> draw_step_target(const StepTargetParameters& p) {
    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> image = take_samples(count);
    draw_step_edge(image, p.width, p.height, p.gain, p.angle);
    return image;
}

SlantProfile measure_slant_profile(const SlantProfileParameters& p, const SampleSource& source, MessageSink& sink) {
    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    require_sample_count(p.points, "出力データ数");
    std::vector<double> image = take_samples(count);
    SlantProfile profile;
    profile.lsf = take_samples(p.points);
    source(image, count);
    profile.esf = measure_edge_spread(image, p.width, p.height, p.points, p.delta, sink, &profile.tilt_degrees);
    line_spread(profile.esf.data(), p.points, p.delta, profile.lsf.data());
    return profile;
}

std::vector<double> measure_transfer_curve(const TransferCurveParameters& p, const SampleSource& source,
                                           MessageSink& sink) {
    // The transform takes power-of-two lengths only.
    require_transfer_point_count(p.points);
    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    const std::int64_t lsf_points = 2 * static_cast<std::int64_t>(p.points);
    std::vector<double> image = take_samples(count);
    std::vector<double> lsf = take_samples(lsf_points);
    std::vector<double> mtf = take_samples(p.points);
    source(image, count);
    measure_transfer(image, p.width, p.height, p.points, p.delta, lsf.data(), mtf.data(), sink);
    return mtf;
}
