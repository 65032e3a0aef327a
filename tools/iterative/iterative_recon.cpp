// iterative_recon: an image from a sinogram by an iterative method (SIRT,
// SART, OS-SART, CGLS, MLEM, OS-EM), with the images after chosen
// iterations and a table of the residual (and RMSE) of every iteration.

#include <memory>

#include "common/console_text.h"
#include "common/output_file.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/iterative/iterative_questions.h"
#include "tools/iterative/iterative_tools.h"

namespace {

// An image and, in its file event, the iteration it follows: the series a
// host shows is the run's own word, not a pattern of names.
void write_image_after(const std::string& name, const std::vector<double>& image, std::int64_t pixels,
                       std::int32_t iteration) {
    OutputFile out(name);
    out.note_iteration(iteration);
    out.write_samples(image.data(), pixels);
    out.close();
}

}  // namespace

int main(int argc, char** argv) {
    IterativeReconParameters p;
    return tool_main(argc, argv, iterative_recon_dialogue(p), [&] {
        // Every answer and the size of every input first: a refusal writes nothing.
        check_iterative_answers(p);
        require_raw_file_samples(p.input, sample_count(p.bins, p.angles), "投影の幅 × 投影数");
        const bool with_reference = p.reference != no_reference;
        if (with_reference) require_raw_file_samples(p.reference, sample_count(p.width, p.height), "画像の幅 × 高さ");
        const std::int64_t pixels = sample_count(p.width, p.height);
        const SampleSource reference = raw_file_source(p.reference);
        const IterativeOutcome outcome = iterative_reconstruction(
            p, raw_file_source(p.input), with_reference ? &reference : nullptr, console_sink(),
            [&](std::int32_t iteration, const std::vector<double>& image) {
                write_image_after(saved_image_name(p.output, iteration), image, pixels, iteration);
            });
        write_image_after(p.output, outcome.image, pixels, p.iterations);
        OutputFile table = open_table_file(p.table);
        std::fputs(iteration_table_header(with_reference).c_str(), table.stream());
        for (const IterationRecord& r : outcome.table)
            std::fputs(iteration_table_line(r, with_reference).c_str(), table.stream());
        table.close();
    });
}
