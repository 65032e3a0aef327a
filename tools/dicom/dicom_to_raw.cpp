// dicom_to_raw: one frame of a DICOM CT image as a raw image in HU, in μ
// or in μ × pixel length at a water μ, its header facts on the console.

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "common/run_events.h"
#include "common/tool_start.h"
#include "tools/dicom/dicom_tools.h"

namespace {

// A CT series' single file is some megabytes; a gigabyte is no image a
// learner converts, and reading it whole would only exhaust the memory.
constexpr std::int64_t largest_file = std::int64_t{1} << 30;

}  // namespace

int main(int argc, char** argv) {
    DicomToRawParameters p;
    return tool_main(argc, argv, dicom_to_raw_dialogue(p), [&] {
        check_dicom_to_raw(p);
        const std::string bytes = whole_file(p.input, largest_file);
        const DicomImage image = dicom_to_raw_image(p, bytes, console_sink());
        run_events::file(p.input, run_events::Role::input, static_cast<std::int64_t>(bytes.size()),
                         file_inside(image.facts, p.frame));
        write_raw_file(p.output, image.values, static_cast<std::int64_t>(image.values.size()));
    });
}
