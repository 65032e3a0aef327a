#include "common/console_text.h"

#include <iconv.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

std::string to_shift_jis(std::string_view utf8) {
    std::string out;
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);  // no converter: pass through
    out.resize(utf8.size() * 2 + 8);
    char* in_ptr = const_cast<char*>(utf8.data());
    std::size_t in_left = utf8.size();
    char* out_ptr = out.data();
    std::size_t out_left = out.size();
    while (in_left > 0) {
        if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) break;  // cannot happen: Shift_JIS never needs more than the UTF-8 bytes
        // A character without a Shift_JIS form: skip its UTF-8 bytes, write "?".
        *out_ptr++ = '?';
        --out_left;
        do {
            ++in_ptr;
            --in_left;
        } while (in_left > 0 && (static_cast<unsigned char>(*in_ptr) & 0xC0) == 0x80);
    }
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return out;
}

std::size_t display_columns(std::string_view utf8) { return to_shift_jis(utf8).size(); }

std::string pad_to_columns(std::string_view utf8, std::size_t columns) {
    std::string padded(utf8);
    const std::size_t used = display_columns(utf8);
    if (used < columns) padded.append(columns - used, ' ');
    return padded;
}

static bool locale_names_utf8() {
    const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        std::string lower(value);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
    }
    return false;
}

static std::string lower_case(const char* text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool stream_takes_utf8(std::FILE* stream) {
    // CT_ENCODING forces one encoding for every stream (a pipe into less or
    // tee, a C locale on a UTF-8 terminal); otherwise a terminal with a
    // UTF-8 locale gets UTF-8 and everything else Shift_JIS.
    if (const char* forced = std::getenv("CT_ENCODING")) {
        const std::string name = lower_case(forced);
        if (name == "utf-8") return true;
        if (name == "cp932") return false;
    }
    return isatty(fileno(stream)) && locale_names_utf8();
}

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
