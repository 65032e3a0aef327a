// slant_profile: the line spread function of an imaging chain from an image
// of a slightly tilted edge; the edge spread function goes to "esf.txt".

#include <cstdint>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/resolution/edge_spread.h"
#include "tools/resolution/resolution_questions.h"

int main(int argc, char** argv) {
    SlantProfileParameters p;
    start_tool(argc, argv, slant_profile_dialogue(p));

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
