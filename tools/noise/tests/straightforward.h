#pragma once
// Straightforward versions of the noise library's fast paths, written the
// plain way (one pass over all samples per bin, one pixel at a time), for the
// tests to prove that the fast paths give the very same bits.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/noise/noise_reconstruction.h"

inline void straightforward_axis_profile(const double* s, int w, int h, int b, int bins, double* out, bool add) {
    for (int k = 0; k < bins; ++k) {
        double sum = 0;
        int count = 0;
        const int r = (k + 1) * b;
        for (int y = 0; y < h; ++y) {
            const int v = h / 2 - y;
            if (v == 0 || std::abs(v) > 7) continue;
            for (int x = 0; x < w; ++x) {
                const int m = x - w / 2;
                if (m == 0) continue;
                const double d = std::sqrt(static_cast<double>(v * v + m * m));
                if (r - 0.5 * b <= d && d < r + 0.5 * b) {
                    sum += s[y * w + x];
                    count += 1;
                }
            }
        }
        const double value = sum / count;
        out[k] = add ? value + out[k] : value;
    }
}

inline void straightforward_diagonal_profile(const double* s, int w, int h, int b, int bins, double* out) {
    const double q = 0.7853981633974475;
    for (int k = 0; k < bins; ++k) {
        double sum = 0;
        int count = 0;
        const int r = (k + 1) * b;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const double v = h / 2 - y, m = x - w / 2;
                if (v * m > 0 && std::fabs(std::cos(q) * v - std::sin(q) * m) > 7) continue;
                const double d = std::sqrt(v * v + m * m);
                if (r - 0.5 * b <= d && d < r + 0.5 * b) {
                    sum += s[y * w + x];
                    count += 1;
                }
            }
        }
        out[k] = sum / count + out[k];
    }
}

inline void straightforward_back_project(double* image, int w, int h, double pw, double ph, const double* rows,
                                         double bw, int angles) {
    const double pi = 3.14159265358979;
    for (int p = 0; p < w * h; ++p) image[p] = 0;
    for (int i = 0; i < angles; ++i) {
        const double theta = angles == 512 ? i * pi * 0.001953125 : i * pi / 403.0;
        const double dx = std::cos(theta) * pw / bw;
        const double dy = -(std::sin(theta) * ph / bw);
        double t_row = 256 - (w * dx * 0.5 + h * dy * 0.5);
        const double* row = rows + i * 512;
        for (int j = 0; j < h; ++j) {
            double t = t_row;
            for (int k = 0; k < w; ++k) {
                const int n = static_cast<int>(t);
                if (0 <= n && n <= 510) {
                    const double u = t - n;
                    image[j * w + k] += (1 - u) * row[n] + u * row[n + 1];
                }
                t = t + dx;
            }
            t_row = t_row + dy;
        }
    }
    const double step = angles == 512 ? 0.006135923151542559 : 0.007795515269453573;
    for (int p = 0; p < w * h; ++p) image[p] = image[p] * step;
}

inline void straightforward_ramp_filter(double* rows, int angles, double a, FilterWindow window) {
    const double pi = 3.14159265358979;
    for (int i = 0; i < angles; ++i) {
        for (int n = 0; n < 512; ++n) {
            const int x = n - 256;
            double g = std::abs(x) * (0.001953125 / a);
            if (window) g = (0.5 * std::cos(x * pi * 0.00390625 / static_cast<double>(*window + 1)) + 0.5) * g;
            rows[i * 512 + n] = g * rows[i * 512 + n];
        }
    }
}

// Deterministic test data of both signs and varied magnitudes.
inline std::vector<double> test_samples(std::size_t count, unsigned seed) {
    std::vector<double> v(count);
    unsigned x = seed * 2654435761u + 12345u;
    for (double& e : v) {
        x = x * 1664525u + 1013904223u;
        e = (static_cast<double>(x >> 8) / 16777216.0 - 0.3) * (1 + (x & 7));
    }
    return v;
}
