// transfer_curve: the modulation transfer function of an imaging chain from
// an image of a slightly tilted edge, through the LSF of twice as many points.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/console_text.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/resolution/edge_spread.h"
#include "tools/resolution/resolution_questions.h"
#include "tools/resolution/transfer.h"

int main(int argc, char** argv) {
    TransferCurveParameters p;
    start_tool(argc, argv, transfer_curve_dialogue(p));
    // The transform takes power-of-two lengths only.
    if (!is_transfer_point_count(p.points)) {
        fail_with(" エラー：出力データ数は2から%dまでの2のべき乗にしてください[%d].\n", max_transfer_points,
                  p.points);
    }

    const std::int64_t count = sample_count(p.width, p.height);
    require_sample_count(count, "画像の幅 × 高さ");
    const std::int64_t lsf_points = 2 * static_cast<std::int64_t>(p.points);
    std::vector<double> image = take_samples(count);
    std::vector<double> lsf = take_samples(lsf_points);
    std::vector<double> mtf = take_samples(p.points);
    read_raw_file(p.input, image, count);

    const std::vector<double> esf = measure_edge_spread(image, p.width, p.height, lsf_points, p.delta);
    line_spread(esf.data(), lsf_points, p.delta, lsf.data());
    transfer_from_line_spread(lsf.data(), p.points, mtf.data());
    // Twice: every line ends multiplied by (x / sin x)².
    correct_for_window(mtf.data(), p.points, p.delta);
    correct_for_window(mtf.data(), p.points, p.delta);
    write_column_table(p.output, mtf.data(), p.points, "%f\n");
    return 0;
}
