#include "tools/noise/sweep_tools.h"

#include <algorithm>

#include "common/fft.h"
#include "common/output_file.h"
#include "common/random_deviates.h"
#include "common/sample_arrays.h"
#include "tools/noise/noise_parameters.h"
#include "tools/noise/power_profiles.h"
#include "tools/noise/reconstructed_noise_power.h"

namespace {

constexpr std::int32_t sweep_angles = 512;  // recon_noise_sweep and recon_noise_windows
constexpr std::int32_t diagonal_angles = 403;  // recon_noise_diagonal
constexpr std::int32_t windows = 5;  // W0(u) … W4(u)

// The answers every sweep shares, checked in the tools' order.
struct SweepAnswers {
    std::string x_table, y_table;
    std::int32_t width, height, bin_width, repetitions, rows;
};

// The tables and the stack, taken in the tools' order; the loop takes the
// working arrays of its realisations itself.
SweepOutcome take_outcome(const SweepAnswers& a, std::int32_t bins, std::int64_t field_samples,
                          std::FILE* progress) {
    SweepOutcome o;
    const std::int64_t plane = sample_count(a.width, a.height);
    o.x_table = take_samples(sample_count(a.rows, bins));
    o.y_table = take_samples(sample_count(a.rows, bins));
    o.stack = take_samples(stack_count(a.rows, plane));
    o.settings = {a.width, a.height, a.bin_width, bins, a.rows, a.repetitions, a.x_table, a.y_table, field_samples,
                  progress};
    return o;
}

// Rows of noise levels in decibels: the label "%ddB" and the image name
// from the row's level.
class LevelRows : public SweepRows {
  public:
    LevelRows(const LevelSweepParameters& p, const char* image_pattern)
        : start_level_(p.start_level), level_step_(p.level_step), image_pattern_(image_pattern) {}
    std::string label(std::int32_t row) const override { return format_with_number("%ddB", level(row)); }
    std::string image_name(std::int32_t row) const override { return format_with_number(image_pattern_, level(row)); }

  protected:
    std::int32_t level(std::int32_t row) const { return level_of_row(start_level_, level_step_, row); }

  private:
    std::int32_t start_level_, level_step_;
    const char* image_pattern_;
};

// noise_spectrum_sweep's rows: an image of 1 plus Gaussian noise of the
// row's level, its NNPS profiled along the axes.
class NoiseImageRows : public LevelRows {
  public:
    explicit NoiseImageRows(const NoiseSpectrumSweepParameters& p)
        : LevelRows(p, "n4-5_%02ddB.img"), p_(p), noise_{negated_pattern_number(p.pattern)} {}
    void draw(std::int32_t row, SweepWork& work) override {
        fill_noise_field(work.re.data(), sample_count(p_.width, p_.height), level(row), noise_);
    }
    void spectrum(std::int32_t, SweepWork& work) const override {
        std::fill(work.im.begin(), work.im.end(), 0.0);
        normalized_noise_power(work.re.data(), work.im.data(), p_.width, p_.height);
    }
    void profile(const double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                 std::int32_t bins, double* out) const override {
        axis_band_profile_add(spectrum, width, height, bin_width, bins, out);
    }
    // The zero frequency, 1 in every normalised spectrum, would hide the noise.
    void finish_image(double* image) const override {
        image[static_cast<std::int64_t>(p_.height / 2) * p_.width + p_.width / 2] = 0.0;
    }

  private:
    const NoiseSpectrumSweepParameters& p_;
    random_state noise_;
};

// recon_noise_sweep's and recon_noise_diagonal's rows: a noise sinogram of
// the row's level, reconstructed with the plain ramp filter.
class ReconstructedLevelRows : public LevelRows {
  public:
    ReconstructedLevelRows(const LevelSweepParameters& p, std::int32_t angles, SweepProfile band,
                           const char* image_pattern)
        : LevelRows(p, image_pattern), p_(p), angles_(angles), band_(band), noise_{negated_pattern_number(p.pattern)} {}
    void draw(std::int32_t row, SweepWork& work) override {
        draw_noise_sinogram(work.field, angles_, level(row), noise_);
    }
    void spectrum(std::int32_t, SweepWork& work) const override {
        reconstructed_noise_spectrum(work.field, angles_, std::nullopt, work.re, work.im, p_.width, p_.height);
    }
    void profile(const double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                 std::int32_t bins, double* out) const override {
        band_(spectrum, width, height, bin_width, bins, out);
    }

  private:
    const LevelSweepParameters& p_;
    std::int32_t angles_;
    SweepProfile band_;
    random_state noise_;
};

// recon_noise_windows' rows: noise sinograms of one level, reconstructed
// through the row's filter window.
class WindowRows : public SweepRows {
  public:
    explicit WindowRows(const ReconNoiseWindowsParameters& p) : p_(p), noise_{negated_pattern_number(p.pattern)} {}
    void draw(std::int32_t, SweepWork& work) override { draw_noise_sinogram(work.field, sweep_angles, p_.level, noise_); }
    void spectrum(std::int32_t window, SweepWork& work) const override {
        reconstructed_noise_spectrum(work.field, sweep_angles, window, work.re, work.im, p_.width, p_.height);
    }
    void profile(const double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                 std::int32_t bins, double* out) const override {
        axis_band_profile_add(spectrum, width, height, bin_width, bins, out);
    }
    std::string label(std::int32_t window) const override { return format_with_number("W%d(u)", window); }
    std::string image_name(std::int32_t window) const override {
        return format_with_number("n4-7_w%d(u).img", window);
    }

  private:
    const ReconNoiseWindowsParameters& p_;
    random_state noise_;
};

using BinCount = std::int32_t (*)(std::int32_t width, std::int32_t bin_width);

// The three sweeps over noise levels.
SweepAnswers level_answers(const LevelSweepParameters& p) {
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    require_repetitions(p.repetitions);
    require_row_count(p.levels, "ガウス雑音のレベルの数");
    return {p.x_table, p.y_table, p.width, p.height, p.bin_width, p.repetitions, p.levels};
}

SweepOutcome reconstructed_level_sweep(const LevelSweepParameters& p, std::int32_t angles, BinCount bin_count,
                                       SweepProfile band, const char* image_pattern, MessageSink& sink) {
    const SweepAnswers a = level_answers(p);
    SweepOutcome o =
        take_outcome(a, bin_count(p.width, p.bin_width), sample_count(angles, noise_detector_bins), sink.progress());
    ReconstructedLevelRows rows(p, angles, band, image_pattern);
    measure_noise_sweep(o, rows);
    return o;
}

}  // namespace

SweepOutcome measure_noise_spectrum_sweep(const NoiseSpectrumSweepParameters& p, MessageSink& sink) {
    const SweepAnswers a = level_answers(p);
    SweepOutcome o = take_outcome(a, axis_bin_count(p.width, p.bin_width), 0, sink.progress());
    NoiseImageRows rows(p);
    measure_noise_sweep(o, rows);
    return o;
}

SweepOutcome measure_recon_noise_sweep(const ReconNoiseSweepParameters& p, MessageSink& sink) {
    return reconstructed_level_sweep(p, sweep_angles, axis_bin_count, axis_band_profile_add, "n4-6_%02ddB.img", sink);
}

SweepOutcome measure_recon_noise_diagonal(const ReconNoiseDiagonalParameters& p, MessageSink& sink) {
    return reconstructed_level_sweep(p, diagonal_angles, diagonal_bin_count, diagonal_band_profile, "n4-9_%02ddB.img",
                                     sink);
}

SweepOutcome measure_recon_noise_windows(const ReconNoiseWindowsParameters& p, MessageSink& sink) {
    require_transform_sides(p.width, p.height);
    require_bin_width(p.bin_width);
    require_repetitions(p.repetitions);
    const std::int32_t bins = axis_bin_count(p.width, p.bin_width);
    SweepOutcome o = take_outcome({p.x_table, p.y_table, p.width, p.height, p.bin_width, p.repetitions, windows},
                                  bins, sample_count(sweep_angles, noise_detector_bins), sink.progress());
    WindowRows rows(p);
    measure_noise_sweep(o, rows);
    return o;
}
