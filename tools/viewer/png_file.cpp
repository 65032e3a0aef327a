#include "tools/viewer/png_file.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdlib>
#include <filesystem>

#include "common/raw_file.h"

namespace {

void quiet_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quiet_warning(png_structp, png_const_charp) {}

// Where a regular file named `name` really lives: a link to an existing
// file is followed, so that the rename replaces the file and keeps the link.
std::filesystem::path real_target(const std::string& name) {
    std::error_code error;
    const std::filesystem::path path(name);
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
        const std::filesystem::path resolved = std::filesystem::canonical(path, error);
        if (!error) return resolved;
    }
    return path;
}

// Permissions of the new file: those of the file it replaces, else what
// fopen would have given it.
mode_t new_file_mode(const std::filesystem::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void write_in_place(const std::string& name, const std::vector<unsigned char>& grey, std::int32_t width,
                    std::int32_t height) {
    OutputFile out(name, true);
    if (!encode_grey_png(out.stream(), grey.data(), static_cast<std::uint32_t>(width),
                         static_cast<std::uint32_t>(height))) {
        fail_write(name);
    }
    out.close();
}

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

void write_grey_png(const std::string& name, const std::vector<unsigned char>& grey, std::int32_t width,
                    std::int32_t height) {
    const std::filesystem::path target = real_target(name);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(target, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        write_in_place(name, grey, width, height);
        return;
    }

    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    std::string temporary = (folder / ".raw_to_png.XXXXXX").string();
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        // A folder that takes no new file may still hold a writable picture:
        // overwrite it as any other tool would, rather than fail.
        if (std::filesystem::exists(status)) {
            write_in_place(name, grey, width, height);
            return;
        }
        fail_open(name);
    }
    ::fchmod(descriptor, new_file_mode(target));
    std::FILE* out = ::fdopen(descriptor, "wb");
    if (out == nullptr) {
        ::close(descriptor);
        ::unlink(temporary.c_str());
        fail_open(name);
    }
    bool written = encode_grey_png(out, grey.data(), static_cast<std::uint32_t>(width),
                                   static_cast<std::uint32_t>(height));
    written = std::fflush(out) == 0 && !std::ferror(out) && written;
    written = std::fclose(out) == 0 && written;
    if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        fail_write(name);
    }
}
