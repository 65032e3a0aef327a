// reconstruct: filtered back projection of a parallel-beam sinogram, with a
// spatial-domain ramp filter and the projector's own weights.

#include <cstdint>

#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/recon/recon_questions.h"
#include "tools/recon/reconstruction.h"

int main(int argc, char** argv) {
    ReconstructParameters p;
    return tool_main(argc, argv, reconstruct_dialogue(p), [&] {
        const Measured image = reconstruct_image(p, raw_file_source(p.input), console_sink());
        write_raw_file(p.output, image.samples, static_cast<std::int64_t>(image.samples.size()),
                       image.non_finite_cause);
    });
}
