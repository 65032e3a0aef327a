#pragma once
// Raw data files (headerless little-endian 32-bit floats, widened to doubles
// in memory) and text tables.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/output_file.h"

// Creates (or replaces) a text table for the tool to fill and close.
OutputFile open_table_file(const std::string& name);

// Writes a one-column text table: values[0 .. count-1], one per line, each
// with the given format ("%f\n" or "%e\n").
void write_column_table(const std::string& name, const double* values, std::int64_t count, const char* format);

// Reads `count` samples from the start of the file into samples[0 .. count-1].
// A count of 0 or less opens and closes the file only. A file shorter than
// asked leaves the missing samples 0 and warns on standard error; so does a
// file longer than asked (how many samples it holds: the rest is not read)
// and a file holding samples that are not finite (how many). Returns that
// number.
std::int64_t read_raw_file(const std::string& name, std::vector<double>& samples, std::int64_t count);

// Writes samples[0 .. count-1] as 32-bit floats; an existing file is
// replaced. A count of 0 or less leaves an empty file. Samples that are not
// finite once narrowed are reported in one warning (how many, the first
// index), with `non_finite_cause` (UTF-8) when the tool knows the cause.
void write_raw_file(const std::string& name, const std::vector<double>& samples, std::int64_t count,
                    const std::string& non_finite_cause = {});
