#include "tools/detectability/observer_study_tool.h"

#include <cmath>
#include <cstdio>

#include "common/failure.h"
#include "common/output_file.h"
#include "common/platform.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/text_encoding.h"

namespace {

void require_positive(double value, const char* what) {
    if (!(value > 0) || !std::isfinite(value)) fail_with(" エラー：%sは正の値にしてください[%f].\n", Text{what}, value);
}

void require_range(std::int32_t value, std::int32_t first, std::int32_t last, const char* what) {
    if (value < first || value > last) fail_with(" エラー：%sは%dから%dまでにしてください[%d].\n", Text{what}, first, last, value);
}

Task task_of(const ObserverStudyParameters& p) {
    Task t;
    t.shape = static_cast<TaskShape>(p.task_kind);
    t.diameter = p.diameter;
    t.contrast = 1.0;
    t.exponent = p.exponent;
    t.blur = p.blur;
    return t;
}

// "-" for a d' the trials cannot give (CHO on too few trials).
std::string number_text(double v) {
    if (std::isnan(v)) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%f", v);
    return text;
}

}  // namespace

void check_observer_study_answers(const ObserverStudyParameters& p) {
    require_range(p.trials, 2, 100000, "試行の数");
    if (p.width < 2 || p.height < 2) fail_with(" エラー：画像の幅と高さは2以上にしてください[%d × %d].\n", p.width, p.height);
    if (static_cast<std::int64_t>(p.width) * p.height > 16777216)
        fail_with(" エラー：画像の幅 × 高さが大きすぎます[%d × %d].\n", p.width, p.height);
    require_positive(p.pixel_size, "画素長");
    require_range(p.task_kind, 0, 2, "円板の形");
    require_positive(p.diameter, "円板の直径");
    if (p.task_kind == 1 && !(p.exponent >= 0 && p.exponent <= 5))
        fail_with(" エラー：%sは0から5までにしてください[%f].\n", Text{"デザイナー円板の指数n"}, p.exponent);
    if (p.task_kind == 2 && !(p.blur >= 0 && std::isfinite(p.blur)))
        fail_with(" エラー：%sは0以上にしてください[%f].\n", Text{"円板のぼけの標準偏差"}, p.blur);
    require_range(p.resamples, 100, 1000000, "ブートストラップの回数");
    require_range(p.pattern, 1, 2147483646, "乱数のパターン番号");
    const double field = std::min(p.width, p.height) * p.pixel_size;
    if (p.diameter > field)
        fail_with(" エラー：%s %f mm が画像の幅と高さ（%f mm）を超えます.\n", Text{"円板の直径"}, p.diameter, field);
}

std::string trial_name(bool present, std::int32_t k) { return (present ? "present_" : "absent_") + std::to_string(k) + ".img"; }

StudyTemplates study_templates(const ObserverStudyParameters& p) {
    StudyTemplates t;
    t.signal = task_image(task_of(p), p.width, p.height, p.pixel_size);
    for (double w : t.signal) t.signal_energy += w * w;
    if (!(t.signal_energy > 0))
        fail_with(" エラー：%s %f mm の円板が画素にかかりません.\n", Text{"円板の直径"}, p.diameter);
    t.channel_width = channel_width_per_diameter * p.diameter;
    t.channels = laguerre_gauss_channels(t.channel_width, p.width, p.height, p.pixel_size);
    return t;
}

ObserverStudyOutcome compute_observer_study(const ObserverStudyParameters& p, const TrialSource& trials,
                                            MessageSink& sink) {
    const StudyTemplates t = study_templates(p);
    std::vector<TrialResponses> present, absent;
    for (std::int32_t k = 0; k < p.trials; ++k) present.push_back(responses_of(trials(true, k), t.signal, t.channels));
    for (std::int32_t k = 0; k < p.trials; ++k) absent.push_back(responses_of(trials(false, k), t.signal, t.channels));
    ObserverStudyOutcome o;
    o.channel_width = t.channel_width;
    o.study = study_trials(present, absent, t.signal_energy, p.resamples, p.pattern);
    if (!std::isfinite(o.study.d.npw))
        fail_with(" エラー：%sが試行ごとに変わらないので d' が求まりません.\n", Text{"試行の画像"});

    sink.show(Message("試行 %d 組、テンプレートの円板 Σw^2 = %f、チャネルの幅 a = %f mm\n", p.trials, t.signal_energy,
                      o.channel_width));
    sink.show(Message("試行から測った円板の高さ %e\n", o.study.npw_amplitude));
    if (!cho_defined(p.trials))
        sink.show(Message("CHO の d' には信号あり・なしとも %d 組より多い試行が要ります\n", channel_count));
    sink.show(Message("観察者  d'  95%%信頼区間（ブートストラップ %d 回）\n", p.resamples));
    const TrialStudy& s = o.study;
    sink.show(Message::bytes("NPW   " + number_text(s.d.npw) + "  " + number_text(s.lower.npw) + " - " +
                             number_text(s.upper.npw) + "\n"));
    sink.show(Message::bytes("CHO   " + number_text(s.d.cho) + "  " + number_text(s.lower.cho) + " - " +
                             number_text(s.upper.cho) + "\n"));
    return o;
}

std::vector<double> read_trial_file(const std::string& name, std::int64_t samples) {
    std::FILE* in = open_for_reading(name, "rb");
    if (in == nullptr) fail_open(name);
    const std::int64_t bytes = regular_file_size(in);
    std::fclose(in);
    if (bytes != samples * 4)
        fail_with(" エラー：試行の画像の大きさが違います[%s]（%lld バイト、幅×高さ×4 = %lld バイトのはず）.\n", name.c_str(),
                  static_cast<long long>(bytes), static_cast<long long>(samples * 4));
    std::vector<double> image = take_samples(samples);
    CollectingSink warnings;
    if (read_raw_file(name, image, samples, warnings) > 0 || !warnings.warning_events().empty())
        fail_with(" エラー：試行の画像に有限でない値があります[%s].\n", name.c_str());
    return image;
}

void write_observer_table(const ObserverStudyParameters& p, const ObserverStudyOutcome& o) {
    OutputFile out = open_table_file(p.output);
    std::FILE* f = out.stream();
    std::fputs(to_shift_jis("観察者\td'\t95%下限\t95%上限\n").c_str(), f);
    const TrialStudy& s = o.study;
    std::fprintf(f, "NPW\t%s\t%s\t%s\n", number_text(s.d.npw).c_str(), number_text(s.lower.npw).c_str(),
                 number_text(s.upper.npw).c_str());
    std::fprintf(f, "CHO\t%s\t%s\t%s\n", number_text(s.d.cho).c_str(), number_text(s.lower.cho).c_str(),
                 number_text(s.upper.cho).c_str());
    out.close();
}

void run_observer_study(const ObserverStudyParameters& p, MessageSink& sink) {
    check_observer_study_answers(p);
    const std::int64_t samples = sample_count(p.width, p.height);
    const ObserverStudyOutcome o = compute_observer_study(
        p, [&](bool present, std::int32_t k) { return read_trial_file(trial_name(present, k + 1), samples); }, sink);
    write_observer_table(p, o);
}
