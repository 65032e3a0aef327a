// slant_profile: the line spread function of an imaging chain from an image
// of a slightly tilted edge; the edge spread function goes to "esf.txt".

#include <cstdint>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/resolution/resolution_questions.h"
#include "tools/resolution/resolution_tools.h"

int main(int argc, char** argv) {
    SlantProfileParameters p;
    return tool_main(argc, argv, slant_profile_dialogue(p), [&] {
        // Fails before any file is written when the edge cannot be found.
        const SlantProfile profile = measure_slant_profile(p, raw_file_source(p.input), console_sink());
        write_column_table("esf.txt", profile.esf.data(), p.points, "%f\n");
        write_column_table(p.output, profile.lsf.data(), p.points, "%f\n");
    });
}
