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
        {"raw 画像を 8 ビットの PNG 画像に変換します。表示の下限と上限がどちらも0なら画像の最小値と最大値を使います。連鎖のどの段の画像も見られるようにする道具です。"
         "HU のウィンドウ（プリセット名か中心と幅）を選ぶと、画像を単位と水の減弱係数で HU にして DICOM の線形ウィンドウで表示し、"
         "HU の目盛りのグレーバーを添えられます。",
         "Converts a raw image into an 8-bit PNG image. When the lower and the upper display limit are both 0, the minimum and the maximum of the image are used. A tool to look at the image of any step of the chain. "
         "With an HU window (a preset name, or a centre and a width), the image is turned into HU by its unit and the water attenuation coefficient, shown through DICOM's linear window, "
         "and can get a grey bar labelled in HU."},
        {" 7. 単位(0:HU 1:μ 2:μ×Δ)",
         " 7. Unit (0:HU 1:mu 2:mu x Delta)"},
        {" 8. 水の減弱係数(1/cm)",
         " 8. Water attenuation coefficient (1/cm)"},
        {" 9. 画素長Δ(cm)",
         " 9. Pixel length Delta (cm)"},
        {"10. HUウィンドウのプリセット名",
         "10. HU window preset (empty: centre, width)"},
        {"11. HUウィンドウの中心",
         "11. HU window centre"},
        {"12. HUウィンドウ幅(0:なし)",
         "12. HU window width (0: none)"},
        {"13. グレーバー(0:なし 1:HU)",
         "13. Grey bar (0: none 1: in HU)"},
        {" エラー：グレーバーは0か1にしてください[%d].\n",
         " error: the grey bar must be 0 or 1 [%d].\n"},
        {" エラー：グレーバーはHUのウィンドウとともに使います.\n",
         " error: the grey bar goes with an HU window (a preset or a width).\n"},
        {" エラー：HUウィンドウのプリセットがありません[%s]（%s）.\n",
         " error: no HU window preset of that name [%s] (%s).\n"},
        {"表示ウィンドウ：%s（中心 %f HU、幅 %f HU）\n",
         "Display window: %s (centre %f HU, width %f HU)\n"},

        {" 4. 出力PNG画像のファイル名",
         " 4. Output PNG image file name"},
        {" 5. 表示の下限値（両方0で自動）",
         " 5. Lower display limit (both 0: automatic)"},
        {" 6. 表示の上限値（両方0で自動）",
         " 6. Upper display limit (both 0: automatic)"},
    };
    return rows;
}
