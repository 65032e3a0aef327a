#pragma once
// How many threads the computations share. OpenMP's own rule decides: the
// environment variable OMP_NUM_THREADS when it is set, otherwise the cores
// the process may run on (its CPU affinity). Work is only ever split where
// the outputs are independent, so every result has the same bytes for any
// thread count.

#include <cstdint>

// The threads a parallel loop started now would use.
std::int32_t thread_count();

// Sets the thread count for the parallel loops that follow (tests and
// benchmarks compare counts within one process; a count below 1 counts as 1).
void set_thread_count(std::int32_t count);
