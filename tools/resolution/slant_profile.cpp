// slant_profile: the line spread function of an imaging chain from an image
// of a slightly tilted edge; the edge spread function goes to "esf.txt".

#include <cstdint>
#include <string>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/resolution/edge_spread.h"

namespace {
struct Parameters {
    std::string input, output;
    std::int32_t width, height, points;
    double delta;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("LSFを求めるプログラム", 29,
                 {
                     {" 1. エッジ画像のファイル名", p.input, "edge_a1_th3.0.img"},
                     {" 2. LSFデータのファイル名", p.output, "n4-2.txt"},
                     {" 3. 画像の幅", p.width, 256},
                     {" 4. 画像の高さ", p.height, 256},
                     {" 5. 出力データ数", p.points, 256},
                     {" 6. 出力データのピクセル長", p.delta, 0.1},
                 });

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    require_sample_count(p.points, "出力データ数");
    std::vector<double> image = take_samples(count);
    std::vector<double> lsf = take_samples(p.points);
    read_raw_file(p.input, image, count);

    // Ends the tool before any file is written when the edge cannot be found.
    const std::vector<double> esf = measure_edge_spread(image, p.width, p.height, p.points, p.delta);
    write_column_table("esf.txt", esf.data(), p.points, "%f\n");
    line_spread(esf.data(), p.points, p.delta, lsf.data());
    write_column_table(p.output, lsf.data(), p.points, "%f\n");
    return 0;
}
