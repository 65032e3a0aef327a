#pragma once
// Sizes and working arrays of the tools. Sample counts are products of 32-bit
// answers, formed in 64 bits so that they never overflow; an array that
// cannot be had ends the tool with a message instead of a crash.

#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

// a × b without overflow.
inline std::int64_t sample_count(std::int32_t a, std::int32_t b) {
    return static_cast<std::int64_t>(a) * static_cast<std::int64_t>(b);
}

// Fails (an unusable value) when the count
// is negative; `what` names the size in the message, e.g. "画像の幅 × 高さ".
void require_sample_count(std::int64_t count, const char* what);

// A zero-filled array of `count` doubles (none for a count of 0 or less).
// Fails (memory) when the memory cannot be had.
std::vector<double> take_samples(std::int64_t count);

// The same for any element type.
template <typename T>
std::vector<T> take_array(std::int64_t count);

// Fails (memory) with the out-of-memory message for `count` elements of
// `element_bytes` bytes.
[[noreturn]] void fail_memory(std::int64_t count, std::int64_t element_bytes);

// Fails (memory) unless `count` elements of
// `element_bytes` bytes fit (memory_suffices). Checked before threads start
// that each take such an array: a failure on one of them could neither end
// the run cleanly nor reach a caller that catches it.
void require_memory(std::int64_t count, std::int64_t element_bytes);

// True when `count` elements of `element_bytes` bytes fit in half the memory
// the machine has available (a request beyond it would only end in the
// kernel's out-of-memory killer).
bool memory_suffices(std::int64_t count, std::int64_t element_bytes);

template <typename T>
std::vector<T> take_array(std::int64_t count) {
    if (count <= 0) return {};
    if (!memory_suffices(count, static_cast<std::int64_t>(sizeof(T)))) fail_memory(count, sizeof(T));
    try {
        return std::vector<T>(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        fail_memory(count, sizeof(T));
    } catch (const std::length_error&) {
        fail_memory(count, sizeof(T));
    }
}

inline std::vector<double> take_samples(std::int64_t count) { return take_array<double>(count); }
