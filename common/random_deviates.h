#pragma once
// The suite's one random generator: uniform deviates from the Park–Miller
// minimal standard generator with a Bays–Durham shuffle, Gaussian deviates
// by the polar method, Poisson deviates by the direct and the rejection
// method. The shuffle table and the Gaussian and Poisson caches belong to
// the program's thread: every random_state of a run's thread shares them
// (each thread has its own, so parallel realisations do not meet).

#include <cstdint>

struct random_state {
    std::int32_t seed;  // a value <= 0 asks for (re)initialisation at the next draw
};

// Next deviate in (0, 1): 1/2147483647 <= result <= 0.99999988.
double uniform_deviate(random_state& state);

// Next standard normal deviate; each accepted pair gives two deviates.
double gaussian_deviate(random_state& state);

// Next Poisson deviate of the given mean (0 for a mean <= 0, NaN for NaN).
double poisson_deviate(double mean, random_state& state);

// ln Γ(x) for x > 0 (six-term Lanczos series).
double log_gamma(double x);

// Puts the shuffle table and both caches of the calling thread back to their
// state at program start, as a fresh run finds them.
void reset_random_program_state();

// The same, and the first initialisation after it starts the sequence of
// `start` (1 to 2147483646) whatever seed the caller's random_state holds:
// a caller that wants other noise than a tool's own, for example to average
// independent realisations, chooses it here without the tool's code.
void restart_random_program_state(std::int32_t start);
