#include "common/language.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <unordered_map>

#include "english/catalogue.h"

namespace {

std::atomic<Language> default_language{Language::japanese};

// Every row of every catalogue, by its Japanese text; built once.
const std::unordered_map<std::string_view, const char*>& english_forms() {
    static const std::unordered_map<std::string_view, const char*> forms = [] {
        std::unordered_map<std::string_view, const char*> all;
        for (const Catalogue& catalogue : english_catalogues()) {
            for (const TextPair& row : catalogue.rows) all.emplace(row.japanese, row.english);
        }
        return all;
    }();
    return forms;
}

// "en", "EN", "en_GB", "en-US", "en.UTF-8": the language part of a locale name.
bool names_language(const char* value, const char* language) {
    if (std::tolower(static_cast<unsigned char>(value[0])) != language[0] ||
        std::tolower(static_cast<unsigned char>(value[1])) != language[1])
        return false;
    const char after = value[2];
    return after == '\0' || after == '_' || after == '-' || after == '.' || after == '@';
}

}  // namespace

Language text_language() {
    if (const char* chosen = std::getenv("CT_LANG"); chosen != nullptr && chosen[0] != '\0') {
        if (names_language(chosen, "en")) return Language::english;
        if (names_language(chosen, "ja")) return Language::japanese;
    }
    return default_language.load();
}

void set_default_language(Language language) { default_language.store(language); }

const char* english_of(std::string_view japanese) {
    const auto& forms = english_forms();
    const auto found = forms.find(japanese);
    return found == forms.end() ? nullptr : found->second;
}

const char* in_language(const char* japanese) {
    if (text_language() == Language::japanese) return japanese;
    const char* english = english_of(japanese);
    return english != nullptr ? english : japanese;
}

std::string in_language(std::string_view japanese) {
    if (text_language() == Language::japanese) return std::string(japanese);
    const char* english = english_of(japanese);
    return english != nullptr ? std::string(english) : std::string(japanese);
}
