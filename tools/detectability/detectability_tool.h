#pragma once
// detectability from its answers, as its main runs it and the Python module
// calls it: the checks that stop a run before any output, the conversions of
// the suite's MTF and noise files to an MTF over cycles/mm and an NPS in mm²,
// the observers over the task's diameter and the table of diameters, and the
// writers of the three tables.

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "tools/detectability/detectability_questions.h"
#include "tools/detectability/observers.h"

// Fails (an unusable value) on an answer the computation cannot take: kinds
// out of range, lengths that are not positive, an odd or too small image, a
// disc (or the table's largest) wider than the image.
void check_detectability_answers(const DetectabilityParameters& p);

// A row of an NPS grid table: its frequencies (cycles/pixel) and values.
struct NpsProfile {
    std::vector<double> frequencies, values;
};

// The contents of the text tables, as the tool reads them: failures name the file.
std::vector<double> read_mtf_table(const std::string& name);
NpsProfile read_nps_table(const std::string& name, std::int32_t row);

// The MTF over cycles/mm: table line i stands at i/(2·N·s) cycles/pixel (s the
// table's sample spacing in pixels), linear between lines; or the Gaussian
// exp(−2π²σ²ρ²). Fails when the table is not an MTF or stops short of the
// image's highest frequency (√2/2 cycles/pixel). `name` names the table in messages.
RadialFunction mtf_of(const DetectabilityParameters& p, const std::vector<double>& table, const std::string& name);

// The NPS in mm² at every frequency of the W × H image: from the NNPS image
// (×W·H·Δ², its zero-frequency sample, which holds the mean, replaced by the
// mean of its four neighbours), the NPS image of reconstructed noise
// (×Δ²/(W·H)), a row of an NPS table (×Δ²/(W·H), linear in the radial
// frequency, from 0 at zero frequency to the first bin and held beyond the
// last), or white noise (σ²·Δ²). Fails when the image or the row is not one.
FrequencyGrid nps_grid_of(const DetectabilityParameters& p, const std::vector<double>& image, const NpsProfile& table,
                          const std::string& name);

struct DetectabilityOutcome {
    EyeFilter eye;
    double mean_nps = 0, internal_noise = 0;
    ObserverValues task;  // at the task's diameter
    std::vector<double> diameters;  // the table's
    std::vector<ObserverValues> over_diameters;
    ObserverValues diameter_at_three;  // negative: not reached
    double bin_width = 0;  // cycles/mm
    std::vector<double> profiles;  // 4 rows of `bins` values
    std::int32_t bins = 0;
};

// The observers on the grid, for the task and over the table of diameters;
// the eye filter and the results shown to the sink.
DetectabilityOutcome compute_detectability(const DetectabilityParameters& p, const RadialFunction& mtf,
                                           const FrequencyGrid& grid, MessageSink& sink);

// The whole run as the tool does it: answers checked, inputs read, results written.
void run_detectability(const DetectabilityParameters& p, MessageSink& sink);

void write_detectability_tables(const DetectabilityParameters& p, const DetectabilityOutcome& o);
