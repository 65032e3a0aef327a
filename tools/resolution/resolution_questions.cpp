#include "tools/resolution/resolution_questions.h"

using namespace file_facts;

namespace {

// ESF and LSF line b stand (b - points/2) samples of `spacing` pixels from
// the edge (points/2 an integer half).
TableAxis edge_distances(std::int32_t points, double spacing) {
    return {"distance", "pixels", -static_cast<double>(points / 2) * spacing, spacing};
}

}  // namespace

ToolDialogue step_target_dialogue(StepTargetParameters& p) {
    return {{"step_target", "エッジ画像を作成するプログラム", 29,
             "シグモイド曲線で少しぼけた、わずかに傾いたエッジの画像を作ります。"
             "解像特性の評価の出発点で、slant_profile と transfer_curve がこの画像を読みます。",
             {},
             "step_target < answers.txt",
             "examples/answers/15_step_target.txt"},
            {
                {" 1. エッジ画像のファイル名", "output", p.output, "n4-1.img", FileUse::written},
                {" 2. 画像の幅", "width", p.width, 256},
                {" 3. 画像の高さ", "height", p.height, 256},
                {" 4. シグモイド曲線のゲイン", "gain", p.gain, 2},
                {" 5. エッジの傾斜角度（度）", "angle", p.angle, 3.0},
            },
            {asked("output", FileFormat::raw, image, signal)}};
}

ToolDialogue slant_profile_dialogue(SlantProfileParameters& p) {
    return {{"slant_profile", "LSFを求めるプログラム", 29,
             "傾いたエッジの画像からエッジの傾斜角度を測り、エッジ広がり関数（ESF）と、その差分の線広がり関数（LSF）を求めます。"
             "step_target の次の段です。",
             {{"esf.txt", FileUse::written, "ESF の表"}},
             "slant_profile < answers.txt",
             "examples/answers/16_slant_profile.txt"},
            {
                {" 1. エッジ画像のファイル名", "input", p.input, "edge_a1_th3.0.img", FileUse::read},
                {" 2. LSFデータのファイル名", "output", p.output, "n4-2.txt", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
                {" 5. 出力データ数", "points", p.points, 256},
                {" 6. 出力データのピクセル長", "spacing", p.delta, 0.1},
            },
            {asked("input", FileFormat::raw, image), column_table(asked("output", FileFormat::table), lsf, [&p] { return edge_distances(p.points, p.delta); }), column_table(fixed(0, FileFormat::table), esf, [&p] { return edge_distances(p.points, p.delta); })}};
}

ToolDialogue transfer_curve_dialogue(TransferCurveParameters& p) {
    return {{"transfer_curve", "MTFを求めるプログラム", 29,
             "傾いたエッジの画像から ESF と LSF を求め、そのフーリエ変換の絶対値として MTF（変調伝達関数）を求めます。"
             "step_target の次の段で、slant_profile と同じ測り方です。",
             {},
             "transfer_curve < answers.txt",
             "examples/answers/17_transfer_curve.txt"},
            {
                {" 1. エッジ画像のファイル名", "input", p.input, "edge_a2_th3.0.img", FileUse::read},
                {" 2. MTFデータのファイル名", "output", p.output, "n4-3.txt", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
                {" 5. 出力データ数", "points", p.points, 256},
                {" 6. 出力データのピクセル長", "spacing", p.delta, 0.1},
            },
            {asked("input", FileFormat::raw, image), column_table(asked("output", FileFormat::table), mtf, [&p] { return TableAxis{"spatial frequency", "cycles/pixel", 0, 1.0 / (2.0 * p.points * p.delta)}; })}};
}
