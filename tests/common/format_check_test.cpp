// The formats of messages and of the English catalogue are checked while the
// program is built; these cases pin what the check lets through and what it
// refuses, at compile time, and a wrong message elsewhere fails the build
// (Format.AWrongConversionIsABuildError).
#include <gtest/gtest.h>

#include <cstdint>

#include "common/format_check.h"
#include "common/message.h"

using format_check::fits;
using format_check::same_conversions;

static_assert(fits<const char*, long long>(" エラー：[%s] %lld 個"));
static_assert(fits<Text, double, int>("%s%.3f%5d"));
static_assert(fits<long double>("%.0Lf バイト"));
static_assert(fits<int, double>("%*f"), "a '*' width takes an int");
static_assert(fits<std::size_t>("%zu"));
static_assert(fits<>("100%% です"));
static_assert(!fits<double>("%d"), "a real for an integer");
static_assert(!fits<int>("%lld"), "an int for a long long");
static_assert(!fits<std::int64_t>("%d"), "a 64-bit count for an int");
static_assert(!fits<const char*>("%s %s"), "too few arguments");
static_assert(!fits<int, int>("%d"), "too many arguments");
static_assert(!fits<int>("%n"), "%n writes through a pointer: never");
static_assert(!fits<int>("%"), "a format that ends inside a conversion");
static_assert(same_conversions("「%s」への答え[%s]は%s。%d", "the answer to \"%s\" [%s] %s; %d"));
static_assert(!same_conversions("%s と %d", "%d and %s"), "the order of the conversions counts");
static_assert(!same_conversions("%f", "%lf%%%s"));

TEST(Format, CheckedMessagesStillPrintTheirArguments) {
    const Message m(" %s: %d / %.1f\n", "a.img", 3, 0.5);
    EXPECT_EQ(m.utf8(), " a.img: 3 / 0.5\n");
}
