#include "tools/viewer/png_file.h"

#include "common/raw_file.h"

void write_grey_png(const std::string& name, const std::vector<unsigned char>& grey, std::int32_t width,
                    std::int32_t height) {
    OutputFile out(name);
    if (!encode_grey_png(out.stream(), grey.data(), static_cast<std::uint32_t>(width),
                         static_cast<std::uint32_t>(height))) {
        fail_write(name);
    }
    out.close();
}
