#include "common/message.h"

#include <cstdarg>
#include <utility>

#include "common/text_encoding.h"
#include "common/language.h"

namespace message_detail {

const char* in_run_language(const char* japanese) { return in_language(japanese); }

std::string printed(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformatted(format, args);
    va_end(args);
    return text;
}

// Shift_JIS trail bytes never take the value of '%', so the converted
// format keeps every conversion of the original.
std::string shift_jis_of(std::string_view utf8) { return to_shift_jis(utf8); }

}  // namespace message_detail

Message Message::bytes(std::string text) {
    Message message;
    message.shift_jis_ = text;
    message.utf8_ = std::move(text);
    return message;
}

const std::string& Message::for_stream(std::FILE* stream) const {
    return stream_takes_utf8(stream) ? utf8_ : shift_jis_;
}
