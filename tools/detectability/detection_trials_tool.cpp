#include "tools/detectability/detection_trials_tool.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "common/failure.h"
#include "common/parallel.h"
#include "common/random_deviates.h"
#include "common/raw_file.h"
#include "common/row_progress.h"
#include "common/sample_arrays.h"
#include "common/text_encoding.h"
#include "tools/detectability/observer_study_tool.h"
#include "tools/phantom/ellipse.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projector.h"
#include "tools/recon/fbp.h"

namespace {

constexpr std::int32_t most_trials = 100000;
constexpr std::int32_t largest_side = 2048;
constexpr std::int32_t most_angles = 8192;
constexpr std::int32_t last_seed = 2147483646;  // the generator's largest start
// The water disc's radius in half image widths.
constexpr double background_radius = 0.8;
// Trials kept in memory at once (their samples, at most): the threads make
// a batch, then the calling thread hands it on in order.
constexpr std::int64_t batch_samples = std::int64_t{1} << 23;

void require_positive(double value, const char* what) {
    if (!(value > 0) || !std::isfinite(value)) fail_with(" エラー：%sは正の値にしてください[%f].\n", Text{what}, value);
}

void require_range(std::int32_t value, std::int32_t first, std::int32_t last, const char* what) {
    if (value < first || value > last) fail_with(" エラー：%sは%dから%dまでにしてください[%d].\n", Text{what}, first, last, value);
}

void require_finite_not_negative(double value, const char* what) {
    if (!(value >= 0) || !std::isfinite(value)) fail_with(" エラー：%sは0以上にしてください[%f].\n", Text{what}, value);
}

float as_float(double v) { return static_cast<float>(v); }

// One trial: the phantom projected and measured through photon noise from
// the seed, the sinogram rounded as its file holds it, then filtered back
// projection. `sinogram` and `counts` are the thread's working arrays.
void make_trial(const DetectionTrialsParameters& p, const CijTable& cij, const std::vector<double>& phantom,
                std::int32_t seed, std::vector<double>& sinogram, std::vector<double>& counts,
                std::vector<double>& image) {
    const std::int64_t samples = static_cast<std::int64_t>(sinogram.size());
    restart_random_program_state(seed);
    project_image(phantom.data(), p.side, p.side, p.pixel_length, cij, sinogram.data());
    measure_with_poisson_noise(sinogram.data(), counts.data(), samples, p.incident);
    for (double& v : sinogram) v = as_float(v);
    ramp_filter(sinogram.data(), p.side, p.angles, p.pixel_length);
    back_project(image.data(), p.side, p.side, sinogram.data(), cij);
}

}  // namespace

void check_detection_trials_answers(const DetectionTrialsParameters& p) {
    require_range(p.trials, 2, most_trials, "試行の数");
    require_range(p.side, 8, largest_side, "画像の幅と高さ");
    require_positive(p.pixel_length, "画素長");
    require_finite_not_negative(p.background, "水の円板の減弱係数");
    require_positive(p.diameter, "病変の直径");
    const double field = p.side * p.pixel_length * 10;
    if (p.diameter > field)
        fail_with(" エラー：%s %f mm が画像の幅と高さ（%f mm）を超えます.\n", Text{"病変の直径"}, p.diameter, field);
    if (!std::isfinite(p.contrast) || !(p.background + p.contrast >= 0))
        fail_with(" エラー：%sは -（水の円板の減弱係数）以上の有限の値にしてください[%f].\n", Text{"病変のコントラスト"},
                  p.contrast);
    require_range(p.incident, 1, 2147483647, "入射光子数");
    require_range(p.angles, 1, most_angles, "投影数");
    require_range(p.first_seed, 1, last_seed - absent_seed_offset - (p.trials - 1), "最初の乱数の種");
}

std::int32_t detection_trial_seed(const DetectionTrialsParameters& p, bool present, std::int32_t k) {
    return p.first_seed + (present ? 0 : absent_seed_offset) + (k - 1);
}

std::vector<double> detection_trial_phantom(const DetectionTrialsParameters& p, bool present) {
    std::vector<double> phantom = take_samples(sample_count(p.side, p.side));
    draw_ellipse(phantom, p.side, p.side, {0.0, 0.0, background_radius, background_radius, 0.0, p.background});
    if (present) {
        // The lesion's radius in half image widths, as a learner answers oval_draw.
        const double pixel_mm = 10 * p.pixel_length;
        const double half_mm = p.side / 2.0 * pixel_mm;
        const double radius = p.diameter / 2 / half_mm;
        draw_ellipse(phantom, p.side, p.side, {0.0, 0.0, radius, radius, 0.0, p.contrast});
    }
    for (double& v : phantom) v = as_float(v);
    return phantom;
}

void make_detection_trials(const DetectionTrialsParameters& p, const TrialReceiver& receive, MessageSink& sink) {
    check_detection_trials_answers(p);
    const std::int64_t pixels = sample_count(p.side, p.side);
    const std::int64_t samples = sample_count(p.side, p.angles);
    const std::vector<double> present_phantom = detection_trial_phantom(p, true);
    const std::vector<double> absent_phantom = detection_trial_phantom(p, false);
    const CijTable cij = make_cij(p.side, p.side, p.side, p.angles, sink.progress());

    const std::int64_t total = 2 * static_cast<std::int64_t>(p.trials);
    // Trial t of the run: the present ones first, then the absent, each numbered from 1.
    const auto trial_at = [&p](std::int64_t t) {
        const bool present = t < p.trials;
        return std::pair<bool, std::int32_t>{present, static_cast<std::int32_t>(present ? t + 1 : t - p.trials + 1)};
    };
    const std::int64_t batch = std::clamp<std::int64_t>(batch_samples / pixels, 1, total);
    std::vector<std::vector<double>> images(static_cast<std::size_t>(batch));
    for (std::vector<double>& image : images) image = take_samples(pixels);
    RowProgress progress = RowProgress::on_terminal("Trials", static_cast<std::int32_t>(total), sink.progress());
    for (std::int64_t start = 0; start < total; start += batch) {
        const std::int64_t count = std::min(batch, total - start);
        parallel_for_with_scratch(count, Schedule::dynamic, [&] {
            return LoopBody([&, sinogram = take_samples(samples), counts = take_samples(samples)](std::int64_t i) mutable {
                const auto [present, k] = trial_at(start + i);
                make_trial(p, cij, present ? present_phantom : absent_phantom, detection_trial_seed(p, present, k),
                           sinogram, counts, images[static_cast<std::size_t>(i)]);
            });
        });
        for (std::int64_t i = 0; i < count; ++i) {
            const auto [present, k] = trial_at(start + i);
            receive(present, k, images[static_cast<std::size_t>(i)]);
        }
        progress.rows_done(start + count);
    }
    sink.show(Message("試行 %d 組：%d × %d 画素（%f cm）、投影数 %d、入射光子数 %d、病変の直径 %f mm、コントラスト %f /cm\n",
                      p.trials, p.side, p.side, p.pixel_length, p.angles, p.incident, p.diameter, p.contrast));
}

void run_detection_trials(const DetectionTrialsParameters& p, MessageSink& sink) {
    make_detection_trials(
        p,
        [&](bool present, std::int32_t k, std::vector<double>& image) {
            write_raw_file(trial_name(present, k), image, static_cast<std::int64_t>(image.size()), {}, sink);
        },
        sink);
}
