// view_subset: some of the views of a sinogram (every k-th for sparse
// views, a run of neighbours for a limited angle), and the answers that
// tell iterative_recon which angles they are.

#include <cstdio>

#include "common/console_text.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/iterative/iterative_questions.h"
#include "tools/iterative/iterative_tools.h"

int main(int argc, char** argv) {
    ViewSubsetParameters p;
    return tool_main(argc, argv, view_subset_dialogue(p), [&] {
        check_view_subset_answers(p);
        require_raw_file_samples(p.input, sample_count(p.bins, p.angles), "投影の幅 × 投影数");
        const std::vector<double> subset = take_view_subset(p, raw_file_source(p.input));
        write_raw_file(p.output, subset, sample_count(p.bins, p.views));
        console_sink().show(view_subset_report(p));
    });
}
