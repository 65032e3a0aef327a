#include "tools/noise/noise_sweep.h"

#include <algorithm>
#include <cstdio>

#include "common/console_text.h"
#include "common/parallel.h"
#include "common/sample_arrays.h"
#include "common/raw_file.h"
#include "common/run_events.h"

double sweep_frequency(std::int32_t bin, std::int32_t bin_width, std::int32_t frequency_divisor) {
    const double frequency = static_cast<double>((bin + 1) * static_cast<std::int64_t>(bin_width));
    return frequency / static_cast<double>(frequency_divisor);
}

void write_sweep_table(const std::string& name, const double* table, std::int32_t rows, std::int32_t bins,
                       std::int32_t bin_width, std::int32_t frequency_divisor, const RowText& row_label) {
    OutputFile out = open_table_file(name);
    std::FILE* f = out.stream();
    std::fputs(to_shift_jis("周波数").c_str(), f);
    for (std::int32_t k = 0; k < bins; ++k) std::fprintf(f, "\t%f", sweep_frequency(k, bin_width, frequency_divisor));
    std::fputs("\n", f);
    for (std::int32_t row = 0; row < rows; ++row) {
        std::fputs(row_label(row).c_str(), f);
        for (std::int32_t k = 0; k < bins; ++k)
            std::fprintf(f, "\t%e", table[static_cast<std::int64_t>(row) * bins + k]);
        std::fputs("\n", f);
    }
    out.close();
}

namespace {

// Realisations computed side by side before their sums are added: a few per
// thread, so that the threads stay busy while few working arrays are held;
// fewer where the memory would not hold them (one at a time at the least,
// as many working arrays as a single thread needs).
std::int64_t realisations_per_batch(std::int64_t total, std::int64_t samples_each) {
    std::int64_t batch = std::min<std::int64_t>(total, static_cast<std::int64_t>(thread_count()) * 4);
    while (batch > 1 && !memory_suffices(batch * samples_each, sizeof(double))) batch /= 2;
    return batch;
}

}  // namespace

void SweepRows::finish_image(double*) const {}

void measure_noise_sweep(SweepOutcome& outcome, SweepRows& steps) {
    const SweepSettings& settings = outcome.settings;
    const std::int32_t width = settings.width, height = settings.height;
    const std::int32_t bins = settings.bins, rows = settings.rows;
    const std::int64_t plane = static_cast<std::int64_t>(width) * height;
    std::fill(outcome.x_table.begin(), outcome.x_table.end(), 0.0);
    std::fill(outcome.y_table.begin(), outcome.y_table.end(), 0.0);
    std::fill(outcome.stack.begin(), outcome.stack.end(), 0.0);

    // Realisation j of the loop is repetition j / R + 1 of row j % R.
    const std::int64_t total = static_cast<std::int64_t>(rows) * std::max(settings.repetitions, 0);
    const std::int64_t batch = realisations_per_batch(total, settings.field_samples + 2 * plane);
    std::vector<SweepWork> work(static_cast<std::size_t>(batch));
    for (SweepWork& w : work) {
        w.field = take_samples(settings.field_samples);
        w.re = take_samples(plane);
        w.im = take_samples(plane);
    }
    std::FILE* progress = settings.progress;
    if (rows <= 0 && progress != nullptr)
        for (std::int32_t n = 1; n <= settings.repetitions; ++n)
            std::fprintf(progress, "\r noise average [%d/%d]", n, settings.repetitions);

    for (std::int64_t first = 0; first < total; first += batch) {
        const std::int64_t count = std::min(batch, total - first);
        for (std::int64_t j = 0; j < count; ++j) {
            const std::int32_t row = static_cast<std::int32_t>((first + j) % rows);
            if (row == 0 && progress != nullptr)
                std::fprintf(progress, "\r noise average [%d/%d]", static_cast<std::int32_t>((first + j) / rows) + 1,
                             settings.repetitions);
            steps.draw(row, work[j]);
        }
        parallel_for(count, Schedule::dynamic,
                     [&](std::int64_t j) { steps.spectrum(static_cast<std::int32_t>((first + j) % rows), work[j]); });
        run_events::progress("noise average", first + count, total);

        for (std::int64_t j = 0; j < count; ++j) {
            const std::int32_t row = static_cast<std::int32_t>((first + j) % rows);
            double* spectrum = work[j].re.data();
            double* image = outcome.stack.data() + row * plane;
            for (std::int64_t p = 0; p < plane; ++p) image[p] = image[p] + spectrum[p];
            steps.profile(spectrum, width, height, settings.bin_width, bins,
                          outcome.x_table.data() + static_cast<std::int64_t>(row) * bins);
            // The transpose is H wide and W tall: the same profile then runs
            // along the vertical frequency axis, its radii in vertical
            // frequency samples ((k + 1)·b / H cycles per pixel).
            transpose_spectrum(spectrum, width, height);
            steps.profile(spectrum, height, width, settings.bin_width, bins,
                          outcome.y_table.data() + static_cast<std::int64_t>(row) * bins);
        }
    }
    if (progress != nullptr) std::fputs("\n", progress);

    const double repetitions = static_cast<double>(settings.repetitions);
    for (double& e : outcome.x_table) e = e / repetitions;
    for (double& e : outcome.y_table) e = e / repetitions;
    for (double& e : outcome.stack) e = e / repetitions;
    for (std::int32_t row = 0; row < rows; ++row) steps.finish_image(outcome.stack.data() + row * plane);
    for (std::int32_t row = 0; row < rows; ++row) {
        outcome.labels.push_back(steps.label(row));
        outcome.image_names.push_back(steps.image_name(row));
    }
}

void write_sweep_outcome(const SweepOutcome& o) {
    const SweepSettings& s = o.settings;
    auto label = [&](std::int32_t row) { return o.labels[static_cast<std::size_t>(row)]; };
    write_sweep_table(s.x_table_name, o.x_table.data(), s.rows, s.bins, s.bin_width, s.width, label);
    write_sweep_table(s.y_table_name, o.y_table.data(), s.rows, s.bins, s.bin_width, s.height, label);
    const std::int64_t plane = static_cast<std::int64_t>(s.width) * s.height;
    for (std::int32_t row = 0; row < s.rows; ++row) {
        OutputFile out(o.image_names[static_cast<std::size_t>(row)]);
        out.write_samples(o.stack.data() + row * plane, plane);
        out.close();
    }
}

void noise_sweep(SweepOutcome& outcome, SweepRows& rows) {
    measure_noise_sweep(outcome, rows);
    write_sweep_outcome(outcome);
}
