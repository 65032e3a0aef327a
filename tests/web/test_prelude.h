#pragma once
// Included before every test source of the WebAssembly build, for what
// emscripten's C++ library and GoogleTest lack there.
//
// std::bit_cast, which emscripten's libc++ does not have yet: the compiler's
// own built-in, as the standard library elsewhere defines it.
//
// A death test
// runs its statement in a process of its own (fork), which WebAssembly has
// not: there GoogleTest has no EXPECT_EXIT, and a test that uses it ends,
// reported as skipped, where it reaches one. tests/web/native_only.txt names
// those tests.

#include <gtest/gtest.h>

#include <bit>
#include <type_traits>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>) constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

#if !GTEST_HAS_DEATH_TEST
namespace testing {
struct ExitedWithCode {
    explicit ExitedWithCode(int) {}
};
}  // namespace testing
#define EXPECT_EXIT(statement, predicate, matcher) \
    GTEST_SKIP() << "a death test needs a process of its own, which WebAssembly has not"
#define ASSERT_EXIT(statement, predicate, matcher) EXPECT_EXIT(statement, predicate, matcher)
#define EXPECT_DEATH(statement, matcher) EXPECT_EXIT(statement, 0, matcher)
#define ASSERT_DEATH(statement, matcher) EXPECT_EXIT(statement, 0, matcher)
#endif
