#include "common/random_deviates.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

constexpr std::int32_t multiplier = 16807;
constexpr std::int32_t modulus = 2147483647;
constexpr std::int32_t schrage_quotient = 127773;
constexpr std::int32_t schrage_remainder = 2836;
constexpr int table_size = 32;
constexpr std::int32_t table_divisor = 1 + (modulus - 1) / table_size;
constexpr double output_scale = 1.0 / modulus;
constexpr double output_cap = 0.99999988;
constexpr double pi = 3.14159265358979;

// The state of the generator shared by every random_state of a thread: alive
// for the whole run. Each thread has its own, so that work split over
// threads (independent noisy realisations, each started from its own seed)
// draws the same sequences whichever thread runs it; a program that draws on
// one thread sees one state, as before.
struct ProgramRandomState {
    std::int32_t shuffle_table[table_size] = {};
    std::int32_t shuffle_last = 0;
    int gaussian_has_spare = 0;
    double gaussian_spare = 0.0;
    double poisson_last_mean = -1.0;
    double poisson_g = 0.0;
    double poisson_sq = 0.0;
    double poisson_log_mean = 0.0;
    std::int32_t chosen_start = 0;  // > 0: the seed the next initialisation starts from
};

thread_local ProgramRandomState program_state;

// seed × 16807 mod (2^31 − 1) without 32-bit overflow (Schrage).
std::int32_t advance(std::int32_t seed) {
    const std::int32_t k = seed / schrage_quotient;
    seed = multiplier * (seed - k * schrage_quotient) - schrage_remainder * k;
    if (seed < 0) seed += modulus;
    return seed;
}

void initialise(random_state& state) {
    // -seed as 32-bit arithmetic gives it: the most negative seed negates to
    // itself, fails "-seed >= 1" and starts from 1, as 0 does. A seed of
    // -2147483647 starts from the modulus itself: its warm-up steps give 0,
    // the first deviate is 0.0, and the next draw finds the seed at 0 and
    // initialises again from 1, so nothing locks.
    const std::int64_t negated = -static_cast<std::int64_t>(state.seed);
    state.seed = (negated >= 1 && negated <= INT32_MAX) ? static_cast<std::int32_t>(negated) : 1;
    if (program_state.chosen_start > 0) state.seed = std::exchange(program_state.chosen_start, 0);
    for (int j = table_size + 7; j >= 0; --j) {
        state.seed = advance(state.seed);
        if (j < table_size) program_state.shuffle_table[j] = state.seed;
    }
    program_state.shuffle_last = program_state.shuffle_table[0];
}

}  // namespace

double uniform_deviate(random_state& state) {
    if (state.seed <= 0 || program_state.shuffle_last == 0) initialise(state);
    state.seed = advance(state.seed);
    const int j = program_state.shuffle_last / table_divisor;
    program_state.shuffle_last = program_state.shuffle_table[j];
    program_state.shuffle_table[j] = state.seed;
    const double r = program_state.shuffle_last * output_scale;
    return r > output_cap ? output_cap : r;
}

double gaussian_deviate(random_state& state) {
    if (program_state.gaussian_has_spare != 0) {
        program_state.gaussian_has_spare = 0;
        return program_state.gaussian_spare;
    }
    double a, b, r;
    do {
        a = 2.0 * uniform_deviate(state) - 1.0;
        b = 2.0 * uniform_deviate(state) - 1.0;
        r = a * a + b * b;
    } while (r >= 1.0 || r == 0.0);
    const double f = std::sqrt(std::log(r) * -2.0 / r);
    program_state.gaussian_spare = a * f;
    program_state.gaussian_has_spare = 1;
    return b * f;
}

double poisson_deviate(double mean, random_state& state) {
    ProgramRandomState& p = program_state;
    if (mean < 12.0) {
        if (mean != p.poisson_last_mean) {
            p.poisson_last_mean = mean;
            p.poisson_g = std::exp(-mean);
        }
        double em = -1.0;
        double t = 1.0;
        do {
            em += 1.0;
            t *= uniform_deviate(state);
        } while (t > p.poisson_g);
        return em;
    }
    if (mean != p.poisson_last_mean) {
        p.poisson_last_mean = mean;
        p.poisson_sq = std::sqrt(2.0 * mean);
        p.poisson_log_mean = std::log(mean);
        p.poisson_g = mean * p.poisson_log_mean - log_gamma(mean + 1.0);
    }
    double em, t, y;
    do {
        // A NaN candidate leaves both loops: a NaN mean yields NaN.
        do {
            y = std::tan(pi * uniform_deviate(state));
            em = p.poisson_sq * y + mean;
        } while (em < 0.0);
        em = std::floor(em);
        t = 0.9 * (1.0 + y * y) * std::exp(em * p.poisson_log_mean - log_gamma(em + 1.0) - p.poisson_g);
    } while (uniform_deviate(state) > t);
    return em;
}

double log_gamma(double x) {
    static constexpr double coefficients[6] = {76.18009172947146, -86.50532032941677,
                                               24.01409824083091, -1.231739572450155,
                                               0.1208650973866179e-2, -0.5395239384953e-5};
    double tmp = x + 5.5;
    tmp -= (x + 0.5) * std::log(tmp);
    double ser = 1.000000000190015;
    double y = x;
    for (double c : coefficients) {
        y += 1.0;
        ser += c / y;
    }
    return std::log(ser * 2.5066282746310005 / x) - tmp;
}

void reset_random_program_state() { program_state = ProgramRandomState{}; }

void restart_random_program_state(std::int32_t start) {
    program_state = ProgramRandomState{};
    program_state.chosen_start = start;
}
