// Decoding the viewer's pictures in the tests of the Windows build, through
// stb's reader (Debian ships no libpng for mingw).

#include <cstdlib>
#include <cstring>

#include "tests/support/tool_runner.h"
#include "tools/viewer/tests/png_reading.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>
#pragma GCC diagnostic pop

GreyPicture read_grey_png(const std::filesystem::path& file) {
    GreyPicture picture;
    const std::string bytes = read_file(file);
    // The header chunk: signature (8), length and "IHDR" (8), width, height,
    // then bit depth at byte 24 and colour type at byte 25.
    if (bytes.size() < 26) return picture;
    picture.plain_grey = bytes[24] == 8 && bytes[25] == 0;
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(reinterpret_cast<const unsigned char*>(bytes.data()),
                                                  static_cast<int>(bytes.size()), &width, &height, &channels, 1);
    if (pixels == nullptr) return picture;
    picture.ok = true;
    picture.width = static_cast<std::uint32_t>(width);
    picture.height = static_cast<std::uint32_t>(height);
    picture.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    stbi_image_free(pixels);
    return picture;
}
