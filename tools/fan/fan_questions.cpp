#include "tools/fan/fan_questions.h"

using namespace file_facts;

namespace {

constexpr Quantity fan_geometry_quantity{"fan-beam geometry", ""};
const std::vector<Extent> fan_sinogram = {"views", "bins"};

}  // namespace

ToolDialogue fan_raysum_dialogue(FanRaysumParameters& p) {
    FileFact image_in = asked("input", FileFormat::raw, image, attenuation);
    image_in.used = [&p] { return p.input_kind != 2; };
    FileFact ellipses_in = asked("input", FileFormat::text, {}, ellipses);
    ellipses_in.used = [&p] { return p.input_kind == 2; };
    return {{"fan_raysum", "扇ビームの投影を作成するプログラム", 40,
             "線減弱係数の画像（または楕円パラメータのファイル）から、点線源と曲面（等角度）または平面（等間隔）の"
             "検出器による扇ビームの線積分を作ります。楕円パラメータでは画素にする前の楕円の正確な線積分です。"
             "幾何（距離・検出器・走査範囲）を小さなテキストファイルに書き、fan_reconstruct と fan_rebin がそれを読みます。",
             {},
             "fan_raysum < answers.txt",
             nullptr},
            {
                {" 1. 入力のファイル名", "input", p.input, "n3-2.img", FileUse::read},
                {" 2. 入力の種類（1:画像 2:楕円パラメータ）", "input_kind", p.input_kind, 1},
                {" 3. 楕円の数（楕円パラメータのとき）", "ellipse_count", p.ellipse_count, 11},
                {" 4. 画像の幅　", "width", p.width, 256},
                {" 5. 画像の高さ", "height", p.height, 256},
                {" 6. 画素長(cm/pixel)", "pixel_length", p.pixel_length, 0.078125},
                {" 7. 投影データのファイル名", "output", p.output, "fan.prj", FileUse::written},
                {" 8. 幾何のファイル名", "geometry", p.geometry, "fan_geometry.txt", FileUse::written},
                {" 9. 線源・回転中心間距離 (cm)", "source_distance", p.source_distance, 40.0},
                {"10. 線源・検出器間距離 (cm)", "detector_distance", p.detector_distance, 60.0},
                {"11. 検出器（1:曲面 2:平面）", "detector", p.detector, 1},
                {"12. 検出器の素子数", "bins", p.bins, 320},
                {"13. 検出器の角度間隔（度、曲面）", "angular_spacing", p.angular_spacing, 0.1},
                {"14. 検出器の素子間隔（cm、平面）", "spacing", p.spacing, 0.1},
                {"15. 検出器のずれ（素子）", "offset", p.offset, 0.0},
                {"16. 投影数", "views", p.views, 720},
                {"17. 走査（1:1回転 2:ショートスキャン 3:角度を指定）", "scan", p.scan, 1},
                {"18. 角度範囲（度、走査3のとき）", "range", p.range, 360.0},
            },
            {image_in, ellipses_in, asked("output", FileFormat::raw, fan_sinogram, line_integral),
             asked("geometry", FileFormat::text, {}, fan_geometry_quantity)}};
}

ToolDialogue fan_reconstruct_dialogue(FanReconstructParameters& p) {
    return {{"fan_reconstruct", "扇ビームのFBP法の投影再構成プログラム", 38,
             "fan_raysum が作った扇ビームのサイノグラムを、幾何のファイルに従って直接 FBP 法（距離の重み付きの"
             "扇ビーム用ランプフィルタと窓関数）で再構成します。1回転に満たない走査には Parker の重みを掛けます"
             "（なしにするとその欠けと重なりの偽像が見えます）。画像の単位は 1/cm です。",
             {},
             "fan_reconstruct < answers.txt",
             nullptr},
            {
                {" 1. 入力投影のファイル名", "input", p.input, "fan.prj", FileUse::read},
                {" 2. 幾何のファイル名", "geometry", p.geometry, "fan_geometry.txt", FileUse::read},
                {" 3. 検出器の素子数", "bins", p.bins, 320},
                {" 4. 投影数", "views", p.views, 720},
                {" 5. 出力画像のファイル名", "output", p.output, "fan.img", FileUse::written},
                {" 6. 画像の幅", "width", p.width, 256},
                {" 7. 画像の高さ", "height", p.height, 256},
                {" 8. 画素長 (cm/pixel)", "pixel_length", p.pixel_length, 0.078125},
                {" 9. 窓関数（0:なし 1〜5:余弦窓W0〜W4）", "window", p.window, 0},
                {"10. Parker の重み（1:あり 0:なし）", "parker", p.parker, 1},
            },
            {asked("input", FileFormat::raw, fan_sinogram, line_integral),
             asked("geometry", FileFormat::text, {}, fan_geometry_quantity),
             asked("output", FileFormat::raw, image, attenuation)}};
}

ToolDialogue fan_rebin_dialogue(FanRebinParameters& p) {
    return {{"fan_rebin", "扇ビームの投影を平行ビームに並べ替えるプログラム", 36,
             "扇ビームのサイノグラムを、幾何のファイルに従って平行ビームのサイノグラム（半回転、素子間隔は画素長）に"
             "並べ替えます（補間は最近傍か線形）。結果は reconstruct でそのまま再構成できます。",
             {},
             "fan_rebin < answers.txt",
             nullptr},
            {
                {" 1. 入力投影のファイル名", "input", p.input, "fan.prj", FileUse::read},
                {" 2. 幾何のファイル名", "geometry", p.geometry, "fan_geometry.txt", FileUse::read},
                {" 3. 検出器の素子数", "bins", p.bins, 320},
                {" 4. 投影数", "views", p.views, 720},
                {" 5. 出力投影のファイル名", "output", p.output, "fan_parallel.prj", FileUse::written},
                {" 6. 平行投影の幅", "parallel_bins", p.parallel_bins, 256},
                {" 7. 平行投影の投影数", "angles", p.angles, 256},
                {" 8. 画素長 (cm/pixel)", "pixel_length", p.pixel_length, 0.078125},
                {" 9. 補間（1:最近傍 2:線形）", "interpolation", p.interpolation, 2},
            },
            {asked("input", FileFormat::raw, fan_sinogram, line_integral),
             asked("geometry", FileFormat::text, {}, fan_geometry_quantity),
             asked("output", FileFormat::raw, {"angles", "parallel_bins"}, line_integral)}};
}
