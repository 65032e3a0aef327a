#pragma once
// Checks that a computation gives the same bytes with 1, 2, 3 and 8
// threads: the parallel loops may only ever split independent outputs.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/parallel.h"

// Runs `compute` (returning its outputs as doubles) with one thread and
// then with 2, 3 and 8, and expects the very same bytes each time.
template <typename Compute>
void expect_same_bytes_for_every_thread_count(Compute compute) {
    const std::int32_t saved = thread_count();
    set_thread_count(1);
    const std::vector<double> one = compute();
    for (std::int32_t threads : {2, 3, 8}) {
        set_thread_count(threads);
        const std::vector<double> many = compute();
        EXPECT_TRUE(many.size() == one.size() && std::memcmp(many.data(), one.data(), one.size() * sizeof(double)) == 0)
            << threads << " threads";
    }
    set_thread_count(saved);
}
