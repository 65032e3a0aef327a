#pragma once
// The English forms of the suite's texts: per area one table whose rows hold
// a text exactly as the source writes it in Japanese (the key) and its
// English form. A format keeps the conversions of its Japanese form, in the
// same order; English is plain ASCII, and warnings start with " warning: "
// where the Japanese starts with " 警告：". A text used by several areas has
// its row in one of them only.

#include <cstddef>
#include <span>

#include "common/format_check.h"

// A row: the English form must have the conversions of the Japanese one, in
// the same order, or the build fails here.
struct TextPair {
    template <std::size_t J, std::size_t E>
    consteval TextPair(const char (&japanese_text)[J], const char (&english_text)[E])
        : japanese(japanese_text), english(english_text) {
        if (!format_check::same_conversions(japanese_text, english_text))
            format_check::the_translation_has_other_conversions_than_its_original();
    }
    const char* japanese;
    const char* english;
};

struct Catalogue {
    const char* area;  // the folder whose texts the rows translate
    std::span<const TextPair> rows;
};

std::span<const TextPair> common_texts();
std::span<const TextPair> phantom_texts();
std::span<const TextPair> projection_texts();
std::span<const TextPair> recon_texts();
std::span<const TextPair> iterative_texts();
std::span<const TextPair> fan_texts();
std::span<const TextPair> resolution_texts();
std::span<const TextPair> noise_texts();
std::span<const TextPair> filters_texts();
std::span<const TextPair> viewer_texts();
std::span<const TextPair> detectability_texts();
std::span<const TextPair> dicom_texts();
std::span<const TextPair> python_texts();

// Every catalogue of the suite.
std::span<const Catalogue> english_catalogues();
