#include "common/console_text.h"

#include <cstdarg>
#include <cstdlib>

#include "common/platform.h"

std::string to_shift_jis(std::string_view utf8) { return utf8_to_cp932(utf8); }

std::size_t display_columns(std::string_view utf8) { return to_shift_jis(utf8).size(); }

std::string pad_to_columns(std::string_view utf8, std::size_t columns) {
    std::string padded(utf8);
    const std::size_t used = display_columns(utf8);
    if (used < columns) padded.append(columns - used, ' ');
    return padded;
}

bool stream_takes_utf8(std::FILE* stream) { return is_terminal(stream) && terminal_shows_utf8(); }

std::string console_encoding_of(std::FILE* stream, std::string_view utf8) {
    return stream_takes_utf8(stream) ? std::string(utf8) : to_shift_jis(utf8);
}

namespace {

void console_vprintf(std::FILE* stream, const char* utf8_format, va_list args) {
    // Shift_JIS trail bytes never take the value of '%', so the converted
    // format keeps every conversion of the original.
    const std::string format = console_encoding_of(stream, utf8_format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vfprintf(stream, format.c_str(), args);
#pragma GCC diagnostic pop
}

}  // namespace

void fail_with(const char* utf8_format, ...) {
    std::fflush(stdout);
    va_list args;
    va_start(args, utf8_format);
    console_vprintf(stderr, utf8_format, args);
    va_end(args);
    std::exit(1);
}

void console_printf(std::FILE* stream, const char* utf8_format, ...) {
    va_list args;
    va_start(args, utf8_format);
    console_vprintf(stream, utf8_format, args);
    va_end(args);
}
