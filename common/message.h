#pragma once
// A console message of the suite, made once and held in both encodings the
// console may take: UTF-8, and Shift_JIS (code page 932). The format is
// UTF-8 in the source and is converted as a whole; its plain %s arguments
// (file names, lines of a file) are bytes of their own and kept as they
// are, while a Text argument is UTF-8 and takes the message's encoding.
// The format and the Text arguments are in the language of the run
// (language.h): Japanese as written, or their English forms.

#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "common/format_check.h"

// A UTF-8 text that fills a %s of a message, e.g. Text{"画像の幅 × 高さ"}.
struct Text {
    const char* utf8;
};

namespace message_detail {

// printf into a string; the format is not a literal by the time it gets here.
std::string printed(const char* format, ...);
std::string shift_jis_of(std::string_view utf8);

template <typename T>
T in_utf8(T value) {
    return value;
}
// Texts (and formats) are looked up in the language of the run.
const char* in_run_language(const char* japanese);
inline const char* in_utf8(Text text) { return in_run_language(text.utf8); }

// A Shift_JIS fill kept alive for the rest of the full expression.
struct ShiftJisFill {
    std::string bytes;
};
template <typename T>
T in_shift_jis(T value) {
    return value;
}
inline ShiftJisFill in_shift_jis(Text text) { return {shift_jis_of(in_run_language(text.utf8))}; }

template <typename T>
T vararg(T value) {
    return value;
}
inline const char* vararg(const ShiftJisFill& fill) { return fill.bytes.c_str(); }

// A format checked against the arguments that follow it when the program
// is built (the arguments are deduced from the call, not from the format).
template <typename... Args>
using Format = format_check::Checked<std::type_identity_t<Args>...>;

}  // namespace message_detail

class Message {
  public:
    template <typename... Args>
    explicit Message(message_detail::Format<Args...> utf8_format, Args... args)
        : utf8_(message_detail::printed(message_detail::in_run_language(utf8_format.text),
                                        message_detail::in_utf8(args)...)),
          shift_jis_(message_detail::printed(
              message_detail::shift_jis_of(message_detail::in_run_language(utf8_format.text)).c_str(),
              message_detail::vararg(message_detail::in_shift_jis(args))...)) {}

    // Bytes that are the same in both encodings (an echo of a file's line).
    static Message bytes(std::string text);

    // The message in UTF-8 (plain %s arguments as they came).
    const std::string& utf8() const { return utf8_; }
    // The bytes the stream takes (console_text.h chooses the encoding).
    const std::string& for_stream(std::FILE* stream) const;
    // What kind of warning or failure the message tells, as a key that does
    // not depend on the language ("too_few_samples"), for a host that reads
    // the run's events; nullptr when none was given.
    Message kind(const char* key) && {
        kind_ = key;
        return std::move(*this);
    }
    const char* kind() const { return kind_; }

  private:
    Message() = default;
    const char* kind_ = nullptr;
    std::string utf8_, shift_jis_;
};
