#pragma once
// One-column text tables: one "%f" value per line, first value first.

#include <cstdint>
#include <string>

// Creates (or replaces) the table file and writes values[0 .. count−1].
void write_column_table(const std::string& name, const double* values, std::int64_t count);
