#include "common/console_text.h"

#include <cstdarg>

#include "common/language.h"

namespace {

void console_vprintf(std::FILE* stream, const char* utf8_format, va_list args) {
    // Shift_JIS trail bytes never take the value of '%', so the converted
    // format keeps every conversion of the original; so does the English
    // form, whose conversions its catalogue row keeps.
    const std::string format = console_encoding_of(stream, in_language(utf8_format));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vfprintf(stream, format.c_str(), args);
#pragma GCC diagnostic pop
}

}  // namespace

std::string text_format(const char* utf8_format, ...) {
    va_list args;
    va_start(args, utf8_format);
    std::string text = vformatted(in_language(utf8_format), args);
    va_end(args);
    return text;
}

void console_printf(std::FILE* stream, const char* utf8_format, ...) {
    va_list args;
    va_start(args, utf8_format);
    console_vprintf(stream, utf8_format, args);
    va_end(args);
}
