#pragma once
// What the noise tools derive from their answers right after the dialogue,
// and the checks that stop a run before any output file when the answers
// would make the spectra meaningless (a transform of a size it cannot
// handle, bins of width zero, an average over no repetition).

#include <cstdint>
#include <string>

// The pattern number turned into the seed of the tool's random_state: its
// negative, so that the first draw starts the sequence of that pattern. The
// most negative value has no positive counterpart and stays as it is; the
// generator starts such a seed, like every pattern number below 1, from 1.
std::int32_t negated_pattern_number(std::int32_t pattern);

// Bins of the axis profiles: W div (2·b).
std::int32_t axis_bin_count(std::int32_t width, std::int32_t bin_width);

// Bins of the diagonal profile: √2·W / (2·b), truncated toward zero.
std::int32_t diagonal_bin_count(std::int32_t width, std::int32_t bin_width);

// The noise level of table row ρ, L0 + ρ·ΔL dB, wrapping around in 32 bits
// as the level arithmetic always has.
std::int32_t level_of_row(std::int32_t start_level, std::int32_t level_step, std::int32_t row);

// printf-style formatting of a row label or file name with one integer.
std::string format_with_number(const char* pattern, std::int32_t value);

// Each ends the tool with a one-line message on standard error and exit
// status 1 when its value is unusable.
void require_transform_sides(std::int32_t width, std::int32_t height);  // powers of two, at least 4
void require_bin_width(std::int32_t bin_width);  // at least 1
void require_repetitions(std::int32_t repetitions);  // at least 1
void require_row_count(std::int32_t rows, const char* what);  // at least 0

// R planes of `plane` samples each, saturated so that an impossible size
// reaches the allocator as a size it refuses, never as an overflow.
std::int64_t stack_count(std::int32_t rows, std::int64_t plane);
