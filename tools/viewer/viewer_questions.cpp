#include "tools/viewer/viewer_questions.h"

using namespace file_facts;

ToolDialogue raw_to_png_dialogue(RawToPngParameters& p) {
    return {{"raw_to_png", "raw画像をPNG画像に変換するプログラム", 33,
             "raw 画像を 8 ビットの PNG 画像に変換します。"
             "表示の下限と上限がどちらも0なら画像の最小値と最大値を使います。連鎖のどの段の画像も見られるようにする道具です。",
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
            },
            {asked("input", FileFormat::raw, image), asked("output", FileFormat::png, {}, picture)}};
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
