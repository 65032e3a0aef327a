// raw_to_dicom: a raw image of the suite (HU, μ or μ × pixel length) as a
// DICOM CT image that any DICOM viewer opens.

#include "common/message_sink.h"
#include "common/output_file.h"
#include "common/raw_file.h"
#include "common/tool_start.h"
#include "tools/dicom/dicom_tools.h"

int main(int argc, char** argv) {
    RawToDicomParameters p;
    return tool_main(argc, argv, raw_to_dicom_dialogue(p), [&] {
        check_raw_to_dicom(p);
        const std::string bytes = raw_to_dicom_bytes(p, raw_file_source(p.input), console_sink());
        OutputFile out(p.output);
        std::fwrite(bytes.data(), 1, bytes.size(), out.stream());
        out.close();
    });
}
