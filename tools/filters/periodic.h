#pragma once
// Periodic image borders, shared by the filters that wrap around: an index
// any distance outside the image is folded back into it, as often as needed.

#include <cstdint>

// index mod size, never negative (size > 0).
inline std::int64_t wrap_index(std::int64_t index, std::int64_t size) {
    const std::int64_t r = index % size;
    return r < 0 ? r + size : r;
}
