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
    std::int32_t rows = 0;  // R: levels or windows
    std::int32_t repetitions = 0;  // N, at least 1
    std::string x_table_name, y_table_name;
    std::int64_t field_samples = 0;  // of SweepWork::field (0: the noise is drawn into re)
    std::FILE* progress = stderr;  // where the loop shows its progress; none when null
};

// A measured sweep, as the tools write it and the Python module returns it.
struct SweepOutcome {
    SweepSettings settings;  // sizes, rows and table names
    std::vector<double> x_table, y_table;  // R × K averaged profiles
    std::vector<double> stack;  // R averaged images of W × H
    std::vector<std::string> labels;  // the row labels of the tables
    std::vector<std::string> image_names;  // the file of each image
};

// The working arrays of one noise realisation: the drawn noise field (a
// sinogram, field_samples long) and the spectrum pair (W·H each).
struct SweepWork {
    std::vector<double> field, re, im;
};

// The work of one kind of table row, step by step.
class SweepRows {
  public:
    virtual ~SweepRows() = default;
    // Draws a fresh noise realisation for row ρ into work.field (or
    // work.re). Called on one thread, repetition by repetition and row by
    // row, so that every run draws the same random sequence.
    virtual void draw(std::int32_t row, SweepWork& work) = 0;
    // Leaves the spectrum of the drawn noise in work.re. Several
    // realisations run at once on different threads: it may touch nothing
    // but `work`.
    virtual void spectrum(std::int32_t row, SweepWork& work) const = 0;
    // Adds the band profile of a W × H spectrum into out[0 .. bins-1].
    virtual void profile(const double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                         std::int32_t bins, double* out) const = 0;
    virtual std::string label(std::int32_t row) const = 0;
    virtual std::string image_name(std::int32_t row) const = 0;
    // On each averaged image, after the averaging; nothing by default.
    virtual void finish_image(double* image) const;
};

// Runs the loop over the outcome's tables and stack (already taken),
// printing the progress "\r noise average [n/N]" and a final line end, and
// leaves the averages: the profiles in the x and y tables and in the stack
// the R images, each passed through finish_image; then the labels and
// image names of the rows. No file is written. The spectra of a few
// realisations are computed side by side on the threads; they are summed
// into the stack and the tables in the loop's own order, so the outputs are
// the same for every thread count.
void measure_noise_sweep(SweepOutcome& outcome, SweepRows& rows);

// The one writer of a measured sweep: both tables, then every image.
void write_sweep_outcome(const SweepOutcome& outcome);

// Both, as the tools run them.
void noise_sweep(SweepOutcome& outcome, SweepRows& rows);
