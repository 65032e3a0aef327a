#pragma once
// Checks of single answers, worded alike in every tool that uses them: a
// whole number within its range, a real number above 0 or at least 0 (and
// finite). Each fails (a value) naming the answer by the words of its
// question, as the console and the run's events show it.

#include <cstdint>
#include <limits>

inline constexpr std::int32_t largest_answer = std::numeric_limits<std::int32_t>::max();

void require_range(std::int32_t value, std::int32_t low, std::int32_t high, const char* name);
void require_positive(double value, const char* name);
void require_not_negative(double value, const char* name);
