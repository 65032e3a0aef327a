#include "tools/noise/noise_questions.h"

#include <algorithm>

#include "tools/noise/noise_parameters.h"

using namespace file_facts;

namespace {

// The ten questions of a level sweep, the spectrum named in the labels of
// questions 1, 2 and 9.
std::vector<Question> level_sweep_questions(LevelSweepParameters& p, const char* x_label, const char* x_default,
                                            const char* y_label, const char* y_default, const char* bin_label) {
    return {
        {x_label, "x_output", p.x_table, x_default, FileUse::written},
        {y_label, "y_output", p.y_table, y_default, FileUse::written},
        {" 3. 画像の幅", "width", p.width, 256},
        {" 4. 画像の高さ", "height", p.height, 256},
        {" 5. ガウス雑音の開始レベル（dB）", "start_level", p.start_level, 5},
        {" 6. ガウス雑音の間隔レベル（dB）", "level_step", p.level_step, 5},
        {" 7. ガウス雑音のレベルの数", "levels", p.levels, 6},
        {" 8. 乱数のパターン番号（1以上）", "pattern", p.pattern, 1},
        {bin_label, "bin_width", p.bin_width, 5},
        {"10. 雑音平均化の回数", "repetitions", p.repetitions, 1},
    };
}

// Line k of a profile table stands for the frequency (k + 1) × bin / side.
TableAxis bin_frequencies(std::int32_t bin_width, std::int32_t side) {
    const double step = static_cast<double>(bin_width) / side;
    return {"spatial frequency", "cycles/pixel", step, step};
}

// The image series of a level sweep, named by the tools' rule from the
// answered levels ("n4-5_%02ddB.img": n4-5_05dB.img, n4-5_10dB.img …).
FileFact level_series(LevelSweepParameters& p, const char* pattern, const char* rule, Quantity quantity,
                      std::vector<const char*> default_names) {
    FileFact f = series(0, pattern, std::move(default_names), image, quantity);
    f.series_names = [&p, rule] {
        std::vector<std::string> names;
        for (std::int32_t row = 0; row < std::min(p.levels, planned_series_limit); ++row)
            names.push_back(format_with_number(rule, level_of_row(p.start_level, p.level_step, row)));
        return names;
    };
    return f;
}

}  // namespace

ToolDialogue noise_spectrum_dialogue(NoiseSpectrumParameters& p) {
    return {{"noise_spectrum", "NNPSを求めるプログラム", 29,
             "1枚の雑音画像の正規化雑音パワースペクトル（NNPS）を求め、2次元画像と x、y 方向の帯の平均の表に保存します。"
             "oval_draw の平坦画像に level_noise で雑音を加えた画像が入力の例です。",
             {{"n4-4_nnps.img", FileUse::written, "NNPS の2次元画像"}},
             "noise_spectrum < answers.txt",
             "examples/answers/20_nnps_of_image.txt"},
            {
                {" 1. 雑音画像のファイル名", "input", p.image, "rect_0_uni_1_-1.img", FileUse::read},
                {" 2. x方向のNNPSのファイル名", "x_output", p.x_table, "n4-4x.txt", FileUse::written},
                {" 3. y方向のMNPSのファイル名", "y_output", p.y_table, "n4-4y.txt", FileUse::written},
                {" 4. 画像の幅", "width", p.width, 256},
                {" 5. 画像の高さ", "height", p.height, 256},
                {" 6. NNPSの周波数ビン", "bin_width", p.bin_width, 5},
            },
            {asked("input", FileFormat::raw, image),
             column_table(asked("x_output", FileFormat::table), nnps, [&p] { return bin_frequencies(p.bin_width, p.width); }),
             column_table(asked("y_output", FileFormat::table), nnps, [&p] { return bin_frequencies(p.bin_width, p.height); }),
             fixed(0, FileFormat::raw, image, nnps)}};
}

ToolDialogue noise_spectrum_sweep_dialogue(NoiseSpectrumSweepParameters& p) {
    return {{"noise_spectrum_sweep", "ガウス雑音の雑音レベルを変えてNNPSを求めるプログラム", 33,
             "信号1にガウス雑音を加えた画像の NNPS を、雑音レベル（dB）を変えながら求め、繰り返して平均します。"
             "入力ファイルは使わず、画像は内部で作ります。",
             {{"n4-5_05dB.img, n4-5_10dB.img …", FileUse::written, "雑音レベルごとの NNPS 画像"}},
             "noise_spectrum_sweep < answers.txt",
             "examples/answers/21_nnps_over_levels.txt"},
            level_sweep_questions(p, " 1. x方向のNNPSのファイル名", "n4-5x.txt", " 2. y方向のNNPSのファイル名", "n4-5y.txt",
                                  " 9. NNPSの周波数ビン"),
            {spectrum_grid("x_output", nnps), spectrum_grid("y_output", nnps), level_series(p, "n4-5_{level}dB.img", "n4-5_%02ddB.img", nnps, {"n4-5_05dB.img", "n4-5_10dB.img", "n4-5_15dB.img", "n4-5_20dB.img", "n4-5_25dB.img", "n4-5_30dB.img"})}};
}

ToolDialogue recon_noise_sweep_dialogue(ReconNoiseSweepParameters& p) {
    return {{"recon_noise_sweep", "ガウス雑音の雑音レベルを変えてFBP雑音のNPSを求めるプログラム", 33,
             "512 方向の雑音だけのサイノグラムを FBP で再構成した画像の雑音パワースペクトル（NPS）を、雑音レベル（dB）を変えながら求めます。"
             "入力ファイルは使わず、ランプフィルタが高い周波数の雑音を強める様子を示します。",
             {{"n4-6_05dB.img, n4-6_10dB.img …", FileUse::written, "雑音レベルごとの NPS 画像"}},
             "recon_noise_sweep < answers.txt",
             "examples/answers/22_recon_noise_sweep.txt"},
            level_sweep_questions(p, " 1. x方向のNPSのファイル名", "n4-6x.txt", " 2. y方向のNPSのファイル名", "n4-6y.txt",
                                  " 9. NPSの周波数ビン"),
            {spectrum_grid("x_output", nps), spectrum_grid("y_output", nps), level_series(p, "n4-6_{level}dB.img", "n4-6_%02ddB.img", nps, {"n4-6_05dB.img", "n4-6_10dB.img", "n4-6_15dB.img", "n4-6_20dB.img", "n4-6_25dB.img", "n4-6_30dB.img"})}};
}

ToolDialogue recon_noise_windows_dialogue(ReconNoiseWindowsParameters& p) {
    return {{"recon_noise_windows", "再構成フィルタの窓関数を変えてFBP雑音のNPSを求めるプログラム", 32,
             "雑音のサイノグラムを、ランプフィルタに5種類の窓関数（W0〜W4）を掛けて再構成し、それぞれの NPS を求めます。"
             "入力ファイルは使わず、窓関数が雑音をどれだけ抑えるかを比べます。",
             {{"n4-7_w0(u).img … n4-7_w4(u).img", FileUse::written, "窓関数ごとの NPS 画像"}},
             "recon_noise_windows < answers.txt",
             "examples/answers/23_recon_noise_windows.txt"},
            {
                {" 1. x方向のNPSのファイル名", "x_output", p.x_table, "n4-7x.txt", FileUse::written},
                {" 2. y方向のNPSのファイル名", "y_output", p.y_table, "n4-7y.txt", FileUse::written},
                {" 3. 画像の幅", "width", p.width, 512},
                {" 4. 画像の高さ", "height", p.height, 512},
                {" 5. ガウス雑音のレベル（dB）", "level", p.level, 20},
                {" 6. 乱数のパターン番号（1以上）", "pattern", p.pattern, 1},
                {" 7. NPSの周波数ビン", "bin_width", p.bin_width, 5},
                {" 8. 雑音平均化の回数", "repetitions", p.repetitions, 1},
            },
            {spectrum_grid("x_output", nps), spectrum_grid("y_output", nps), series(0, "n4-7_w{window}(u).img", {"n4-7_w0(u).img", "n4-7_w1(u).img", "n4-7_w2(u).img", "n4-7_w3(u).img", "n4-7_w4(u).img"}, image, nps)}};
}

ToolDialogue recon_noise_diagonal_dialogue(ReconNoiseDiagonalParameters& p) {
    return {{"recon_noise_diagonal", "ガウス雑音の雑音レベルを変えてFBP雑音のNPSを求めるプログラム", 33,
             "403 方向の雑音サイノグラムから再構成した画像の NPS を、周波数平面の 45 度の対角線に沿って、雑音レベルを変えながら求めます。"
             "入力ファイルは使わず、recon_noise_sweep の対角方向版です。",
             {{"n4-9_05dB.img, n4-9_10dB.img …", FileUse::written, "雑音レベルごとの NPS 画像"}},
             "recon_noise_diagonal < answers.txt",
             "examples/answers/24_recon_noise_diagonal.txt"},
            level_sweep_questions(p, " 1. x方向のNPSのファイル名", "n4-8x.txt", " 2. y方向のNPSのファイル名", "n4-8y.txt",
                                  " 9. NPSの周波数ビン"),
            {spectrum_grid("x_output", nps), spectrum_grid("y_output", nps), level_series(p, "n4-9_{level}dB.img", "n4-9_%02ddB.img", nps, {"n4-9_05dB.img", "n4-9_10dB.img", "n4-9_15dB.img", "n4-9_20dB.img", "n4-9_25dB.img", "n4-9_30dB.img"})}};
}
