#include "tools/viewer/tests/png_reading.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {
void quiet_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quiet_warning(png_structp, png_const_charp) {}

// Plain values only in this frame: libpng leaves it by longjmp on an error.
bool decode(std::FILE* in, png_structp png, png_infop info, GreyPicture* picture) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
    png_init_io(png, in);
    png_read_info(png, info);
    picture->width = png_get_image_width(png, info);
    picture->height = png_get_image_height(png, info);
    picture->plain_grey = png_get_color_type(png, info) == PNG_COLOR_TYPE_GRAY &&
                          png_get_bit_depth(png, info) == 8 &&
                          png_get_interlace_type(png, info) == PNG_INTERLACE_NONE;
    if (!picture->plain_grey) return false;
    picture->pixels.resize(static_cast<std::size_t>(picture->width) * picture->height);
    for (std::uint32_t row = 0; row < picture->height; ++row) {
        png_read_row(png, picture->pixels.data() + static_cast<std::size_t>(row) * picture->width, nullptr);
    }
    png_read_end(png, nullptr);
    return true;
}
}  // namespace

GreyPicture read_grey_png(const std::filesystem::path& file) {
    GreyPicture picture;
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (in == nullptr) return picture;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet_error, quiet_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info != nullptr) picture.ok = decode(in, png, info, &picture);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(in);
    return picture;
}
