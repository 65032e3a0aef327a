#include "tools/phantom/phantom_questions.h"

using namespace file_facts;

ToolDialogue oval_draw_dialogue(OvalDrawParameters& p) {
    return {{"oval_draw", "2次元楕円画像を作成するプログラム", 36,
             "回転した楕円を1つ、指定した減弱係数で塗りつぶした画像（float の raw 画像）を作ります。"
             "座標は画像の幅を2とする正規化座標です。連鎖の出発点の一つで、一様な平坦画像（雑音の評価用）もこれで作れます。",
             {},
             "oval_draw < answers.txt",
             "examples/answers/18_oval_draw_flat.txt"},
            {
                {" 1. 出力画像のファイル名", "output", p.output, "n3-1.img", FileUse::written},
                {" 2. 画像の幅　", "width", p.width, 256},
                {" 3. 画像の高さ", "height", p.height, 256},
                {" 4. 楕円データの中心x座標", "centre_x", p.ellipse.centre_x, 0.0},
                {" 5. 楕円データの中心y座標", "centre_y", p.ellipse.centre_y, 0.0},
                {" 6. 楕円データの長径（x方向の半径）", "radius_x", p.ellipse.radius_x, 0.6},
                {" 7. 楕円データの短径（y方向の半径）", "radius_y", p.ellipse.radius_y, 0.8},
                {" 8. 楕円データの回転角 （度）", "angle", p.ellipse.angle, 10.0},
                {" 9. 楕円データの値（減弱係数）", "value", p.ellipse.value, 0.1},
            },
            {asked("output", FileFormat::raw, image, attenuation)}};
}

ToolDialogue oval_stack_dialogue(OvalStackParameters& p) {
    return {{"oval_stack", "2次元楕円画像を作成するプログラム（複数の楕円）", 32,
             "楕円パラメータのファイルに並んだ楕円を1つずつ描いて足し合わせ、頭部ファントムのような試験画像を作ります。"
             "連鎖の最初の一歩で、できた画像を raysum などが投影します。",
             {},
             "oval_stack < answers.txt",
             "examples/answers/01_oval_stack.txt"},
            {
                {" 1. 楕円パラメータのファイル名", "input", p.ellipse_file, "n3-2.txt", FileUse::read},
                {" 2. 楕円の数", "ellipse_count", p.ellipse_count, 11},
                {" 3. 出力画像のファイル名", "output", p.output, "n3-2.img", FileUse::written},
                {" 4. 画像の幅　", "width", p.width, 256},
                {" 5. 画像の高さ", "height", p.height, 256},
            },
            {asked("input", FileFormat::text, {}, ellipses), asked("output", FileFormat::raw, image, attenuation)}};
}
