#include "tools/projection/projection_questions.h"

using namespace file_facts;

ToolDialogue raysum_dialogue(RaysumParameters& p) {
    return {{"raysum", "線減弱係数の2次元画像から投影を作成するプログラム", 28,
             "線減弱係数の画像を平行ビームで投影し、線積分のサイノグラム（1行が1投影角）を作ります。"
             "ファントムの次の段で、結果は reconstruct で再構成するか、attenuate で計測データにします。",
             {},
             "raysum < answers.txt",
             "examples/answers/02_raysum.txt"},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "xdisk_1.img", FileUse::read},
                {" 2. 画像の幅　", "width", p.width, 256},
                {" 3. 画像の高さ", "height", p.height, 256},
                {" 4. 画素長(cm/pixel)", "pixel_length", p.pixel_length, 0.078125},
                {" 5. 投影データのファイル名", "output", p.output, "xdisk_1.prj", FileUse::written},
                {" 6. 投影の幅", "bins", p.bins, 256},
                {" 7. 投影数", "angles", p.angles, 256},
            },
            {image_to_sinogram(attenuation, line_integral)}};
}

ToolDialogue attenuate_dialogue(AttenuateParameters& p) {
    return {{"attenuate", "X線CTの投影データから計測データを作成するプログラム", 29,
             "投影データ（線積分 p）を入射光子数 I0 の検出器カウント I0·e^(−p) に変えます。"
             "raysum の次の段で、quantum_noise で雑音を加え、linearize で投影データに戻します。",
             {},
             "attenuate < answers.txt",
             "examples/answers/03_attenuate.txt"},
            {
                {" 1. 投影データのファイル名", "input", p.input, "xdisk_1.prj", FileUse::read},
                {" 2. 計測データのファイル名", "output", p.output, "xdisk_1_I0_2000.prj", FileUse::written},
                {" 3. 投影の幅", "bins", p.bins, 256},
                {" 4. 投影数", "angles", p.angles, 256},
                {" 5. 入射光子数（カウント）", "incident", p.incident, 2000},
            },
            {sinogram_to_sinogram(line_integral, counts)}};
}

ToolDialogue linearize_dialogue(LinearizeParameters& p) {
    return {{"linearize", "X線CTの計測データから投影データを作成するプログラム", 28,
             "検出器カウントを ln(I0 / カウント) で投影データに戻します（attenuate の逆）。"
             "雑音を加えた計測データの次の段で、結果は reconstruct で再構成します。",
             {},
             "linearize < answers.txt",
             "examples/answers/05_linearize.txt"},
            {
                {" 1. 計測データのファイル名", "input", p.input, "xdisk_1_I0_2000_poi.prj", FileUse::read},
                {" 2. 投影データのファイル名", "output", p.output, "xdisk_1_I0_2000_poisson.prj", FileUse::written},
                {" 3. 投影の幅", "bins", p.bins, 256},
                {" 4. 投影数", "angles", p.angles, 256},
                {" 5. 入射強度（カウント）", "incident", p.incident, 2000},
            },
            {sinogram_to_sinogram(counts, line_integral)}};
}

ToolDialogue quantum_noise_dialogue(QuantumNoiseParameters& p) {
    return {{"quantum_noise", "ポアソン雑音を印加するプログラム", 32,
             "計測データの各カウントを、それを平均とするポアソン乱数に置き換えて光子雑音を加えます。"
             "attenuate と linearize の間の段です。",
             {},
             "quantum_noise < answers.txt",
             "examples/answers/04_quantum_noise.txt"},
            {
                {" 1. 計測データのファイル名", "input", p.input, "xdisk_1_I0_2000.prj", FileUse::read},
                {" 2. 雑音入りデータのファイル名", "output", p.output, "xdisk_1_I0_2000_poi.prj", FileUse::written},
                {" 3. 投影の幅", "bins", p.bins, 256},
                {" 4. 投影数　", "angles", p.angles, 256},
            },
            {sinogram_to_sinogram(counts, counts)}};
}

ToolDialogue level_noise_dialogue(LevelNoiseParameters& p) {
    return {{"level_noise", "ガウス雑音をデシベル単位で印加するプログラム", 32,
             "データの平均値よりデシベルで指定しただけ低いレベルの白色ガウス雑音（標準偏差 平均×10^(−dB/20)）を加えます。"
             "平坦画像に雑音を加えて noise_spectrum で NNPS を求めるのに使います。",
             {},
             "level_noise < answers.txt",
             "examples/answers/19_level_noise.txt"},
            {
                {" 1. 画像データのファイル名", "input", p.input, "xdisk_1.img", FileUse::read},
                {" 2. 雑音入りデータのファイル名", "output", p.output, "a.img.img", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
                {" 5. 雑音レベル（dB）", "decibels", p.decibels, 20.0},
            },
            {image_to_image()}};
}

ToolDialogue scaled_noise_dialogue(ScaledNoiseParameters& p) {
    return {{"scaled_noise", "ガウス雑音を係数cで印加するプログラム", 32,
             "任意の raw ファイルに、係数 c で決まる標準偏差のガウス雑音を加えます。"
             "level_noise の仲間で、デモの連鎖には含まれません。",
             {},
             "scaled_noise < answers.txt",
             nullptr},
            {
                {" 1. 画像データのファイル名", "input", p.input, "xdisk_1_I0_2000.prj", FileUse::read},
                {" 2. 雑音入りデータのファイル名", "output", p.output, "a.img.prj", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 256},
                {" 4. 画像の高さ", "height", p.height, 256},
                {" 5. 雑音レベル（係数c）", "sd", p.sd, 20.0},
            },
            {image_to_image()}};
}

ToolDialogue raysum_quanta_dialogue(RaysumQuantaParameters& p) {
    return {{"raysum_quanta", "線減弱係数の2次元画像からポアソン雑音入りの投影を作成するプログラム", 27,
             "raysum、attenuate、quantum_noise、linearize の4段を1回で行い、ポアソン雑音入りの投影データを作ります。"
             "結果は reconstruct で再構成します。",
             {},
             "raysum_quanta < answers.txt",
             "examples/answers/06_raysum_quanta.txt"},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "xdisk_1.img", FileUse::read},
                {" 2. 画像の幅　", "width", p.width, 256},
                {" 3. 画像の高さ", "height", p.height, 256},
                {" 4. 画素長(cm/pixel)", "pixel_length", p.pixel_length, 0.078125},
                {" 5. 投影データのファイル名", "output", p.output, "xdisk_1_I0_2000_poisson.prj", FileUse::written},
                {" 6. 投影の幅", "bins", p.bins, 256},
                {" 7. 投影数", "angles", p.angles, 256},
                {" 8. 入射光子数（カウント）", "incident", p.incident, 2000},
            },
            {image_to_sinogram(attenuation, line_integral)}};
}

ToolDialogue raysum_normal_dialogue(RaysumNormalParameters& p) {
    return {{"raysum_normal", "線減弱係数の2次元画像からガウス雑音入りの投影を作成するプログラム", 27,
             "投影、カウントへの変換、ガウス雑音の付加、対数変換を1回で行い、ガウス雑音入りの投影データを作ります。"
             "雑音でカウントが0以下になった標本は対数で非数（NaN）になります。結果は reconstruct で再構成します。",
             {},
             "raysum_normal < answers.txt",
             "examples/answers/07_raysum_normal.txt"},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "xdisk_1.img", FileUse::read},
                {" 2. 画像の幅　", "width", p.width, 256},
                {" 3. 画像の高さ", "height", p.height, 256},
                {" 4. 画素長(cm/pixel)", "pixel_length", p.pixel_length, 0.078125},
                {" 5. 投影データのファイル名", "output", p.output, "xdisk_1_I0_2000_sd20.prj", FileUse::written},
                {" 6. 投影の幅", "bins", p.bins, 256},
                {" 7. 投影数", "angles", p.angles, 256},
                {" 8. 入射光子数（カウント）", "incident", p.incident, 2000},
                {" 9. 雑音レベル（係数sd）", "sd", p.sd, 20.0},
            },
            {image_to_sinogram(attenuation, line_integral)}};
}
