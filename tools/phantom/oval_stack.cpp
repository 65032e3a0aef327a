// oval_stack: a phantom of several ellipses listed in an ellipse parameter
// file, each drawn as oval_draw draws its one ellipse and summed.

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/dialogue.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/phantom/ellipse.h"
#include "tools/phantom/ellipse_file.h"

namespace {
struct Parameters {
    std::string ellipse_file;
    std::int32_t ellipse_count;
    std::string output;
    std::int32_t width, height;
};
}  // namespace

int main() {
    Parameters p;
    run_dialogue("2次元楕円画像を作成するプログラム（複数の楕円）", 32,
                 {
                     {" 1. 楕円パラメータのファイル名", p.ellipse_file, "n3-2.txt"},
                     {" 2. 楕円の数", p.ellipse_count, 11},
                     {" 3. 出力画像のファイル名", p.output, "n3-2.img"},
                     {" 4. 画像の幅　", p.width, 256},
                     {" 5. 画像の高さ", p.height, 256},
                 });
    require_sample_count(p.ellipse_count, "楕円の数");
    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");

    std::FILE* in = std::fopen(p.ellipse_file.c_str(), "r");
    if (in == nullptr) fail_open(p.ellipse_file);
    const EllipseFileResult table = read_ellipses(in, p.ellipse_file, p.ellipse_count, stdout);
    std::fclose(in);
    if (!table.error.empty()) {
        std::fflush(stdout);
        std::fputs(table.error.c_str(), stderr);
        return 1;
    }

    std::vector<double> image = take_samples(count);
    for (const Ellipse& e : table.ellipses) draw_ellipse(image, p.width, p.height, e);
    write_raw_file(p.output, image, count);
    return 0;
}
