// box_smooth: the 3 × 3 moving average of an image with periodic borders.

#include <cstdint>
#include <string>
#include <vector>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/filters/three_by_three.h"

namespace {
struct Parameters {
    std::string input, output;
    std::int32_t width, height;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("移動平均フィルタのプログラム", 26,
                 {
                     {" 1. 入力画像のファイル名", p.input, "Pict_1.img"},
                     {" 2. 出力画像のファイル名", p.output, "n5-1.img"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                 });

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    moving_average_3x3(input.data(), output.data(), p.width, p.height);
    write_raw_file(p.output, output, count);
    return 0;
}
