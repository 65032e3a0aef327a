// The PNG encoder on Linux and other POSIX systems: libpng.

#include "tools/viewer/png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>

namespace {

void quiet_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quiet_warning(png_structp, png_const_charp) {}

}  // namespace

bool encode_grey_png(std::FILE* out, const unsigned char* grey, std::uint32_t width, std::uint32_t height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet_error, quiet_warning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // Only plain values live in this frame, so a longjmp back here leaks nothing.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);  // any size a PNG can hold
    png_init_io(png, out);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t row = 0; row < height; ++row) {
        png_write_row(png, grey + static_cast<std::size_t>(row) * width);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
