#include "common/text_encoding.h"

#include <cctype>
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

namespace {

std::string lower_case(const char* text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

bool stream_takes_utf8(std::FILE* stream) {
    // CT_ENCODING forces one encoding for every stream (a pipe into less or
    // tee, a C locale on a UTF-8 terminal); otherwise a terminal that shows
    // UTF-8 gets UTF-8 and everything else Shift_JIS.
    if (const char* forced = std::getenv("CT_ENCODING")) {
        const std::string name = lower_case(forced);
        if (name == "utf-8") return true;
        if (name == "cp932") return false;
    }
    return is_terminal(stream) && terminal_shows_utf8();
}

std::string console_encoding_of(std::FILE* stream, std::string_view utf8) {
    return stream_takes_utf8(stream) ? std::string(utf8) : to_shift_jis(utf8);
}

std::string vformatted(const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::vsnprintf(nullptr, 0, format, again);
    va_end(again);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
#pragma GCC diagnostic pop
    return text;
}
