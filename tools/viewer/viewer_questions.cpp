#include "tools/viewer/viewer_questions.h"

#include "tools/viewer/hu_window.h"

using namespace file_facts;

ToolDialogue raw_to_png_dialogue(RawToPngParameters& p) {
    ToolDialogue d{{"raw_to_png", "raw画像をPNG画像に変換するプログラム", 33,
                    "raw 画像を 8 ビットの PNG 画像に変換します。"
                    "表示の下限と上限がどちらも0なら画像の最小値と最大値を使います。連鎖のどの段の画像も見られるようにする道具です。"
                    "HU のウィンドウ（プリセット名か中心と幅）を選ぶと、画像を単位と水の減弱係数で HU にして DICOM の線形ウィンドウで表示し、"
                    "HU の目盛りのグレーバーを添えられます。",
                    {},
                    "raw_to_png < answers.txt",
                    nullptr},
                   {
                       {" 1. 入力画像のファイル名", "input", p.input, "n3-2.img", FileUse::read},
                       {" 2. 画像の幅", "width", p.width, 256},
                       {" 3. 画像の高さ", "height", p.height, 256},
                       {" 4. 出力PNG画像のファイル名", "output", p.output, "n3-2.png", FileUse::written},
                       {" 5. 表示の下限値（両方0で自動）", "low", p.low, 0.0},
                       {" 6. 表示の上限値（両方0で自動）", "high", p.high, 0.0},
                       {" 7. 単位(0:HU 1:μ 2:μ×Δ)", "unit", p.unit, 2},
                       {" 8. 水の減弱係数(1/cm)", "water_mu", p.water_mu, 0.19},
                       {" 9. 画素長Δ(cm)", "pixel_length", p.pixel_length, 0.078125},
                       {"10. HUウィンドウのプリセット名", "window", p.window, "", FileUse::none},
                       {"11. HUウィンドウの中心", "window_centre", p.window_centre, 40.0},
                       {"12. HUウィンドウ幅(0:なし)", "window_width", p.window_width, 0.0},
                       {"13. グレーバー(0:なし 1:HU)", "grey_bar", p.grey_bar, 0},
                   },
                   {}};
    // The input says what it holds only when the answers choose an HU
    // window: its unit then tells.
    const Quantity quantities[] = {hounsfield, attenuation, attenuation_per_pixel};
    const auto hu = [&p] { return hu_window_asked(p) && p.unit >= 0 && p.unit <= 2; };
    FileFact plain = asked("input", FileFormat::raw, image);
    plain.used = [hu] { return !hu(); };
    d.files.push_back(plain);
    for (std::int32_t u = 0; u < 3; ++u) {
        FileFact f = asked("input", FileFormat::raw, image, quantities[u]);
        f.used = [&p, hu, u] { return hu() && p.unit == u; };
        if (u == 2) f.pixel_cm = [&p] { return p.pixel_length; };
        d.files.push_back(f);
    }
    d.files.push_back(asked("output", FileFormat::png, {}, picture));
    return d;
}

ToolDialogue raw_region_dialogue(RawRegionParameters& p) {
    return {{"raw_region", "raw画像の一部を切り出すプログラム", 33,
             "raw 画像の中の長方形（左上の列と行、幅と高さ）を取り出し、その大きさの raw 画像として保存します。"
             "実際の CT 画像の一様な部分だけの平均や標準偏差、雑音パワースペクトルを求めるときに使います。",
             {},
             "raw_region < answers.txt",
             nullptr},
            {
                {" 1. 入力画像のファイル名", "input", p.input, "ct.img", FileUse::read},
                {" 2. 画像の幅", "width", p.width, 128},
                {" 3. 画像の高さ", "height", p.height, 128},
                {" 4. 領域の左端の列（0から）", "x", p.x, 0},
                {" 5. 領域の上端の行（0から）", "y", p.y, 0},
                {" 6. 領域の幅", "region_width", p.region_width, 64},
                {" 7. 領域の高さ", "region_height", p.region_height, 64},
                {" 8. 出力画像のファイル名", "output", p.output, "region.img", FileUse::written},
            },
            {asked("input", FileFormat::raw, image), asked("output", FileFormat::raw, {"region_height", "region_width"}, {nullptr, "", true})}};
}
