#pragma once
// How many threads the computations share, and the loops that share them.
// OpenMP's own rule decides the count: the environment variable
// OMP_NUM_THREADS when it is set, otherwise the cores the process may run on
// (its CPU affinity). Work is only ever split where the outputs are
// independent, so every result has the same bytes for any thread count.
// Built without OpenMP (WebAssembly), every loop runs on the calling thread.

#include <cstdint>
#include <functional>

// The threads a parallel loop started now would use.
std::int32_t thread_count();

// Sets the thread count for the parallel loops that follow (tests and
// benchmarks compare counts within one process; a count below 1 counts as 1).
void set_thread_count(std::int32_t count);

// How the iterations are shared out: in equal runs of consecutive
// iterations, one per thread, or one at a time to whichever thread is free
// (for iterations of uneven cost, or cores shared with other programs).
enum class Schedule { static_runs,
                      dynamic };

using LoopBody = std::function<void(std::int64_t)>;

// body(i) for i = 0 … count − 1, shared out among the threads. An
// exception thrown by any iteration (of any type) ends the loop early: the
// iterations not yet started are skipped and the first exception caught is
// thrown again here, on the calling thread, once every thread has stopped.
void parallel_for(std::int64_t count, Schedule schedule, const LoopBody& body);

// The same where each thread needs working arrays of its own:
// make_body() runs once on each thread that takes part and gives the body
// that thread runs its iterations with. An exception from make_body()
// counts as one from an iteration.
void parallel_for_with_scratch(std::int64_t count, Schedule schedule, const std::function<LoopBody()>& make_body);

// Runs `section` on one thread at a time (progress counters that several
// threads advance).
void one_thread_at_a_time(const std::function<void()>& section);
