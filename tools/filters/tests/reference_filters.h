#pragma once
// Straightforward versions of the five filters, written as plainly as the
// recipes read (every index taken modulo the size with a non-negative
// remainder, every window sorted with qsort), to hold the library's faster
// code to the same bytes.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/filters/median.h"

namespace reference {

using Image = std::vector<double>;

inline std::int64_t mod(std::int64_t x, std::int64_t n) { return ((x % n) + n) % n; }

inline Image box(const Image& in, int w, int h) {
    Image out(in.size(), 0.0);
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < w; ++j) {
            double& o = out[i * w + j];
            for (int di = -1; di <= 1; ++di)
                for (int dj = -1; dj <= 1; ++dj) o += in[mod(i + di, h) * w + mod(j + dj, w)];
            o /= 9;
        }
    }
    return out;
}

inline Image weighted(const Image& in, int w, int h, const int (&k)[9], int divisor) {
    Image out(in.size(), 0.0);
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < w; ++j) {
            double& o = out[i * w + j];
            int n = 0;
            for (int di = -1; di <= 1; ++di)
                for (int dj = -1; dj <= 1; ++dj) o += (double)k[n++] * in[mod(i + di, h) * w + mod(j + dj, w)];
            o /= (double)divisor;
        }
    }
    return out;
}

// Taps computed on the fly, so any L is fine.
inline Image gaussian(const Image& in, int w, int h, int fwhm) {
    const double sigma = fwhm / (std::sqrt(std::log(2.0) * 2.0) * 2.0);
    const double x = sigma * 4 + 1;
    const std::int64_t length = x >= 1 ? (x > 1e9 ? (std::int64_t)1e9 : (std::int64_t)x) : 0;
    auto g = [&](std::int64_t n) {
        return std::exp(-(double)(n * n) / ((sigma * 2) * sigma)) * (1 / (std::sqrt(6.28318530717958) * sigma));
    };
    Image mid(in.size(), 0.0), out(in.size(), 0.0);
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j)
            for (int k = 0; k < w; ++k)
                if (std::abs(j - k) < length) mid[i * w + j] += in[i * w + k] * g(std::abs(j - k));
    for (int j = 0; j < w; ++j)
        for (int i = 0; i < h; ++i)
            for (int k = 0; k < h; ++k)
                if (std::abs(i - k) < length) out[i * w + j] += g(std::abs(i - k)) * mid[k * w + j];
    return out;
}

inline Image median(const Image& in, int w, int h, int a) {
    Image out(in.size(), 0.0);
    std::vector<double> window(static_cast<std::size_t>(a) * a);
    const int b = a / 2;
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < w; ++j) {
            for (int k = 0; k < a * a; ++k) window[k] = in[mod(k / a - b + i + h, h) * w + mod(k % a - b + j + w, w)];
            std::qsort(window.data(), window.size(), sizeof(double), compare_ascending);
            const int mid = a * a / 2;
            out[i * w + j] = a % 2 ? window[mid] : (window[mid - 1] + window[mid]) * 0.5;
        }
    }
    return out;
}

inline Image bilateral(const Image& in, int w, int h, int n, double d1, double d2) {
    Image out(in.size(), 0.0);
    const int half = n / 2;
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < w; ++j) {
            const double v = in[i * w + j];
            double sum = 0, total = 0;
            for (int l = 0; l < n; ++l) {
                for (int m = 0; m < n; ++m) {
                    const int f = -half + l, g = -half + m;
                    const double ws = std::exp((double)(-(f * f) - g * g) / ((d1 * 2) * d1));
                    const double t = in[mod(i + h - half + l, h) * w + mod(j + w - half + m, w)];
                    const double u = std::exp(-((v - t) * (v - t) / ((d2 * 2) * d2)));
                    const double wt = u * ws;
                    sum = sum + t * wt;
                    total = total + wt;
                }
            }
            out[i * w + j] = sum / total;
        }
    }
    return out;
}

}  // namespace reference
