#pragma once
// Console text of the tools, above the encodings (text_encoding.h), the
// messages (message.h) and the failures (failure.h): printf with a UTF-8
// format in the language of the run, and texts composed the same way.
// Tools include this one header for all of it.

#include <cstdio>
#include <string>

#include "common/compiler.h"
#include "common/failure.h"
#include "common/message.h"
#include "common/text_encoding.h"

// printf to a console stream with a UTF-8 format, in the language of the run
// (common/language.h); the format is converted, the arguments (file names,
// numbers) are written as they are.
void console_printf(std::FILE* stream, const char* utf8_format, ...)
    CT_PRINTF_FORMAT(2, 3);

// A text composed from a format and its arguments (a count inside a
// sentence), in the language of the run, in UTF-8: the format is looked up
// before the arguments are put in, so that it can have an English form.
std::string text_format(const char* utf8_format, ...) CT_PRINTF_FORMAT(1, 2);
