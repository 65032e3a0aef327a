#include "tools/iterative/iterative_questions.h"

#include <algorithm>
#include <cstdio>

using namespace file_facts;

std::string saved_image_name(const std::string& output, std::int32_t iteration) {
    char number[16];
    std::snprintf(number, sizeof number, "_%04d", static_cast<int>(iteration));
    // The extension is what follows the last dot of the last part of the name.
    const std::size_t slash = output.find_last_of("/\\");
    const std::size_t dot = output.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == 0 ||
        (slash != std::string::npos && dot == slash + 1))
        return output + number;
    return output.substr(0, dot) + number + output.substr(dot);
}

bool saves_image_after(const IterativeReconParameters& p, std::int32_t iteration) {
    if (iteration == p.iterations) return true;
    return p.save_every > 0 && iteration % p.save_every == 0;
}

namespace {

// The residual table: a column per measure of how far the iteration is.
constexpr Quantity convergence{"convergence", ""};

// The intermediate images a run with these answers writes (the last one is the output).
FileFact saved_series(IterativeReconParameters& p) {
    FileFact f = series(0, "ir_{iteration}.img", {"ir_0005.img"}, image, attenuation);
    f.named_by_run = true;  // the output's stem and the interval name them
    f.series_names = [&p] {
        std::vector<std::string> names;
        if (p.save_every <= 0) return names;
        for (std::int32_t i = p.save_every; i < std::min(p.iterations, most_iterations + 1) &&
                                            static_cast<std::int32_t>(names.size()) < planned_series_limit;
             i += p.save_every)
            names.push_back(saved_image_name(p.output, i));
        return names;
    };
    return f;
}

}  // namespace

ToolDialogue iterative_recon_dialogue(IterativeReconParameters& p) {
    return {{"iterative_recon", "逐次近似法の投影再構成プログラム", 39,
             "サイノグラムから逐次近似法で断面画像を再構成します。方法は 1 SIRT、2 SART、3 OS-SART、4 CGLS、"
             "5 MLEM、6 OS-EM（MLEM と OS-EM は入射光子数からカウントに戻して透過型の最尤推定）。"
             "投影は半回転を「半回転の投影数」で等分した角度のうち、最初の投影番号から間隔ごとに並ぶものとして扱います"
             "（view_subset が答えを表示します）。指定した反復ごとに画像を保存し、反復ごとの残差と、参照画像があれば"
             "RMSE を表に書きます。画像の単位は raysum の入力と同じ 1/cm です。",
             {{"ir_0005.img, ir_0010.img …", FileUse::written, "途中の反復の画像"}},
             "iterative_recon < answers.txt",
             nullptr},
            {
                {" 1. 入力投影のファイル名", "input", p.input, "xdisk_1.prj", FileUse::read},
                {" 2. 投影の幅", "bins", p.bins, 256},
                {" 3. 投影数", "angles", p.angles, 256},
                {" 4. 半回転の投影数", "full_angles", p.full_angles, 256},
                {" 5. 最初の投影番号", "first_view", p.first_view, 0},
                {" 6. 投影番号の間隔（0:半回転に等間隔）", "view_step", p.view_step, 1},
                {" 7. 出力画像のファイル名", "output", p.output, "ir.img", FileUse::written},
                {" 8. 画像の幅", "width", p.width, 256},
                {" 9. 画像の高さ", "height", p.height, 256},
                {"10. 画素長 (cm/pixel)", "pixel_length", p.pixel_length, 0.078125},
                {"11. 方法（1〜6）", "method", p.method, 2},
                {"12. 反復回数", "iterations", p.iterations, 10},
                {"13. 緩和係数", "relaxation", p.relaxation, 1.0},
                {"14. サブセット数", "subsets", p.subsets, 8},
                {"15. 非負制約（1:あり 0:なし）", "nonnegative", p.nonnegative, 1},
                {"16. TVの重み（0:なし）", "tv_weight", p.tv_weight, 0.0},
                {"17. 入射光子数（MLEM、OS-EM）", "incident", p.incident, 2000},
                {"18. 初期画像（0:ゼロ 1:FBP）", "start", p.start, 0},
                {"19. 画像を保存する間隔（0:最後だけ）", "save_every", p.save_every, 5},
                {"20. 残差の表のファイル名", "table", p.table, "ir_table.txt", FileUse::written},
                {"21. 参照画像のファイル名（none:なし）", "reference", p.reference, no_reference, FileUse::read},
            },
            {asked("input", FileFormat::raw, sinogram, line_integral),
             asked("output", FileFormat::raw, image, attenuation),
             named_columns("table", convergence, "iteration", ""),
             asked("reference", FileFormat::raw, image, attenuation),
             saved_series(p)}};
}

ToolDialogue view_subset_dialogue(ViewSubsetParameters& p) {
    return {{"view_subset", "投影の一部を取り出すプログラム", 27,
             "サイノグラムから、最初の投影番号から間隔ごとに決めた数の投影（行）を取り出します。"
             "間隔を大きくすると少数方向（スパース）、間隔 1 で数を減らすと限られた角度範囲のデータになります。"
             "iterative_recon に答える半回転の投影数・最初の投影番号・間隔を表示します。",
             {},
             "view_subset < answers.txt",
             nullptr},
            {
                {" 1. 入力投影のファイル名", "input", p.input, "xdisk_1.prj", FileUse::read},
                {" 2. 投影の幅", "bins", p.bins, 256},
                {" 3. 投影数", "angles", p.angles, 256},
                {" 4. 出力投影のファイル名", "output", p.output, "xdisk_1_sparse.prj", FileUse::written},
                {" 5. 最初の投影番号", "first_view", p.first_view, 0},
                {" 6. 投影番号の間隔（0:半回転に等間隔）", "view_step", p.view_step, 8},
                {" 7. 取り出す投影数", "views", p.views, 32},
            },
            {asked("input", FileFormat::raw, sinogram, line_integral),
             asked("output", FileFormat::raw, {"views", "bins"}, line_integral)}};
}
