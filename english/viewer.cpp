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
    };
    return rows;
}
