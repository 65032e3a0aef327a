#include "tools/iterative/iterative_tools.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "common/answer_checks.h"
#include "common/console_text.h"
#include "common/platform.h"
#include "common/run_events.h"
#include "common/sample_arrays.h"
#include "tools/iterative/iterative_methods.h"
#include "tools/iterative/matched_projector.h"

namespace {

constexpr std::int32_t most = largest_answer;

// The views first, first + step, … must lie on the half turn.
void require_views_on_the_half_turn(std::int32_t full, std::int32_t first, std::int32_t step, std::int32_t views) {
    require_range(full, 1, most, "半回転の投影数");
    require_range(first, 0, full - 1, "最初の投影番号");
    step = resolved_view_step(full, views, step);
    require_range(step, 1, full, "投影番号の間隔");
    const long long last = first + static_cast<long long>(step) * (views - 1);
    if (last > full - 1)
        fail_with(" エラー：最後の投影番号 %lld（最初の投影番号 + 間隔 × (投影数 − 1)）が半回転の投影数 %d を超えます.\n",
                  last, full);
}

bool uses_relaxation(IterativeMethod m) {
    return m == IterativeMethod::sirt || m == IterativeMethod::sart || m == IterativeMethod::os_sart;
}
bool uses_subsets(IterativeMethod m) { return m == IterativeMethod::os_sart || m == IterativeMethod::os_em; }
bool uses_counts(IterativeMethod m) { return m == IterativeMethod::mlem || m == IterativeMethod::os_em; }

}  // namespace

std::int32_t resolved_view_step(std::int32_t full, std::int32_t views, std::int32_t step) {
    if (step != 0) return step;
    // 0: the views spread evenly over the half turn, as a scanner with fewer
    // views takes them; one number (the views) then sets a lesson's subset.
    if (views < 1 || full < 1 || full % views != 0)
        fail_with(" エラー：投影番号の間隔 0（半回転に等間隔）には、半回転の投影数 %d が投影数 %d で割り切れることが要ります.\n",
                  full, views);
    return full / views;
}

void check_iterative_answers(const IterativeReconParameters& p) {
    require_range(p.bins, 1, most, "投影の幅");
    require_range(p.angles, 1, most, "投影数");
    require_views_on_the_half_turn(p.full_angles, p.first_view, p.view_step, p.angles);
    require_range(p.width, 1, most, "画像の幅");
    require_range(p.height, 1, most, "画像の高さ");
    require_positive(p.pixel_length, "画素長");
    require_range(p.method, 1, 6, "方法");
    require_range(p.iterations, 1, most_iterations, "反復回数");
    const IterativeMethod m = static_cast<IterativeMethod>(p.method);
    if (uses_relaxation(m)) require_positive(p.relaxation, "緩和係数");
    if (uses_subsets(m)) require_range(p.subsets, 1, p.angles, "サブセット数");
    require_range(p.nonnegative, 0, 1, "非負制約");
    require_not_negative(p.tv_weight, "TVの重み");
    if (uses_counts(m)) require_range(p.incident, 1, most, "入射光子数");
    require_range(p.start, 0, 1, "初期画像");
    require_range(p.save_every, 0, most_iterations, "画像を保存する間隔");
}

void require_raw_file_samples(const std::string& name, std::int64_t count, const char* what) {
    const std::int64_t bytes = file_size_by_name(name);
    if (bytes < 0) return;  // no such file (reading it reports that), or not a regular one
    const std::int64_t expected = count * static_cast<std::int64_t>(sizeof(float));
    if (bytes != expected)
        fail_with(" エラー：ファイル[%s]は %lld バイトで、%s の %lld 個（%lld バイト）と合いません.\n", name.c_str(),
                  static_cast<long long>(bytes), Text{what}, static_cast<long long>(count),
                  static_cast<long long>(expected));
}

std::string iteration_table_header(bool with_reference) {
    return with_reference ? "iteration\tresidual\trmse\n" : "iteration\tresidual\n";
}

std::string iteration_table_line(const IterationRecord& record, bool with_reference) {
    char line[96];
    if (with_reference)
        std::snprintf(line, sizeof line, "%d\t%e\t%e\n", static_cast<int>(record.iteration), record.residual,
                      record.rmse);
    else
        std::snprintf(line, sizeof line, "%d\t%e\n", static_cast<int>(record.iteration), record.residual);
    return line;
}

IterativeOutcome iterative_reconstruction(const IterativeReconParameters& p, const SampleSource& sinogram,
                                          const SampleSource* reference, MessageSink& sink,
                                          const std::function<void(std::int32_t, const std::vector<double>&)>& saved) {
    check_iterative_answers(p);
    const std::int64_t samples = sample_count(p.bins, p.angles);
    const std::int64_t pixels = sample_count(p.width, p.height);
    std::vector<double> measured = take_samples(samples);
    std::vector<double> truth;
    sink.show(Message(" *** Read projection data ***\n"));
    sinogram(measured, samples);
    if (reference != nullptr) {
        truth = take_samples(pixels);
        (*reference)(truth, pixels);
    }
    const std::int32_t view_step = resolved_view_step(p.full_angles, p.angles, p.view_step);
    const ViewSet set = make_view_set(p.width, p.height, p.bins, p.full_angles, p.first_view, view_step, p.angles);
    IterativeSettings s;
    s.method = static_cast<IterativeMethod>(p.method);
    s.pixel_length = p.pixel_length;
    s.relaxation = p.relaxation;
    s.subsets = p.subsets;
    s.nonnegative = p.nonnegative == 1;
    s.tv_weight = p.tv_weight;
    s.incident = p.incident;
    s.fbp_start = p.start == 1;
    IterativeSolver solver(set, std::move(measured), s);
    solver.start(view_step);

    IterativeOutcome outcome;
    const bool with_reference = reference != nullptr;
    auto record = [&](std::int32_t iteration) {
        IterationRecord r{iteration, solver.residual(), std::nan("")};
        if (with_reference) r.rmse = rmse(solver.image(), truth);
        outcome.table.push_back(r);
        if (with_reference)
            sink.show(Message(" 反復 %4d  残差 %e  RMSE %e\n", static_cast<int>(iteration), r.residual, r.rmse));
        else
            sink.show(Message(" 反復 %4d  残差 %e\n", static_cast<int>(iteration), r.residual));
        // The host draws the curve as it grows from the values the table gets.
        if (with_reference)
            run_events::progress("iteration", iteration, p.iterations, {{"residual", r.residual}, {"rmse", r.rmse}});
        else
            run_events::progress("iteration", iteration, p.iterations, {{"residual", r.residual}});
    };
    record(0);
    for (std::int32_t k = 1; k <= p.iterations; ++k) {
        solver.iterate();
        record(k);
        if (k < p.iterations && saves_image_after(p, k)) saved(k, solver.image());
    }
    outcome.image = solver.image();
    return outcome;
}

void check_view_subset_answers(const ViewSubsetParameters& p) {
    require_range(p.bins, 1, most, "投影の幅");
    require_range(p.angles, 1, most, "投影数");
    require_range(p.views, 1, p.angles, "取り出す投影数");
    require_views_on_the_half_turn(p.angles, p.first_view, p.view_step, p.views);
}

std::vector<double> take_view_subset(const ViewSubsetParameters& p, const SampleSource& sinogram) {
    check_view_subset_answers(p);
    const std::int64_t samples = sample_count(p.bins, p.angles);
    std::vector<double> all = take_samples(samples);
    sinogram(all, samples);
    std::vector<double> subset = take_samples(sample_count(p.bins, p.views));
    const std::int32_t view_step = resolved_view_step(p.angles, p.views, p.view_step);
    for (std::int32_t k = 0; k < p.views; ++k) {
        const std::int64_t from = (p.first_view + static_cast<std::int64_t>(k) * view_step) * p.bins;
        std::copy(all.begin() + from, all.begin() + from + p.bins, subset.begin() + static_cast<std::int64_t>(k) * p.bins);
    }
    return subset;
}

Message view_subset_report(const ViewSubsetParameters& p) {
    const std::int32_t view_step = resolved_view_step(p.angles, p.views, p.view_step);
    const double degrees_per_view = 180.0 / p.angles;
    const double first = p.first_view * degrees_per_view;
    const double last = (p.first_view + static_cast<double>(view_step) * (p.views - 1)) * degrees_per_view;
    return Message(
        " *** 投影 %d 本：%g 度から %g 度まで %g 度おき\n"
        " *** iterative_recon の答え：投影数 %d、半回転の投影数 %d、最初の投影番号 %d、投影番号の間隔 %d\n",
        static_cast<int>(p.views), first, last, view_step * degrees_per_view,
        static_cast<int>(p.views), static_cast<int>(p.angles), static_cast<int>(p.first_view),
        static_cast<int>(view_step));
}
