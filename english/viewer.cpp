// The English forms of the texts of tools/viewer/.
#include "english/catalogue.h"

std::span<const TextPair> viewer_texts() {
    static const TextPair rows[] = {
        {" エラー：画像の大きさが正しくありません[%d × %d].\n",
         " error: the image size is not usable [%d x %d].\n"},
        {"表示範囲：%f から %f\n",
         "Display range: %f to %f\n"},
        {"raw画像をPNG画像に変換するプログラム",
         "Program that converts a raw image into a PNG image"},
        {"raw 画像を 8 ビットの PNG 画像に変換します。表示の下限と上限がどちらも0なら画像の最小値と最大値を使います。連鎖のどの段の画像も見られるようにする道具です。",
         "Converts a raw image into an 8-bit PNG image. When the lower and the upper display limit are both 0, the minimum and the maximum of the image are used. A tool to look at the image of any step of the chain."},
        {" 4. 出力PNG画像のファイル名",
         " 4. Output PNG image file name"},
        {" 5. 表示の下限値（両方0で自動）",
         " 5. Lower display limit (both 0: automatic)"},
        {" 6. 表示の上限値（両方0で自動）",
         " 6. Upper display limit (both 0: automatic)"},
        {"raw画像の一部を切り出すプログラム",
         "Program that cuts a region out of a raw image"},
        {"raw 画像の中の長方形（左上の列と行、幅と高さ）を取り出し、その大きさの raw 画像として保存します。実際の CT 画像の一様な部分だけの平均や標準偏差、雑音パワースペクトルを求めるときに使います。",
         "Takes a rectangle (its top left column and row, its width and height) out of a raw image and saves it as a raw image of that size. Used to measure the mean, the standard deviation or the noise power spectrum of a uniform part of a real CT image alone."},
        {" 4. 領域の左端の列（0から）",
         " 4. Left column of the region (from 0)"},
        {" 5. 領域の上端の行（0から）",
         " 5. Top row of the region (from 0)"},
        {" 6. 領域の幅",
         " 6. Region width"},
        {" 7. 領域の高さ",
         " 7. Region height"},
        {" 8. 出力画像のファイル名",
         " 8. Output image file name"},
        {"領域の左端の列",
         "left column of the region"},
        {"領域の上端の行",
         "top row of the region"},
        {"領域の幅",
         "region width"},
        {"領域の高さ",
         "region height"},
    };
    return rows;
}
