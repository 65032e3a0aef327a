// kernel_smooth: a symmetric 3 × 3 weighted average with periodic borders.
// The kernel is printed before the image is read.

#include <cstdint>
#include <cstdio>
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
    std::int32_t corner, side, centre;
};
}  // namespace

int main() {
    Parameters p;
    // Question 5 sets the corners and question 7 the centre, whatever their
    // labels say: so the defaults 1, 2, 4 make 1 2 1 / 2 4 2 / 1 2 1.
    run_dialogue("加重平均フィルタのプログラム", 29,
                 {
                     {" 1. 入力画像のファイル名", p.input, "Pict_1.img"},
                     {" 2. 出力画像のファイル名", p.output, "n5-2.img"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                     {" 5. フィルタ関数（中央）", p.corner, 1},
                     {" 6. フィルタ関数（上下左右）", p.side, 2},
                     {" 7. フィルタ関数（斜め方向）", p.centre, 4},
                 });
    const SmoothingKernel kernel = make_smoothing_kernel(p.corner, p.side, p.centre);
    print_smoothing_kernel(stdout, kernel);

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    weighted_average_3x3(input.data(), output.data(), p.width, p.height, kernel);
    write_raw_file(p.output, output, count);
    return 0;
}
