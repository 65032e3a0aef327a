// The DICOM reader on arbitrary bytes: the first byte chooses the frame
// asked for (0 … 3), the rest is the file. It either refuses the file with
// a Failure or returns one frame of finite values of the declared size;
// anything else (a crash, a read past the bytes, another exception, an
// image of the wrong size) is a fault.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/failure.h"
#include "tools/dicom/dicom_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::int32_t frame = data[0] % 4;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        const DicomImage image = read_dicom_image("fuzz.dcm", bytes, frame);
        const DicomFacts& f = image.facts;
        if (frame < 1 || frame > f.frames) std::abort();
        if (image.values.size() != static_cast<std::size_t>(f.rows) * static_cast<std::size_t>(f.columns)) std::abort();
        for (const double v : image.values)
            if (!std::isfinite(v)) std::abort();
    } catch (const Failure&) {
    }
    return 0;
}
