#pragma once
// The English forms of the suite's texts: per area one table whose rows hold
// a text exactly as the source writes it in Japanese (the key) and its
// English form. A format keeps the conversions of its Japanese form, in the
// same order; English is plain ASCII, and warnings start with " warning: "
// where the Japanese starts with " 警告：". A text used by several areas has
// its row in one of them only.

#include <span>

struct TextPair {
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
std::span<const TextPair> resolution_texts();
std::span<const TextPair> noise_texts();
std::span<const TextPair> filters_texts();
std::span<const TextPair> viewer_texts();
std::span<const TextPair> python_texts();

// Every catalogue of the suite.
std::span<const Catalogue> english_catalogues();
