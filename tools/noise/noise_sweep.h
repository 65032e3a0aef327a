#pragma once
// The measurement loop of the sweep tools and their tables: for every
// repetition and every table row (a noise level or a filter window) a fresh
// noise spectrum, summed into the row's image of the stack and profiled in
// x and, after transposition, in y; then the averages are written as two
// grid tables and one raw image per row.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tools/noise/power_profiles.h"

// Label of a table row, or file name of its image, from the row index.
using RowText = std::function<std::string(std::int32_t row)>;

// Frequency of profile bin k in cycles per pixel: ((k + 1)·b)/D.
double sweep_frequency(std::int32_t bin, std::int32_t bin_width, std::int32_t frequency_divisor);

// The grid table: a header "周波数" with K cells "\t%f" of ((k + 1)·b)/D,
// then R lines of the row label and K cells "\t%e" of table[ρ·K + k].
void write_sweep_table(const std::string& name, const double* table, std::int32_t rows, std::int32_t bins,
                       std::int32_t bin_width, std::int32_t frequency_divisor, const RowText& row_label);

struct SweepSettings {
    std::int32_t width = 0, height = 0;  // of the spectra
    std::int32_t bin_width = 0, bins = 0;
    std::int32_t rows = 0;         // R: levels or windows
    std::int32_t repetitions = 0;  // N, at least 1
    std::string x_table_name, y_table_name;
    std::int64_t field_samples = 0;  // of SweepWork::field (0: the noise is drawn into re)
    std::FILE* progress = stderr;    // where the loop shows its progress; none when null
};

// The tables and the image stack, owned by the tool: the x and y tables
// (R·K each) and the stack (R·W·H).
struct SweepArrays {
    std::vector<double>& x_table;
    std::vector<double>& y_table;
    std::vector<double>& stack;
};

// The working arrays of one noise realisation: the drawn noise field (a
// sinogram, field_samples long) and the spectrum pair (W·H each).
struct SweepWork {
    std::vector<double> field, re, im;
};

struct SweepSteps {
    // Draws a fresh noise realisation for row ρ into work.field (or
    // work.re). Called on one thread, repetition by repetition and row by
    // row, so that every run draws the same random sequence.
    std::function<void(std::int32_t row, SweepWork& work)> draw;
    // Leaves the spectrum of the drawn noise in work.re. Several
    // realisations run at once on different threads: it may touch nothing
    // but `work`.
    std::function<void(std::int32_t row, SweepWork& work)> spectrum;
    SweepProfile profile;  // added into the table rows
    RowText row_label;
    RowText image_name;
    std::function<void(double* image)> final_image;  // on each averaged image; may be empty
};

// Runs the loop, printing the progress "\r noise average [n/N]" and a final
// line end, and leaves the averages: the profiles in the x and y tables and
// in the stack the R images, each passed through final_image. No file is
// written. The spectra of a few realisations are computed side by side on
// the threads; they are summed into the stack and the tables in the loop's
// own order, so the outputs are the same for every thread count.
void measure_noise_sweep(const SweepSettings& settings, SweepArrays arrays, const SweepSteps& steps);

// Writes both tables and then the R images of a measured sweep.
void write_noise_sweep(const SweepSettings& settings, SweepArrays arrays, const SweepSteps& steps);

// Both, as the tools run them.
void noise_sweep(const SweepSettings& settings, SweepArrays arrays, const SweepSteps& steps);
