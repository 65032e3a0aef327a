// The English forms of the texts of tools/recon/.
#include "english/catalogue.h"

std::span<const TextPair> recon_texts() {
    static const TextPair rows[] = {
        {"FBP法の投影再構成プログラム",
         "Projection reconstruction program by filtered back projection (FBP)"},
        {"サイノグラムをフィルタ補正逆投影（FBP 法、ランプフィルタ）で断面画像に再構成します。投影を作る段（raysum、linearize など）の次で、結果は平滑化フィルタや raw_to_png に渡せます。",
         "Reconstructs a slice image from a sinogram by filtered back projection (FBP, ramp filter). The step after those that make projections (raysum, linearize and others); the result can go on to the smoothing filters or raw_to_png."},
        {" 1. 入力投影のファイル名",
         " 1. Input projection file name"},
        {" 2. 投影の幅",
         " 2. Detector bins per projection"},
        {" 3. 投影数",
         " 3. Number of projections"},
        {" 4. 出力画像のファイル名",
         " 4. Output image file name"},
        {" 5. 画像の幅",
         " 5. Image width"},
        {" 6. 画像の高さ",
         " 6. Image height"},
        {" 7. 画素長 (cm/pixel)",
         " 7. Pixel length (cm/pixel)"},
        {"原因：投影データの有限でない値 %lld 個をランプフィルタが投影全体に、逆投影が画像全体に広げました。",
         "Cause: the ramp filter spread the %lld values of the projection data that are not finite over their whole projections, and back projection over the whole image."},
    };
    return rows;
}
