#include "tools/noise/power_profiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "common/fft.h"
#include "common/sample_arrays.h"

namespace {

// The constant angle of the diagonal, π/4 from the decimal π.
constexpr double diagonal_angle = 0.7853981633974475;
constexpr double band_half_width = 7.0;

// Sums and counts of every bin. Each sample is given to the one bin whose
// bounds hold its distance, in the order the samples come; per bin that is
// the same sequence of additions as a pass over all samples per bin, since
// the bounds (k + 1)·b ± 0.5·b are exact in doubles and tile the distances
// without overlap.
class BinSums {
  public:
    BinSums(std::int32_t bin_width, std::int32_t bins)
        : width_(bin_width), bins_(bins), lower_(bins), upper_(bins), sums_(bins, 0.0), counts_(bins, 0) {
        const double half = 0.5 * bin_width;
        for (std::int32_t k = 0; k < bins; ++k) {
            const double r = static_cast<double>((k + 1) * static_cast<std::int64_t>(bin_width));
            lower_[k] = r - half;
            upper_[k] = r + half;
        }
    }

    void add(double distance, double sample) {
        if (bins_ == 0) return;
        // The bin's index within one of the rounding of this estimate.
        double estimate = std::floor(distance / width_ - 0.5);
        estimate = std::clamp(estimate, -1.0, static_cast<double>(bins_));
        const std::int32_t centre = static_cast<std::int32_t>(estimate);
        const std::int32_t first = std::max(centre - 1, 0);
        const std::int32_t last = std::min(centre + 1, bins_ - 1);
        for (std::int32_t k = first; k <= last; ++k) {
            if (lower_[k] <= distance && distance < upper_[k]) {
                sums_[k] += sample;
                ++counts_[k];
                return;
            }
        }
    }

    // The mean of bin k: sum / count, 0/0 for an empty bin.
    double mean(std::int32_t k) const { return sums_[k] / static_cast<double>(counts_[k]); }

  private:
    double width_;
    std::int32_t bins_;
    std::vector<double> lower_, upper_, sums_;
    std::vector<std::int64_t> counts_;
};

}  // namespace

void fill_noise_field(double* array, std::int64_t count, std::int32_t level, random_state& state) {
    const double sigma = std::pow(10.0, -static_cast<double>(level) / 20.0);
    for (std::int64_t i = 0; i < count; ++i) array[i] = gaussian_deviate(state) * sigma + 1.0;
}

void power_spectrum(double* re, const double* im, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) re[i] = im[i] * im[i] + re[i] * re[i];
}

void normalize_to_peak(double* re, std::int64_t count) {
    if (count <= 0) return;
    double peak = re[0];
    for (std::int64_t i = 1; i < count; ++i)
        if (re[i] > peak) peak = re[i];
    for (std::int64_t i = 0; i < count; ++i) re[i] = re[i] / peak;
}

void transpose_spectrum(double* re, std::int32_t width, std::int32_t height) {
    std::vector<double> transposed = take_samples(sample_count(width, height));
    // Tiles of 32 × 32 keep both arrays in the cache; only copies, no arithmetic.
    constexpr std::int32_t tile = 32;
    for (std::int32_t y0 = 0; y0 < height; y0 += tile) {
        for (std::int32_t x0 = 0; x0 < width; x0 += tile) {
            const std::int32_t y1 = std::min(y0 + tile, height), x1 = std::min(x0 + tile, width);
            for (std::int32_t x = x0; x < x1; ++x)
                for (std::int32_t y = y0; y < y1; ++y)
                    transposed[static_cast<std::int64_t>(x) * height + y] = re[static_cast<std::int64_t>(y) * width + x];
        }
    }
    std::copy(transposed.begin(), transposed.end(), re);
}

void axis_band_profile(const double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                       std::int32_t bins, double* out, ProfileMode mode) {
    BinSums sums(bin_width, bins);
    const std::int32_t centre_row = height / 2, centre_column = width / 2;
    // Only the rows with 1 ≤ |v| ≤ 7 take part, in row order.
    const std::int32_t first_row = std::max(centre_row - 7, 0);
    const std::int32_t last_row = std::min(centre_row + 7, height - 1);
    for (std::int32_t y = first_row; y <= last_row; ++y) {
        const std::int64_t v = centre_row - y;
        if (v == 0) continue;
        const double* row = spectrum + static_cast<std::int64_t>(y) * width;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int64_t m = x - centre_column;
            if (m == 0) continue;
            sums.add(std::sqrt(static_cast<double>(v * v + m * m)), row[x]);
        }
    }
    for (std::int32_t k = 0; k < bins; ++k) {
        const double value = sums.mean(k);
        out[k] = mode == ProfileMode::store ? value : value + out[k];
    }
}

void axis_band_profile_add(const double* spectrum, std::int32_t width, std::int32_t height,
                           std::int32_t bin_width, std::int32_t bins, double* out) {
    axis_band_profile(spectrum, width, height, bin_width, bins, out, ProfileMode::add);
}

void diagonal_band_profile(const double* spectrum, std::int32_t width, std::int32_t height,
                           std::int32_t bin_width, std::int32_t bins, double* out) {
    BinSums sums(bin_width, bins);
    const double c = std::cos(diagonal_angle), s = std::sin(diagonal_angle);
    for (std::int32_t y = 0; y < height; ++y) {
        const double v = height / 2 - y;
        const double* row = spectrum + static_cast<std::int64_t>(y) * width;
        for (std::int32_t x = 0; x < width; ++x) {
            const double m = x - width / 2;
            if (v * m > 0 && std::fabs(c * v - s * m) > band_half_width) continue;
            sums.add(std::sqrt(v * v + m * m), row[x]);
        }
    }
    for (std::int32_t k = 0; k < bins; ++k) out[k] = sums.mean(k) + out[k];
}

void normalized_noise_power(double* re, double* im, std::int32_t width, std::int32_t height) {
    const std::int64_t count = static_cast<std::int64_t>(width) * height;
    fft2_centered(re, im, width, height);
    power_spectrum(re, im, count);
    normalize_to_peak(re, count);
}

void axis_profiles(double* spectrum, std::int32_t width, std::int32_t height, std::int32_t bin_width,
                   std::int32_t bins, double* x_profile, double* y_profile) {
    axis_band_profile(spectrum, width, height, bin_width, bins, x_profile, ProfileMode::store);
    // The transpose is H wide and W tall, so the y profile runs along the
    // vertical frequency axis.
    transpose_spectrum(spectrum, width, height);
    axis_band_profile(spectrum, height, width, bin_width, bins, y_profile, ProfileMode::store);
}
