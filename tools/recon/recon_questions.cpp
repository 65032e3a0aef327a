#include "tools/recon/recon_questions.h"

using namespace file_facts;

ToolDialogue reconstruct_dialogue(ReconstructParameters& p) {
    ToolDialogue d{{"reconstruct", "FBP法の投影再構成プログラム", 27,
                    "サイノグラムをフィルタ補正逆投影（FBP 法、ランプフィルタ）で断面画像に再構成します。"
                    "投影を作る段（raysum、linearize など）の次で、結果は平滑化フィルタや raw_to_png に渡せます。",
                    {},
                    "reconstruct < answers.txt",
                    "examples/answers/08_reconstruct.txt"},
                   {
                       {" 1. 入力投影のファイル名", "input", p.input, "xdisk_9.prj", FileUse::read},
                       {" 2. 投影の幅", "bins", p.bins, 256},
                       {" 3. 投影数", "angles", p.angles, 256},
                       {" 4. 出力画像のファイル名", "output", p.output, "a.img", FileUse::written},
                       {" 5. 画像の幅", "width", p.width, 256},
                       {" 6. 画像の高さ", "height", p.height, 256},
                       {" 7. 画素長 (cm/pixel)", "pixel_length", p.pixel_length, 0.078125},
                   },
                   {asked("input", FileFormat::raw, sinogram, line_integral), asked("output", FileFormat::raw, image, attenuation_per_pixel)}};
    d.files[1].pixel_cm = [&p] { return p.pixel_length; };
    return d;
}
