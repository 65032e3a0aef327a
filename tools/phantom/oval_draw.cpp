// oval_draw: one filled, rotated ellipse of a given attenuation coefficient
// into an otherwise empty image.

#include <cstdint>
#include <string>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/phantom/ellipse.h"

namespace {
struct Parameters {
    std::string output;
    std::int32_t width, height;
    Ellipse ellipse;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("2次元楕円画像を作成するプログラム", 36,
                 {
                     {" 1. 出力画像のファイル名", p.output, "n3-1.img"},
                     {" 2. 画像の幅　", p.width, 256},
                     {" 3. 画像の高さ", p.height, 256},
                     {" 4. 楕円データの中心x座標", p.ellipse.centre_x, 0.0},
                     {" 5. 楕円データの中心y座標", p.ellipse.centre_y, 0.0},
                     {" 6. 楕円データの長径（x方向の半径）", p.ellipse.radius_x, 0.6},
                     {" 7. 楕円データの短径（y方向の半径）", p.ellipse.radius_y, 0.8},
                     {" 8. 楕円データの回転角 （度）", p.ellipse.angle, 10.0},
                     {" 9. 楕円データの値（減弱係数）", p.ellipse.value, 0.1},
                 });

    // Both sizes negative still make a positive count of zero samples.
    const std::int64_t count = sample_count(p.width, p.height);
    std::vector<double> image = take_samples(count);
    draw_ellipse(image, p.width, p.height, p.ellipse);
    write_raw_file(p.output, image, count);
    return 0;
}
