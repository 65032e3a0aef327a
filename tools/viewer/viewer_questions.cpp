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
