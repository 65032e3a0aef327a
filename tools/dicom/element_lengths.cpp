#include "tools/dicom/element_lengths.h"

#include <cstdint>
#include <cstring>

#include "tools/dicom/inflated_data_set.h"

namespace {

constexpr std::uint32_t undefined_length = 0xFFFFFFFFu;
constexpr int deepest = 32;

enum class Encoding { explicit_little,
                      explicit_big,
                      implicit_little };
enum class Walk { fits,
                  too_long,
                  pixels_too_long,
                  cut,
                  broken,
                  misplaced_item,
                  overruns_item,
                  bad_vr,
                  unknown };

struct Reader {
    const std::string& bytes;
    Encoding encoding;

    std::size_t size() const { return bytes.size(); }
    std::uint32_t number(std::size_t at, int count, bool big) const {
        std::uint32_t v = 0;
        for (int i = 0; i < count; ++i) {
            const std::uint32_t b = static_cast<unsigned char>(bytes[at + (big ? i : count - 1 - i)]);
            v = v << 8 | b;
        }
        return v;
    }
};

// The VRs whose explicit form has two reserved bytes and a 32-bit length.
bool long_form(const char* vr) {
    static const char* const vrs[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC", "UN", "UR", "UT", "UV"};
    for (const char* v : vrs)
        if (std::memcmp(v, vr, 2) == 0) return true;
    return false;
}

// One of DICOM's value representations.
bool is_vr(const std::string& bytes, std::size_t at) {
    static const char* const vrs[] = {"AE", "AS", "AT", "CS", "DA", "DS", "DT", "FD", "FL", "IS", "LO", "LT", "OB", "OD", "OF", "OL", "OV",
                                      "OW", "PN", "SH", "SL", "SQ", "SS", "ST", "SV", "TM", "UC", "UI", "UL", "UN", "UR", "US", "UT", "UV"};
    if (at + 2 > bytes.size()) return false;
    for (const char* v : vrs)
        if (bytes.compare(at, 2, v) == 0) return true;
    return false;
}

// Where a walk is: in a data set (the file's, to its end, or an item's of
// undefined length, to its delimitation item), or among the items of a
// sequence or of encapsulated pixel data, where only items and the
// sequence's delimitation may stand.
enum class Inside { file,
                    item,
                    sequence };

// What a walk among items knows of them: a sequence's items hold data sets,
// encapsulated pixel data's hold fragments of compressed bytes.
enum class Items { data_sets,
                   fragments };

// A stretch of bytes of a declared length (a sequence's or an item's): its
// elements end exactly at its end, or GDCM, which reads them, throws from
// inside a sequence and then rereads the file from a stream it left failed.
struct Bounds {
    std::size_t end;
    bool declared;
};

Walk walk(const Reader& r, std::size_t& at, Bounds bounds, Inside inside, Items items, int depth);

// The data set of an item of declared length, or the items of a sequence of
// declared length: walked to exactly their end.
Walk walk_declared(const Reader& r, std::size_t from, std::uint32_t length, Inside inside, int depth) {
    std::size_t at = from;
    const Walk w = walk(r, at, Bounds{from + length, true}, inside, Items::data_sets, depth);
    return w == Walk::too_long || w == Walk::pixels_too_long || w == Walk::cut ? Walk::overruns_item : w;
}

// Walks the elements from `at` on, moving `at` past them.
Walk walk(const Reader& r, std::size_t& at, Bounds bounds, Inside inside, Items items, int depth) {
    if (depth > deepest) return Walk::unknown;
    const bool big = r.encoding == Encoding::explicit_big;
    const std::size_t end = bounds.end;
    while (at < end) {
        if (at + 8 > end) return Walk::cut;  // inside an element's tag and length
        const std::uint32_t group = r.number(at, 2, big), element = r.number(at + 2, 2, big);
        if (inside == Inside::sequence && !(group == 0xFFFE && (element == 0xE000 || element == 0xE0DD)))
            return Walk::broken;  // GDCM would read it as a fragment of whatever length it holds
        // Items and delimitations have no VR in any encoding.
        if (group == 0xFFFE) {
            const std::uint32_t length = r.number(at + 4, 4, big);
            at += 8;
            // A delimitation's length is 0; GDCM would set aside any other.
            if ((element == 0xE00D || element == 0xE0DD) && length != 0) return Walk::broken;
            if (element == 0xE0DD && inside == Inside::sequence) return Walk::fits;
            if (element == 0xE00D && inside == Inside::item) return Walk::fits;
            if (element == 0xE00D || element == 0xE0DD) continue;  // a stray delimitation: readers pass over it
            // An item belongs to a sequence: GDCM stops the program on one
            // that stands among a data set's elements.
            if (inside != Inside::sequence) return Walk::misplaced_item;
            if (length == undefined_length) {
                const Walk inner = walk(r, at, Bounds{end, false}, Inside::item, Items::data_sets, depth + 1);
                if (inner != Walk::fits) return inner;
            } else {
                if (length > end - at) return Walk::too_long;
                if (items == Items::data_sets) {
                    const Walk inner = walk_declared(r, at, length, Inside::file, depth + 1);
                    if (inner != Walk::fits && inner != Walk::unknown) return inner;
                }
                at += length;
            }
            continue;
        }
        std::uint32_t length;
        bool may_nest, unknown_sequence = false, sequence = false;
        const bool pixels = group == 0x7FE0 && element == 0x0010;
        // An element without one of DICOM's VRs where one belongs is
        // refused: GDCM would guess how to go on (as implicit, or with
        // 16-bit lengths) and set aside whatever length it then reads.
        if (r.encoding != Encoding::implicit_little && !is_vr(r.bytes, at + 4)) return Walk::bad_vr;
        if (r.encoding == Encoding::implicit_little) {
            length = r.number(at + 4, 4, false);
            may_nest = true;  // an undefined length is a sequence
            at += 8;
        } else {
            // What may have an undefined length: a sequence, an element of
            // unknown VR, and encapsulated pixel data (OB, OW); GDCM stops
            // the program on any other.
            const char* vr = r.bytes.data() + at + 4;
            const auto is = [vr](const char* name) { return std::memcmp(vr, name, 2) == 0; };
            may_nest = pixels ? is("OB") || is("OW") || is("UN") : is("SQ") || is("UN");
            sequence = !pixels && is("SQ");
            // A sequence of unknown VR holds its items in implicit VR little
            // endian, whatever the file's encoding.
            unknown_sequence = !pixels && is("UN");
            if (long_form(vr)) {
                if (at + 12 > end) return Walk::cut;
                length = r.number(at + 8, 4, big);
                at += 12;
            } else {
                length = r.number(at + 6, 2, big);
                at += 8;
            }
        }
        if (length == undefined_length) {
            if (!may_nest) return Walk::broken;
            const Items held = pixels ? Items::fragments : Items::data_sets;
            const Walk inner = unknown_sequence ? walk(Reader{r.bytes, Encoding::implicit_little}, at, Bounds{end, false},
                                                       Inside::sequence, held, depth + 1)
                                                : walk(r, at, Bounds{end, false}, Inside::sequence, held, depth + 1);
            if (inner != Walk::fits) return inner;
            continue;
        }
        if (length > end - at) return pixels ? Walk::pixels_too_long : Walk::too_long;
        if (sequence) {
            // An explicit sequence of declared length: its items, each to its end.
            const Walk inner = walk_declared(r, at, length, Inside::sequence, depth + 1);
            if (inner != Walk::fits && inner != Walk::unknown) return inner;
        }
        at += length;
    }
    // A stretch of declared length ends where it says; a sequence or item
    // of undefined length that reaches the end was never closed.
    return inside == Inside::file || bounds.declared ? Walk::fits : Walk::cut;
}

// What a walk of the whole data set found; one it could not follow is GDCM's to decide.
ElementLengths outcome(Walk w) {
    switch (w) {
        case Walk::too_long: return ElementLengths::too_long;
        case Walk::pixels_too_long: return ElementLengths::pixels_too_long;
        case Walk::cut: return ElementLengths::cut;
        case Walk::broken: return ElementLengths::broken;
        case Walk::misplaced_item: return ElementLengths::misplaced_item;
        case Walk::overruns_item: return ElementLengths::overruns_item;
        case Walk::bad_vr: return ElementLengths::bad_vr;
        default: return ElementLengths::fit;
    }
}

// A deflated data set is inflated (up to a limit far beyond any CT image's
// header and pixels) and walked in explicit VR little endian.
ElementLengths deflated_lengths(const std::string& bytes, std::size_t from) {
    std::string inflated;
    const std::size_t limit = std::size_t{1} << 28;
    if (!inflate_data_set(bytes, from, limit, inflated))
        return inflated.size() + (std::size_t{1} << 16) > limit ? ElementLengths::fit  // GDCM decides
                                                                : ElementLengths::cut;
    std::size_t at = 0;
    return outcome(walk(Reader{inflated, Encoding::explicit_little}, at, Bounds{inflated.size(), false}, Inside::file, Items::data_sets, 0));
}

// A data set whose encoding the file does not say (no meta information, or
// none of it names the transfer syntax) is read by GDCM's guess: its
// lengths must fit in that encoding.
ElementLengths guessed_lengths(const std::string& bytes, std::size_t from) {
    // A file of meta elements alone (group 0002) and nothing after them:
    // GDCM reads them as a meta group without its preamble and stops the
    // program when the data set that must follow is not there.
    bool data_set = false;
    for (std::size_t at = from; at + 8 <= bytes.size() && !data_set;) {
        const std::uint32_t group = static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
        if (group != 0x0002)
            data_set = true;
        else {
            const bool explicit_vr = is_vr(bytes, at + 4);
            const bool is_long = explicit_vr && long_form(bytes.data() + at + 4);
            if (is_long && at + 12 > bytes.size()) break;
            const std::uint32_t length = Reader{bytes, Encoding::explicit_little}.number(
                explicit_vr ? (is_long ? at + 8 : at + 6) : at + 4, explicit_vr && !is_long ? 2 : 4, false);
            const std::size_t value = at + (is_long ? 12 : 8);
            if (length > bytes.size() - value) break;
            at = value + length;
        }
    }
    if (!data_set) return ElementLengths::no_encoding_fits;
    // GDCM reads such a data set as explicit VR when its first element has
    // one (little endian, unless its group reads smaller in big-endian
    // order), else as implicit VR little endian, and by no other guess: the
    // lengths are checked in that encoding alone. (Accepted because another
    // encoding fitted, a file went to GDCM read the wrong way, lengths and all.)
    if (from + 6 > bytes.size()) return ElementLengths::no_encoding_fits;
    Encoding guess = Encoding::implicit_little;
    if (is_vr(bytes, from + 4)) {
        const unsigned first = static_cast<unsigned char>(bytes[from]), second = static_cast<unsigned char>(bytes[from + 1]);
        guess = (first << 8 | second) < (first | second << 8) ? Encoding::explicit_big : Encoding::explicit_little;
    }
    std::size_t at = from;
    const Walk w = walk(Reader{bytes, guess}, at, Bounds{bytes.size(), false}, Inside::file, Items::data_sets, 0);
    return w == Walk::fits || w == Walk::unknown ? ElementLengths::fit : ElementLengths::no_encoding_fits;
}

}  // namespace

ElementLengths check_element_lengths(const std::string& bytes) {
    std::size_t at = 0;
    Encoding encoding = Encoding::explicit_little;
    const bool with_meta = bytes.size() >= 132 && bytes.compare(128, 4, "DICM") == 0;
    if (with_meta) {
        // The file meta information: explicit VR little endian, its elements
        // in group 0002, the transfer syntax among them.
        at = 132;
        const Reader meta{bytes, Encoding::explicit_little};
        // DICM is followed by the meta group: a file whose first element
        // after it is of another group says nothing a reader can rely on
        // (GDCM then takes a syntax from elements it reads the other way).
        if (bytes.size() < 136 || meta.number(at, 2, false) != 0x0002) return ElementLengths::no_encoding_fits;
        std::string syntax;
        while (at + 8 <= bytes.size() && meta.number(at, 2, false) == 0x0002) {
            if (!is_vr(bytes, at + 4)) return ElementLengths::bad_vr;
            // No element of the meta group is a sequence: GDCM stops the program on one.
            if (bytes.compare(at + 4, 2, "SQ") == 0) return ElementLengths::not_dictionary_vr;
            const bool is_long = long_form(bytes.data() + at + 4);
            if (is_long && at + 12 > bytes.size()) return ElementLengths::cut;
            const std::uint32_t length = is_long ? meta.number(at + 8, 4, false) : meta.number(at + 6, 2, false);
            const std::size_t value = at + (is_long ? 12 : 8);
            if (length == undefined_length) return ElementLengths::broken;
            if (length > bytes.size() - value) return ElementLengths::too_long;
            if (meta.number(at + 2, 2, false) == 0x0010) syntax = bytes.substr(value, length);
            at = value + length;
        }
        // A data set follows, of one element at least: GDCM, reading the
        // meta group to its end, stops the program on a file that ends there.
        if (at + 8 > bytes.size()) return ElementLengths::cut;
        while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' ')) syntax.pop_back();
        if (syntax == "1.2.840.10008.1.2")
            encoding = Encoding::implicit_little;
        else if (syntax == "1.2.840.10008.1.2.2")
            encoding = Encoding::explicit_big;
        else if (syntax == "1.2.840.10008.1.2.1.99")
            return deflated_lengths(bytes, at);
        else if (!syntax.empty())
            encoding = Encoding::explicit_little;
        else
            return guessed_lengths(bytes, at);  // the meta does not say: a reader guesses
        // A data set that says explicit but begins implicit (some writers
        // get this wrong) is read as readers read it, by a guess.
        if (encoding != Encoding::implicit_little && at + 6 <= bytes.size() && !is_vr(bytes, at + 4))
            return guessed_lengths(bytes, at);
    }
    if (!with_meta) return guessed_lengths(bytes, 0);
    return outcome(walk(Reader{bytes, encoding}, at, Bounds{bytes.size(), false}, Inside::file, Items::data_sets, 0));
}
