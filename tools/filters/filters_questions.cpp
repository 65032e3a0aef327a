#include "tools/filters/filters_questions.h"

using namespace file_facts;

ToolDialogue box_smooth_dialogue(BoxSmoothParameters& p) {
    return {{"box_smooth", "移動平均フィルタのプログラム", 26,
             "画像の 3×3 移動平均をとります（端は周期的につながるものとします）。"
             "再構成画像の雑音を減らすフィルタの比較に使います。",
             {},
             "box_smooth < answers.txt",
             "examples/answers/10_box_smooth.txt"},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "Pict_1.img", FileUse::read},
                {" 2. 出力画像のファイル名", "output", p.output, "n5-1.img", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
            },
            {image_to_image()}};
}

ToolDialogue kernel_smooth_dialogue(KernelSmoothParameters& p) {
    return {{"kernel_smooth", "加重平均フィルタのプログラム", 29,
             "対称な 3×3 の重みで加重平均をとります（端は周期的）。"
             "3つの答えで重みを組み立てます：質問5が四隅、質問6が上下左右、質問7が中央の重みで、"
             "答え a, e, m から a e a / e m e / a e a を9つの重みの和 m + 4(e + a) で割ったものになります。"
             "既定値 1, 2, 4 では 1 2 1 / 2 4 2 / 1 2 1 を16で割ったものです。使った重みを表示してから画像を読みます。",
             {},
             "kernel_smooth < answers.txt",
             "examples/answers/11_kernel_smooth.txt"},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "Pict_1.img", FileUse::read},
                {" 2. 出力画像のファイル名", "output", p.output, "n5-2.img", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
                {" 5. フィルタ関数（中央）", "corner", p.corner, 1},
                {" 6. フィルタ関数（上下左右）", "side", p.side, 2},
                {" 7. フィルタ関数（斜め方向）", "centre", p.centre, 4},
            },
            {image_to_image()}};
}

ToolDialogue bell_smooth_dialogue(BellSmoothParameters& p) {
    return {{"bell_smooth", "重畳型ガウシアンフィルタのプログラム", 31,
             "半値幅を画素数で与えたガウス関数を、行方向、列方向の順に畳み込みます（端は折り返さない）。"
             "再構成画像の雑音を減らすフィルタの一つです。",
             {},
             "bell_smooth < answers.txt",
             "examples/answers/12_bell_smooth.txt"},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "Pict_1.img", FileUse::read},
                {" 2. 出力画像のファイル名", "output", p.output, "n5-3.img", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
                {" 5. ガウス関数の半値幅（画素）", "fwhm", p.fwhm, 2},
            },
            {image_to_image()}};
}

ToolDialogue rank_smooth_dialogue(RankSmoothParameters& p) {
    return {{"rank_smooth", "メディアンフィルタのプログラム", 27,
             "各画素のまわりの正方形の領域のメディアン（中央値）をとります（端は周期的）。"
             "エッジを残しつつごま塩状の雑音を消すフィルタです。",
             {},
             "rank_smooth < answers.txt",
             "examples/answers/13_rank_smooth.txt"},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "Pict_1.img", FileUse::read},
                {" 2. 出力画像のファイル名", "output", p.output, "n5-4.img", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
                {" 5. 参照領域の幅（画素）", "window_width", p.window_width, 3},
            },
            {image_to_image()}};
}

ToolDialogue edge_preserve_dialogue(EdgePreserveParameters& p) {
    return {{"edge_preserve", "Bilateralフィルタのプログラム", 26,
             "Bilateral フィルタ（距離と画素値の差の両方で重みをつける加重平均）でエッジを保ったまま平滑化します（端は周期的）。"
             "δ1 は距離（画素）、δ2 は画素値の重みの幅で、既定値ではほとんど変化しません。",
             {},
             "edge_preserve < answers.txt",
             "examples/answers/14_edge_preserve.txt"},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "xdisk_1_I0_2000_sd20_fbp.img", FileUse::read},
                {" 2. 出力画像のファイル名", "output", p.output, "n5-5.img", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
                {" 5. 参照領域の幅（画素）", "window_width", p.window_width, 7},
                {" 6．重みづけ係数 δ1", "spatial_width", p.spatial_width, 0.1},
                {" 7．重みづけ係数 δ2", "range_width", p.range_width, 0.1},
            },
            {image_to_image()}};
}
