#include "tools/noise/noise_reconstruction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "common/code_path.h"
#include "common/fft.h"
#include "common/lanes.h"
#include "common/parallel.h"
#include "common/sample_arrays.h"

namespace {

constexpr double pi = 3.14159265358979;
constexpr double centre_bin = 256.0;
constexpr double last_bin_start = 511.0;  // bins 0 … 510 start an interpolation

// Image rows that one pass over all angles back-projects: about 128 KiB of
// image, so that the rows stay in the cache while every angle is added.
std::int32_t rows_per_block(std::int32_t width) { return std::max<std::int32_t>(4, 16384 / std::max(width, 1)); }

// Rows of pixels whose detector coordinates are formed together, and the
// columns per step: the coordinates stay in the first-level cache between
// being formed and being used.
constexpr std::int32_t row_group = 8;
constexpr std::int32_t column_chunk = 128;

// Detector coordinates of the next `count` pixels of each row of a group:
// t[r·column_chunk + k] = c[r], then c[r] := c[r] + dx. Each row is its own
// chain of additions; eight chains side by side keep the adder busy.
CT_LANES void next_coordinates(double* c, std::int32_t rows, double dx, std::int32_t count, double* t) {
    if (rows == row_group) {
        double c0 = c[0], c1 = c[1], c2 = c[2], c3 = c[3], c4 = c[4], c5 = c[5], c6 = c[6], c7 = c[7];
        for (std::int32_t k = 0; k < count; ++k) {
            t[k] = c0, t[column_chunk + k] = c1, t[2 * column_chunk + k] = c2, t[3 * column_chunk + k] = c3;
            t[4 * column_chunk + k] = c4, t[5 * column_chunk + k] = c5, t[6 * column_chunk + k] = c6;
            t[7 * column_chunk + k] = c7;
            c0 = c0 + dx, c1 = c1 + dx, c2 = c2 + dx, c3 = c3 + dx;
            c4 = c4 + dx, c5 = c5 + dx, c6 = c6 + dx, c7 = c7 + dx;
        }
        c[0] = c0, c[1] = c1, c[2] = c2, c[3] = c3, c[4] = c4, c[5] = c5, c[6] = c6, c[7] = c7;
        return;
    }
    for (std::int32_t r = 0; r < rows; ++r) {
        double cr = c[r];
        for (std::int32_t k = 0; k < count; ++k) {
            t[r * column_chunk + k] = cr;
            cr = cr + dx;
        }
        c[r] = cr;
    }
}

inline bool on_detector(double t) { return t > -1.0 && t < last_bin_start; }

inline double interpolated(const double* row, double t) {
    const std::int32_t n = static_cast<std::int32_t>(t);
    const double u = t - n;
    return (1 - u) * row[n] + u * row[n + 1];
}

// Adds the interpolated projection values at the coordinates t[k] to
// image_row[k], k < count, a lane group at a time with the very operations
// of interpolated(). The coordinates of a row change monotonically
// (repeated addition of one dx), so the pixels on the detector form one run.
template <class V>
CT_LANES void add_run(double* image_row, const double* t, std::int32_t count, const double* row) {
    using L = Lanes<V>;
    std::int32_t first = 0, last = count - 1;
    while (first <= last && !on_detector(t[first])) ++first;
    while (last >= first && !on_detector(t[last])) --last;
    std::int32_t k = first;
    const V one(1.0);
    for (; k + L::count - 1 <= last; k += L::count) {
        const V tk = L::load(t + k);
        const typename L::Pair pair = L::truncated_pair(row, tk);
        const V u = tk - pair.whole;
        L::store(image_row + k, L::load(image_row + k) + ((one - u) * pair.left + u * pair.right));
    }
    for (; k <= last; ++k) image_row[k] += interpolated(row, t[k]);
}

// The portable form takes two pixels at a time where every processor can
// (SSE2 on x86-64), the vector forms their own lanes.
#if defined(__x86_64__) && defined(__SSE2__)
using PortableLanes = Sse2Lanes;
#else
using PortableLanes = double;
#endif
template <class V>
using InterpolationLanes = std::conditional_t<std::is_same_v<V, double>, PortableLanes, V>;

}  // namespace

double noise_filter_weight(std::int32_t column, double sample_spacing, FilterWindow window) {
    const std::int32_t x = column - noise_detector_bins / 2;
    double g = std::abs(x) * (0.001953125 / sample_spacing);
    if (window) {
        const double phi = x * pi * 0.00390625 / static_cast<double>(*window + 1);
        g = (0.5 * std::cos(phi) + 0.5) * g;
    }
    return g;
}

void noise_ramp_filter(double* rows, std::int32_t angles, double sample_spacing, FilterWindow window) {
    // The weight depends on the column alone: computed once per column.
    double weights[noise_detector_bins];
    for (std::int32_t n = 0; n < noise_detector_bins; ++n) weights[n] = noise_filter_weight(n, sample_spacing, window);
    for (std::int64_t i = 0; i < angles; ++i) {
        double* row = rows + i * noise_detector_bins;
        for (std::int32_t n = 0; n < noise_detector_bins; ++n) row[n] = weights[n] * row[n];
    }
}

double noise_projection_angle(std::int32_t index, std::int32_t angles) {
    if (angles == 512) return index * pi * 0.001953125;
    return index * pi / static_cast<double>(angles);
}

double noise_angular_step(std::int32_t angles) {
    if (angles == 512) return 0.006135923151542559;
    if (angles == 403) return 0.007795515269453573;
    return pi / angles;
}

void noise_back_project(double* image, std::int32_t width, std::int32_t height, double pixel_width,
                        double pixel_height, const double* rows, double bin_width, std::int32_t angles,
                        CodePath path) {
    const VectorCode code = vector_code(path);
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
    std::fill(image, image + pixels, 0.0);

    // Per angle the step along a row and the coordinate of the first pixel
    // of every image row, each row's start by repeated addition of dy.
    std::vector<double> dx = take_samples(angles);
    std::vector<double> row_starts = take_samples(static_cast<std::int64_t>(angles) * height);
    for (std::int32_t i = 0; i < angles; ++i) {
        const double theta = noise_projection_angle(i, angles);
        dx[i] = std::cos(theta) * pixel_width / bin_width;
        const double dy = -(std::sin(theta) * pixel_height / bin_width);
        double t_row = centre_bin - (width * dx[i] * 0.5 + height * dy * 0.5);
        for (std::int32_t j = 0; j < height; ++j) {
            row_starts[static_cast<std::int64_t>(i) * height + j] = t_row;
            t_row = t_row + dy;
        }
    }

    // Every pixel still gathers its angles in the order 0 … A − 1; only the
    // pixels are visited block by block, eight rows per angle at a time.
    // The blocks are independent: the threads share them out.
    const std::int32_t block = rows_per_block(width);
    const std::int32_t blocks = (height + block - 1) / block;
    parallel_for(blocks, Schedule::dynamic, [&](std::int64_t b) {
        with_lanes(code, [&](auto lanes) CT_LANES_LAMBDA {
            using V = InterpolationLanes<decltype(lanes)>;
            double t[row_group * column_chunk];
            double c[row_group];
            const std::int32_t j0 = static_cast<std::int32_t>(b) * block;
            const std::int32_t j1 = std::min(j0 + block, height);
            for (std::int32_t i = 0; i < angles; ++i) {
                const double* row = rows + static_cast<std::int64_t>(i) * noise_detector_bins;
                const double* starts = row_starts.data() + static_cast<std::int64_t>(i) * height;
                for (std::int32_t j = j0; j < j1; j += row_group) {
                    const std::int32_t rows_here = std::min(row_group, j1 - j);
                    std::copy(starts + j, starts + j + rows_here, c);
                    for (std::int32_t k0 = 0; k0 < width; k0 += column_chunk) {
                        const std::int32_t count = std::min(column_chunk, width - k0);
                        next_coordinates(c, rows_here, dx[i], count, t);
                        for (std::int32_t r = 0; r < rows_here; ++r) {
                            double* image_row = image + static_cast<std::int64_t>(j + r) * width + k0;
                            add_run<V>(image_row, t + r * column_chunk, count, row);
                        }
                    }
                }
            }
        });
    });

    const double step = noise_angular_step(angles);
    for (std::int64_t p = 0; p < pixels; ++p) image[p] = image[p] * step;
}

void reconstruct_noise_sinogram(double* sinogram, std::int32_t angles, double* image, std::int32_t width,
                                std::int32_t height, FilterWindow window) {
    std::vector<double> imaginary = take_samples(static_cast<std::int64_t>(angles) * noise_detector_bins);
    fft_centered_rows(+1, sinogram, imaginary.data(), angles);
    noise_ramp_filter(sinogram, angles, 1.0, window);
    noise_ramp_filter(imaginary.data(), angles, 1.0, window);
    fft_centered_rows(-1, sinogram, imaginary.data(), angles);
    noise_back_project(image, width, height, 1.0, 1.0, sinogram, 1.0, angles);
}
