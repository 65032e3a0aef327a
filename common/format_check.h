#pragma once
// printf formats checked against their arguments while the program is
// compiled. A message's format is a UTF-8 text looked up in the run's
// language before it is filled in, so the compiler's own format warnings
// never see it; these checks do, for the Japanese format at every call and
// (english/catalogue.h) for each English form against its Japanese one, so
// that a wrong conversion in any language is a build error rather than a
// garbled message or a crash in front of a learner.

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

struct Text;

namespace format_check {

// What a conversion takes from the variadic arguments.
enum class Kind { int_,
                  long_,
                  long_long,
                  size,
                  real,
                  long_real,
                  text,
                  pointer,
                  none };

// One conversion of a format: its kind and the '*' fields (ints) before it.
struct Conversion {
    Kind kind = Kind::none;
    int stars = 0;
};

constexpr bool is_flag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The conversion that starts at format[at] (just past '%'); `at` moves past
// it. A directive printf does not know gives Kind::none with `bad` set.
constexpr Conversion parse(const char* format, std::size_t& at, bool& bad) {
    Conversion c;
    while (is_flag(format[at])) ++at;
    if (format[at] == '*') {
        ++c.stars;
        ++at;
    }
    while (is_digit(format[at])) ++at;
    if (format[at] == '.') {
        ++at;
        if (format[at] == '*') {
            ++c.stars;
            ++at;
        }
        while (is_digit(format[at])) ++at;
    }
    int longs = 0;
    bool size = false, long_double = false;
    for (;; ++at) {
        if (format[at] == 'l')
            ++longs;
        else if (format[at] == 'z')
            size = true;
        else if (format[at] == 'L')
            long_double = true;
        else if (format[at] == 'h')
            continue;
        else
            break;
    }
    const char conversion = format[at];
    if (conversion == '\0') {
        bad = true;
        return c;
    }
    ++at;
    switch (conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o':
        case 'c':
            c.kind = size ? Kind::size : longs == 2 ? Kind::long_long
                                     : longs == 1   ? Kind::long_
                                                    : Kind::int_;
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            c.kind = long_double ? Kind::long_real : Kind::real;
            break;
        case 's': c.kind = Kind::text; break;
        case 'p': c.kind = Kind::pointer; break;
        default: bad = true;  // %n and anything unknown
    }
    return c;
}

// The kinds a format takes, in order ('*' fields as ints); `count` of them.
template <std::size_t Most = 16>
struct Kinds {
    std::array<Kind, Most> kinds{};
    std::size_t count = 0;
    bool bad = false;
};

template <std::size_t Most = 16>
constexpr Kinds<Most> kinds_of(const char* format) {
    Kinds<Most> out;
    for (std::size_t at = 0; format[at] != '\0';) {
        if (format[at++] != '%') continue;
        if (format[at] == '%') {
            ++at;
            continue;
        }
        const Conversion c = parse(format, at, out.bad);
        for (int s = 0; s < c.stars && out.count < Most; ++s) out.kinds[out.count++] = Kind::int_;
        if (c.kind != Kind::none && out.count < Most) out.kinds[out.count++] = c.kind;
        if (out.count == Most) out.bad = true;
    }
    return out;
}

// The kind an argument is passed as after the default promotions.
template <typename T>
constexpr Kind kind_of_argument() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, Text> || std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
        return Kind::text;
    } else if constexpr (std::is_same_v<U, long double>) {
        return Kind::long_real;
    } else if constexpr (std::is_floating_point_v<U>) {
        return Kind::real;
    } else if constexpr (std::is_same_v<U, bool> || std::is_enum_v<U>) {
        return Kind::int_;
    } else if constexpr (std::is_integral_v<U>) {
        // long before the size: on Windows a long is as wide as an int, and %ld still wants it.
        using S = std::make_signed_t<U>;
        if constexpr (std::is_same_v<S, long>)
            return Kind::long_;
        else if constexpr (std::is_same_v<S, long long>)
            return Kind::long_long;
        else if constexpr (sizeof(U) <= sizeof(int))
            return Kind::int_;
        else
            return Kind::none;
    } else if constexpr (std::is_pointer_v<U>) {
        return Kind::pointer;
    } else {
        return Kind::none;
    }
}

// size_t is one of the unsigned long types: %zu takes it, and only it.
template <typename T>
constexpr bool is_size = std::is_same_v<std::remove_cv_t<T>, std::size_t>;

template <typename... Args>
constexpr bool fits(const char* format) {
    const Kinds<> wanted = kinds_of(format);
    if (wanted.bad || wanted.count != sizeof...(Args)) return false;
    constexpr std::array<Kind, sizeof...(Args)> given = {kind_of_argument<Args>()...};
    constexpr std::array<bool, sizeof...(Args)> sizes = {is_size<Args>...};
    for (std::size_t i = 0; i < sizeof...(Args); ++i) {
        if (wanted.kinds[i] == Kind::size ? !sizes[i] : wanted.kinds[i] != given[i]) return false;
    }
    return true;
}

// Two formats with the same conversions in the same order (a text and its
// translation).
constexpr bool same_conversions(const char* a, const char* b) {
    const Kinds<> x = kinds_of(a), y = kinds_of(b);
    if (x.bad || y.bad || x.count != y.count) return false;
    for (std::size_t i = 0; i < x.count; ++i)
        if (x.kinds[i] != y.kinds[i]) return false;
    return true;
}

// Not constexpr: reaching it while compiling is the build error that names
// the problem.
void the_format_does_not_fit_its_arguments();
void the_translation_has_other_conversions_than_its_original();

// A format checked against the arguments that follow it, at compile time.
template <typename... Args>
struct Checked {
    const char* text;
    template <std::size_t N>
    consteval Checked(const char (&format)[N]) : text(format) {
        if (!fits<Args...>(format)) the_format_does_not_fit_its_arguments();
    }
};

}  // namespace format_check
