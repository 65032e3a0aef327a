// The PNG encoder of the Windows build: stb's header-only writer (Debian's
// libstb-dev), since Debian ships no libpng for mingw. The pixels are the
// same as libpng's; the compressed bytes differ.

#include <climits>
#include <cstdint>

#include "tools/viewer/png_file.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

struct Sink {
    std::FILE* out;
    bool failed = false;
};

void write_to_stream(void* context, void* data, int size) {
    Sink& sink = *static_cast<Sink*>(context);
    if (std::fwrite(data, 1, static_cast<std::size_t>(size), sink.out) != static_cast<std::size_t>(size)) {
        sink.failed = true;
    }
}

}  // namespace

bool encode_grey_png(std::FILE* out, const unsigned char* grey, std::uint32_t width, std::uint32_t height) {
    // stb holds the filtered rows, one filter byte each, in one buffer indexed by int.
    if ((static_cast<std::uint64_t>(width) + 1) * height > INT_MAX) return false;
    Sink sink{out};
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    return stbi_write_png_to_func(write_to_stream, &sink, w, h, 1, grey, w) != 0 && !sink.failed;
}
