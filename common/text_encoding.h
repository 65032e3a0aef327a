#pragma once
// The encodings of the console's text, the ground floor of the messages:
// every text is UTF-8 in the source and leaves the program as Shift_JIS
// (code page 932), except on a terminal whose locale is UTF-8, where it stays
// UTF-8 so that a person can read it, or where CT_ENCODING asks for one of
// the two. Table files always hold Shift_JIS. Only this module converts.

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

// The UTF-8 text in Shift_JIS bytes (characters without a Shift_JIS form
// become "?").
std::string to_shift_jis(std::string_view utf8);

// Display columns of a text: its length in Shift_JIS bytes.
std::size_t display_columns(std::string_view utf8);

// The text pushed out to `columns` display columns with trailing blanks
// (unchanged when it is already that wide or wider).
std::string pad_to_columns(std::string_view utf8, std::size_t columns);

// True when the environment variable CT_ENCODING is "utf-8"; false when it
// is "cp932"; otherwise (unset or any other value) true when the stream is a
// terminal that shows UTF-8: on POSIX one whose locale (LC_ALL, LC_CTYPE or
// LANG) names UTF-8, on Windows a console whose output code page is 65001.
// The one place where the console encoding is chosen.
bool stream_takes_utf8(std::FILE* stream);

// The UTF-8 text in the bytes that the stream takes.
std::string console_encoding_of(std::FILE* stream, std::string_view utf8);

// printf into a string (the format as it is, not looked up).
std::string vformatted(const char* format, va_list args);
