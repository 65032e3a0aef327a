// bell_smooth: convolution with a Gaussian of a given FWHM in whole pixels,
// rows then columns, without wrap-around.

#include <cstdint>
#include <string>
#include <vector>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/filters/gaussian.h"

namespace {
struct Parameters {
    std::string input, output;
    std::int32_t width, height;
    std::int32_t fwhm;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("重畳型ガウシアンフィルタのプログラム", 31,
                 {
                     {" 1. 入力画像のファイル名", p.input, "Pict_1.img"},
                     {" 2. 出力画像のファイル名", p.output, "n5-3.img"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                     {" 5. ガウス関数の半値幅（画素）", p.fwhm, 2},
                 });

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    read_raw_file(p.input, input, count);
    gaussian_smooth(input.data(), output.data(), p.width, p.height, p.fwhm);
    write_raw_file(p.output, output, count);
    return 0;
}
