// step_target: a slanted sigmoid edge, the test object of the resolution
// measurement, written as a raw image.

#include <cstdint>
#include <string>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/resolution/edge_target.h"

namespace {
struct Parameters {
    std::string output;
    std::int32_t width, height, gain;
    double angle;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("エッジ画像を作成するプログラム", 29,
                 {
                     {" 1. エッジ画像のファイル名", p.output, "n4-1.img"},
                     {" 2. 画像の幅", p.width, 256},
                     {" 3. 画像の高さ", p.height, 256},
                     {" 4. シグモイド曲線のゲイン", p.gain, 2},
                     {" 5. エッジの傾斜角度（度）", p.angle, 3.0},
                 });

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> image = take_samples(count);
    draw_step_edge(image, p.width, p.height, p.gain, p.angle);
    write_raw_file(p.output, image, count);
    return 0;
}
