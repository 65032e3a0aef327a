// edge_preserve: the bilateral filter, with periodic borders. Both file names
// hold up to 255 bytes, as in every other tool.

#include <cstdint>
#include <string>
#include <vector>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/filters/bilateral.h"

namespace {
struct Parameters {
    std::string input, output;
    std::int32_t width, height;
    std::int32_t window_width;
    double spatial_width, range_width;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("Bilateralフィルタのプログラム", 26,
                 {
                     {" 1. 入力画像のファイル名", p.input, "xdisk_1_I0_2000_sd20_fbp.img"},
                     {" 2. 出力画像のファイル名", p.output, "n5-5.img"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                     {" 5. 参照領域の幅（画素）", p.window_width, 7},
                     {" 6．重みづけ係数 δ1", p.spatial_width, 0.1},
                     {" 7．重みづけ係数 δ2", p.range_width, 0.1},
                 });

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    bilateral_smooth(input.data(), output.data(), p.width, p.height, p.window_width, p.spatial_width,
                     p.range_width);
    write_raw_file(p.output, output, count);
    return 0;
}
