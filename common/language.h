#pragma once
// The language of the console texts. Every text is written in the source in
// Japanese, and that Japanese text is also the key of its English form in
// the catalogues of english/ (one row per text, as a translator's catalogue
// keeps an original beside its translation). A run in Japanese prints the
// source's bytes untouched; only the points where text leaves the program
// (console_printf, the failures and warnings, the dialogue, --help) ask for
// the chosen language. Files never depend on it.

#include <string>
#include <string_view>

enum class Language { japanese,
                      english };

// The language of this run: CT_LANG "en" (or "en_GB", "en-US", "en.UTF-8"
// and so on, in any case) gives English, "ja" gives Japanese; unset or any
// other value gives the default, Japanese unless set_default_language
// changed it. Read from the environment at every call, so that a caller may
// change CT_LANG while it runs (the Python module).
Language text_language();

// The language used when CT_LANG chooses none (the Python module: English).
void set_default_language(Language language);

// The text in the language of the run: its English form when English is
// chosen and the catalogue has the text, the text itself otherwise (also
// every text that has no Japanese in it: names, numbers, ASCII formats).
const char* in_language(const char* japanese);
std::string in_language(std::string_view japanese);

// The English form of a Japanese text, or nullptr when the catalogue has no
// row for it (the registry of the tools, the docstrings, the tests).
const char* english_of(std::string_view japanese);
