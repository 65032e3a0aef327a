#include "tools/detectability/detectability_questions.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace file_facts;

namespace {

// A file question whose file the answers may leave unused (the MTF table
// beside a Gaussian MTF, the NPS files beside white noise): planned and
// reported only when the integer answer `keyword` (held in `answer`) is one
// of `values`.
FileFact used_when(FileFact f, const char* keyword, const std::int32_t& answer, std::vector<std::int32_t> values) {
    f.used = [&answer, values] { return std::find(values.begin(), values.end(), answer) != values.end(); };
    f.used_when_answer = {keyword, std::move(values)};
    return f;
}

constexpr Quantity detectability_index{"d'", ""};
constexpr Quantity detectability_integrand{"d' integrand", ""};

FileFact grid_over(const char* keyword, Quantity quantity, const char* axis, const char* unit) {
    FileFact f = asked(keyword, FileFormat::table, {}, quantity);
    f.layout = TableLayout::grid;
    f.grid_axis = {axis, unit, 0, 0};
    return f;
}

}  // namespace

ToolDialogue detectability_dialogue(DetectabilityParameters& p) {
    return {{"detectability", "MTFとNPSから円板の検出能d'を求めるプログラム", 52,
             "MTF（transfer_curve の表かガウス関数）と NPS（noise_spectrum の NNPS 画像、再構成雑音の NPS 画像か表、白色雑音）から、"
             "円板の病変を見つける観察者 NPW、NPWE（眼のフィルタ付き）、NPWEi（さらに内部雑音付き）の検出能指数 d' を求めます。"
             "NPS は mm^2 単位に換算します：NNPS 画像は値×W×H×Δ^2（平均の2乗に対する相対値）、"
             "再構成雑音の NPS 画像と表は値×Δ^2/(W×H)、白色雑音は σ^2×Δ^2。"
             "MTF の表の i 行目は i/(2×データ数×ピクセル長) cycles/pixel です。"
             "眼のフィルタは E(f)=f^n×exp(-c×f^2)、f は視角1度あたりのサイクル数で、c=n/(2×ピーク^2)、ピークで1。"
             "画像の ρ cycles/mm は f=ρ×Δ/(拡大率×画素ピッチ)×観察距離×π/180 になります。"
             "内部雑音は白色で、α×（画像の周波数でのNPSの平均）です。"
             "d' は画像の持つ周波数（ナイキスト周波数まで）の和で求め、直径の表で d'=3 となる直径は、はさむ2つの直径の間の直線補間です。",
             {},
             "detectability < answers.txt",
             nullptr},
            {
                {" 1. MTFの種類（0:表 1:ガウス）", "mtf_kind", p.mtf_kind, 0},
                {" 2. MTFの表のファイル名", "mtf_input", p.mtf_input, "n4-3.txt", FileUse::read},
                {" 3. MTFの表のピクセル長", "mtf_spacing", p.mtf_spacing, 0.1},
                {" 4. ガウスMTFの標準偏差（mm）", "mtf_sigma", p.mtf_sigma, 0.5},
                {" 5. NPSの種類（0:NNPS画像 1:NPS画像 2:表 3:白色）", "nps_kind", p.nps_kind, 0},
                {" 6. NPSのファイル名", "nps_input", p.nps_input, "n4-4_nnps.img", FileUse::read},
                {" 7. NPSの表の行番号（1以上）", "nps_row", p.nps_row, 1},
                {" 8. 白色雑音の標準偏差", "noise_sigma", p.noise_sigma, 0.01},
                {" 9. 画像の幅", "width", p.width, 256},
                {"10. 画像の高さ", "height", p.height, 256},
                {"11. 画素長（mm）", "pixel_size", p.pixel_size, 0.78125},
                {"12. 円板の形（0:平坦 1:デザイナー 2:ぼけ）", "task_kind", p.task_kind, 0},
                {"13. 円板の直径（mm）", "diameter", p.diameter, 5.0},
                {"14. 円板のコントラスト", "contrast", p.contrast, 0.01},
                {"15. デザイナー円板の指数n", "exponent", p.exponent, 1.0},
                {"16. 円板のぼけの標準偏差（mm）", "blur", p.blur, 0.5},
                {"17. 眼のフィルタの指数n", "eye_exponent", p.eye_exponent, 1.3},
                {"18. 眼のフィルタのピーク（cycles/度）", "eye_peak", p.eye_peak, 4.0},
                {"19. 観察距離（mm）", "viewing_distance", p.viewing_distance, 500.0},
                {"20. 表示の画素ピッチ（mm）", "display_pitch", p.display_pitch, 0.25},
                {"21. 表示の拡大率", "zoom", p.zoom, 1.0},
                {"22. 内部雑音の係数α", "internal_noise", p.internal_noise, 0.1},
                {"23. 表の最初の直径（mm）", "diameter_start", p.diameter_start, 1.0},
                {"24. 表の直径の間隔（mm）", "diameter_step", p.diameter_step, 1.0},
                {"25. 表の直径の数", "diameter_count", p.diameter_count, 20},
                {"26. d'の表のファイル名", "output", p.output, "dprime.txt", FileUse::written},
                {"27. 直径ごとのd'の表のファイル名", "diameter_output", p.diameter_output, "dprime_d.txt", FileUse::written},
                {"28. 被積分関数の表のファイル名", "integrand_output", p.integrand_output, "integrand.txt", FileUse::written},
            },
            {used_when(asked("mtf_input", FileFormat::table, {}, mtf), "mtf_kind", p.mtf_kind, {0}),
             // One question, two kinds of file: the kind of NPS says which the answers name.
             used_when(asked("nps_input", FileFormat::raw, image), "nps_kind", p.nps_kind, {0, 1}),
             used_when(spectrum_grid("nps_input", nps), "nps_kind", p.nps_kind, {2}),
             asked("output", FileFormat::table, {}, detectability_index),
             grid_over("diameter_output", detectability_index, "diameter", "mm"),
             grid_over("integrand_output", detectability_integrand, "spatial frequency", "cycles/mm")}};
}

namespace {

// The trial series pattern (prefix1.img … prefixN.img), N the answer
// `trials`: every name as far as runs plan them.
FileFact trial_series(const std::int32_t& trials, int index, const char* pattern, const char* prefix,
                      std::vector<const char*> default_names, std::vector<Extent> shape, Quantity quantity) {
    FileFact f = series(index, pattern, std::move(default_names), std::move(shape), quantity);
    f.count = "trials";
    f.series_names = [&trials, prefix] {
        std::vector<std::string> names;
        for (std::int32_t k = 1; k <= std::min(trials, planned_series_limit); ++k)
            names.push_back(std::string(prefix) + std::to_string(k) + ".img");
        return names;
    };
    return f;
}

}  // namespace

ToolDialogue observer_study_dialogue(ObserverStudyParameters& p) {
    return {{"observer_study", "試行画像から観察者の検出能d'を求めるプログラム", 44,
             "信号ありの画像 present_1.img … present_N.img と信号なしの画像 absent_1.img … absent_N.img（同じ大きさの float の raw 画像）から、"
             "画像の中心の円板を見つける観察者の検出能指数 d' を求めます。"
             "NPW のテンプレートは課題の円板そのもの（試行から推定しないので、テンプレートの雑音で d' が偏りません）で、"
             "円板は oval_draw と同じく画素を16×16に分けた点の平均です。"
             "CHO は5つのラゲール・ガウス チャネル（幅 a = 0.4×直径：平坦な円板のエネルギーを最もよく捉える幅）の出力に"
             "ホテリング観察者を使い、テンプレートは試行の平均差です。"
             "d' = (平均の差)/√(分散の平均)。95 パーセント信頼区間は試行のブートストラップ（信号あり・なしを別々に復元抽出）の"
             "2.5 パーセント点と 97.5 パーセント点です。",
             {{"present_1.img, present_2.img …", FileUse::read, "信号ありの試行画像"}, {"absent_1.img, absent_2.img …", FileUse::read, "信号なしの試行画像"}},
             "observer_study < answers.txt",
             nullptr},
            {
                {" 1. 試行の数（信号あり・なし各）", "trials", p.trials, 200},
                {" 2. 画像の幅", "width", p.width, 128},
                {" 3. 画像の高さ", "height", p.height, 128},
                {" 4. 画素長（mm）", "pixel_size", p.pixel_size, 0.78125},
                {" 5. 円板の形（0:平坦 1:デザイナー 2:ぼけ）", "task_kind", p.task_kind, 0},
                {" 6. 円板の直径（mm）", "diameter", p.diameter, 10.0},
                {" 7. デザイナー円板の指数n", "exponent", p.exponent, 1.0},
                {" 8. 円板のぼけの標準偏差（mm）", "blur", p.blur, 0.5},
                {" 9. ブートストラップの回数", "resamples", p.resamples, 1000},
                {"10. 乱数のパターン番号（1以上）", "pattern", p.pattern, 1},
                {"11. d'の表のファイル名", "output", p.output, "observer.txt", FileUse::written},
            },
            {trial_series(p.trials, 0, "present_{n}.img", "present_", {"present_1.img", "present_2.img"}, image, Quantity{}),
             trial_series(p.trials, 1, "absent_{n}.img", "absent_", {"absent_1.img", "absent_2.img"}, image, Quantity{}),
             asked("output", FileFormat::table, {}, detectability_index)}};
}

namespace {

// The trials a run writes, images of μ·Δ: Δ from the answers.
FileFact written_trials(DetectionTrialsParameters& p, int index, const char* pattern, const char* prefix,
                        std::vector<const char*> default_names) {
    FileFact f = trial_series(p.trials, index, pattern, prefix, std::move(default_names), {"side", "side"},
                              attenuation_per_pixel);
    f.pixel_cm = [&p] { return p.pixel_length; };
    return f;
}

}  // namespace

ToolDialogue detection_trials_dialogue(DetectionTrialsParameters& p) {
    return {{"detection_trials", "観察者実験の試行画像を作るプログラム", 44,
             "水の円板（半径は画像の幅の半分の0.8倍）の中心に円板の病変がある画像 present_1.img … present_N.img と、"
             "病変のない画像 absent_1.img … absent_N.img を作ります（observer_study の入力）。"
             "1枚ごとに oval_draw の円板を raysum_quanta で投影して光子の雑音を加え（投影の幅は画像の幅）、"
             "reconstruct で再構成した画像で、ファイルを順に渡したときと同じバイトになります。"
             "乱数の種は信号ありの k 枚目が（最初の種＋k−1）、信号なしの k 枚目が（最初の種＋100000＋k−1）です。",
             {{"present_1.img, present_2.img …", FileUse::written, "信号ありの試行画像"}, {"absent_1.img, absent_2.img …", FileUse::written, "信号なしの試行画像"}},
             "detection_trials < answers.txt",
             nullptr},
            {
                {" 1. 試行の数（信号あり・なし各）", "trials", p.trials, 50},
                {" 2. 画像の幅と高さ（投影の幅）", "side", p.side, 64},
                {" 3. 画素長 (cm/pixel)", "pixel_length", p.pixel_length, 0.3125},
                {" 4. 水の円板の減弱係数（1/cm）", "background", p.background, 0.2},
                {" 5. 病変の直径（mm）", "diameter", p.diameter, 10.0},
                {" 6. 病変のコントラスト（減弱係数の差、1/cm）", "contrast", p.contrast, 0.04},
                {" 7. 入射光子数", "incident", p.incident, 20000},
                {" 8. 投影数", "angles", p.angles, 64},
                {" 9. 最初の乱数の種（1以上）", "first_seed", p.first_seed, 1},
            },
            {written_trials(p, 0, "present_{n}.img", "present_", {"present_1.img", "present_2.img"}),
             written_trials(p, 1, "absent_{n}.img", "absent_", {"absent_1.img", "absent_2.img"})}};
}
