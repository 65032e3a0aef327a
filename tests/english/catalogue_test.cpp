// The catalogues against the sources: every Japanese text the tools, the
// module and the shared library can show has exactly one English form, and
// the two forms of a row can stand in for each other in printf.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/language.h"
#include "english/catalogue.h"

namespace {

namespace fs = std::filesystem;

// True when the UTF-8 text holds a Japanese character: kana, kanji, the
// ideographic blank and punctuation, or a full-width form.
bool has_japanese(const std::string& text) {
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]), b1 = static_cast<unsigned char>(text[i + 1]);
        if (b0 == 0xE3 && b1 >= 0x80 && b1 <= 0x83) return true;  // U+3000 .. U+30FF
        if (b0 >= 0xE4 && b0 <= 0xE9) return true;  // U+4E00 .. U+9FFF
        if (b0 == 0xEF && (b1 == 0xBC || b1 == 0xBD || b1 == 0xBE || b1 == 0xBF)) return true;  // U+FF00 ..
    }
    return false;
}

// The string literals of a C++ source, adjacent literals joined as the
// compiler joins them, escapes resolved; comments and character literals
// skipped.
std::vector<std::string> string_literals(const std::string& src) {
    std::vector<std::string> texts;
    bool joinable = false;  // only blanks since the end of the last literal
    for (std::size_t i = 0; i < src.size();) {
        if (src.compare(i, 2, "//") == 0) {
            i = src.find('\n', i);
            if (i == std::string::npos) break;
            continue;
        }
        if (src.compare(i, 2, "/*") == 0) {
            i = src.find("*/", i) + 2;
            joinable = false;
            continue;
        }
        const char c = src[i];
        if (c == '\'' && (i == 0 || !std::isalnum(static_cast<unsigned char>(src[i - 1])))) {
            for (++i; i < src.size() && src[i] != '\''; ++i)
                if (src[i] == '\\') ++i;
            ++i;
            joinable = false;
            continue;
        }
        if (c == '"') {
            std::string text;
            for (++i; i < src.size() && src[i] != '"'; ++i) {
                if (src[i] != '\\') {
                    text += src[i];
                    continue;
                }
                const char e = src[++i];
                text += e == 'n' ? '\n' : e == 't' ? '\t'
                                      : e == 'r'   ? '\r'
                                                   : e;
            }
            ++i;
            if (joinable && !texts.empty()) {
                texts.back() += text;
            } else {
                texts.push_back(text);
            }
            joinable = true;
            continue;
        }
        if (!std::isspace(static_cast<unsigned char>(c))) joinable = false;
        ++i;
    }
    return texts;
}

bool is_ascii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 0x7F) return false;
    return true;
}

// Every text beyond ASCII of the code that ships (tests, benchmarks and the
// man page generator left out), with the file it is first found in.
std::map<std::string, std::string> non_ascii_texts_of_the_sources() {
    std::map<std::string, std::string> found;
    const fs::path root = CT_SOURCE_DIR;
    for (const char* folder : {"common", "tools", "python"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const fs::path& path = entry.path();
            const std::string relative = fs::relative(path, root).generic_string();
            // The man pages keep their sentences in one table per language
            // beside the generator (tools/suite/man_page.cpp).
            if (relative.find("/tests/") != std::string::npos || relative.find("/bench/") != std::string::npos ||
                relative.starts_with("tools/suite/"))
                continue;
            if (path.extension() != ".cpp" && path.extension() != ".h") continue;
            std::ifstream in(path, std::ios::binary);
            std::stringstream src;
            src << in.rdbuf();
            for (const std::string& text : string_literals(src.str())) {
                if (!is_ascii(text)) found.emplace(text, relative);
            }
        }
    }
    return found;
}

// The grid tables' header words and the headers of the d' tables of
// detectability and observer_study are the Japanese texts that go only into files (and into the docstring
// that describes those files); files never change with the language.
bool is_file_text(std::string text) {
    for (const std::string word : {"周波数", "の直径", "直径", "観察者", "95%下限", "95%上限"})
        for (std::size_t at; (at = text.find(word)) != std::string::npos;) text.erase(at, word.size());
    return !has_japanese(text);
}

// The printf conversions of a format, in order ("%lld", "%.0Lf", "%s").
std::vector<std::string> directives(const std::string& format) {
    static const std::regex conversion("%[-+ #0]*[0-9*]*(\\.[0-9*]+)?(hh|h|ll|l|L|z|j|t)?[diouxXeEfFgGaAcspn%]");
    std::vector<std::string> found;
    for (std::sregex_iterator it(format.begin(), format.end(), conversion), end; it != end; ++it) {
        if (it->str() != "%%") found.push_back(it->str());
    }
    return found;
}

// CT_LANG for this process; nullptr removes it.
void choose_language(const char* value) {
#ifdef _WIN32
    _putenv_s("CT_LANG", value == nullptr ? "" : value);
#else
    if (value == nullptr) {
        ::unsetenv("CT_LANG");
    } else {
        ::setenv("CT_LANG", value, 1);
    }
#endif
}

}  // namespace

TEST(EnglishCatalogue, EveryJapaneseTextOfTheSourcesHasOneRowAndEveryRowATextOfTheSources) {
    const std::map<std::string, std::string> texts = non_ascii_texts_of_the_sources();
    ASSERT_GT(texts.size(), 150u);  // the scan found the sources

    std::map<std::string, std::string> rows;  // Japanese -> area
    for (const Catalogue& catalogue : english_catalogues()) {
        for (const TextPair& row : catalogue.rows) {
            EXPECT_TRUE(rows.emplace(row.japanese, catalogue.area).second)
                << "a second row for \"" << row.japanese << "\" in " << catalogue.area;
        }
    }
    for (const auto& [text, file] : texts) {
        if (!has_japanese(text) || is_file_text(text)) continue;
        EXPECT_TRUE(rows.count(text)) << file << ": \"" << text << "\" has no English form in english/";
    }
    for (const auto& [text, area] : rows) {
        EXPECT_TRUE(texts.count(text)) << area << ": the row \"" << text << "\" translates no text of the sources";
    }
}

TEST(EnglishCatalogue, BothFormsOfARowTakeTheSameArgumentsAndTheEnglishIsPlainAscii) {
    const std::regex label_number("^( [1-9]|[1-9][0-9])(\\.|．)");
    for (const Catalogue& catalogue : english_catalogues()) {
        for (const TextPair& row : catalogue.rows) {
            const std::string ja = row.japanese, en = row.english;
            SCOPED_TRACE(std::string(catalogue.area) + ": " + ja);
            EXPECT_FALSE(is_ascii(ja));
            EXPECT_FALSE(en.empty());
            EXPECT_TRUE(is_ascii(en)) << en;
            EXPECT_EQ(directives(ja), directives(en)) << en;
            // Messages keep their shape: the opening blank and word, the line end.
            EXPECT_EQ(ja.starts_with(" 警告："), en.starts_with(" warning: ")) << en;
            EXPECT_EQ(ja.starts_with(" エラー："), en.starts_with(" error: ")) << en;
            EXPECT_EQ(ja.starts_with(" "), en.starts_with(" ")) << en;
            EXPECT_EQ(ja.ends_with("\n"), en.ends_with("\n")) << en;
            // A label keeps its number in its two columns, then ". ".
            std::smatch number;
            if (std::regex_search(ja, number, label_number)) {
                EXPECT_TRUE(en.starts_with(number[1].str() + ". ")) << en;
                EXPECT_FALSE(en.ends_with(" ")) << en;
            }
        }
    }
}

TEST(EnglishCatalogue, TheLanguageComesFromCtLangAndJapaneseTextsStayTheSameBytes) {
    const char* title = "FBP法の投影再構成プログラム";
    const char* english = english_of(title);
    ASSERT_NE(english, nullptr);

    choose_language(nullptr);
    EXPECT_EQ(in_language(title), title);  // the very pointer: nothing is copied or changed
    for (const char* ja : {"ja", "ja_JP.UTF-8", "JA"}) {
        choose_language(ja);
        EXPECT_EQ(in_language(title), title) << ja;
    }
    for (const char* en : {"en", "EN", "en_GB", "en-US", "en.UTF-8"}) {
        choose_language(en);
        EXPECT_STREQ(in_language(title), english) << en;
        EXPECT_EQ(in_language(std::string_view(title)), english) << en;
    }
    // Texts without a row (names, ASCII) pass through in English too.
    EXPECT_STREQ(in_language("a.img"), "a.img");
    for (const char* other : {"fr", "e", "eng", ""}) {
        choose_language(other);
        EXPECT_EQ(in_language(title), title) << other;
    }

    // A caller that chooses English by default (the Python module) still
    // gets Japanese when CT_LANG asks for it.
    set_default_language(Language::english);
    choose_language(nullptr);
    EXPECT_STREQ(in_language(title), english);
    choose_language("ja");
    EXPECT_EQ(in_language(title), title);
    set_default_language(Language::japanese);
    choose_language(nullptr);
}
