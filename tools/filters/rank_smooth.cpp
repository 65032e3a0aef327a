// rank_smooth: the median of a square window around each pixel, with
// periodic borders.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/console_text.h"
#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/filters/median.h"

namespace {
struct Parameters {
    std::string input, output;
    std::int32_t width, height;
    std::int32_t window_width;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("メディアンフィルタのプログラム", 27,
                 {
                     {" 1. 入力画像のファイル名", p.input, "Pict_1.img"},
                     {" 2. 出力画像のファイル名", p.output, "n5-4.img"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                     {" 5. 参照領域の幅（画素）", p.window_width, 3},
                 });
    // An empty window has no median: refuse it before any file is touched.
    if (p.window_width <= 0) {
        fail_with(" エラー：参照領域の幅は1以上にしてください[%d].\n", p.window_width);
    }

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    median_smooth(input.data(), output.data(), p.width, p.height, p.window_width);
    write_raw_file(p.output, output, count);
    return 0;
}
