// transfer_curve: the modulation transfer function of an imaging chain from
// an image of a slightly tilted edge, through the LSF of twice as many points.

#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/resolution/resolution_questions.h"
#include "tools/resolution/resolution_tools.h"

int main(int argc, char** argv) {
    TransferCurveParameters p;
    return tool_main(argc, argv, transfer_curve_dialogue(p), [&] {
        const std::vector<double> mtf = measure_transfer_curve(p, raw_file_source(p.input), console_sink());
        write_column_table(p.output, mtf.data(), p.points, "%f\n");
    });
}
