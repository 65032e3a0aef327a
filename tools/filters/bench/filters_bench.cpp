// Speed of the five filters on images of 256 × 256 and 1024 × 1024, with the
// tools' default parameters and with large windows, and of the median's
// selection against a full qsort of one window.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "tools/filters/bilateral.h"
#include "tools/filters/gaussian.h"
#include "tools/filters/median.h"
#include "tools/filters/periodic.h"
#include "tools/filters/three_by_three.h"

namespace {

// A noisy disc, like a reconstructed slice.
std::vector<double> slice(int n) {
    std::vector<double> image(static_cast<std::size_t>(n) * n);
    std::uint32_t state = 12345;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            state = state * 1664525u + 1013904223u;
            const double noise = static_cast<double>(state >> 8) / 16777216.0 - 0.5;
            const double x = j - n / 2, y = i - n / 2;
            image[static_cast<std::size_t>(i) * n + j] = (x * x + y * y < n * n / 9.0 ? 0.02 : 0.0) + noise * 0.004;
        }
    }
    return image;
}

template <typename Filter>
void run(benchmark::State& state, Filter filter) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> in = slice(n);
    std::vector<double> out(in.size());
    for (auto _ : state) {
        filter(in.data(), out.data(), n);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}

void box(benchmark::State& s) {
    run(s, [](const double* in, double* out, int n) { moving_average_3x3(in, out, n, n); });
}
void kernel(benchmark::State& s) {
    const SmoothingKernel k = make_smoothing_kernel(1, 2, 4);
    run(s, [&](const double* in, double* out, int n) { weighted_average_3x3(in, out, n, n, k); });
}
void bell(benchmark::State& s) {
    const int fwhm = static_cast<int>(s.range(1));
    run(s, [&](const double* in, double* out, int n) { gaussian_smooth(in, out, n, n, fwhm); });
}
void rank(benchmark::State& s) {
    const int a = static_cast<int>(s.range(1));
    run(s, [&](const double* in, double* out, int n) { median_smooth(in, out, n, n, a); });
}
// The median as written out: gather every window and qsort it.
void rank_by_qsort(benchmark::State& s) {
    const std::int64_t a = s.range(1);
    run(s, [&](const double* in, double* out, int n) {
        std::vector<double> window(static_cast<std::size_t>(a * a));
        for (std::int64_t i = 0; i < n; ++i) {
            for (std::int64_t j = 0; j < n; ++j) {
                for (std::int64_t k = 0; k < a * a; ++k)
                    window[k] = in[wrap_index(k / a - a / 2 + i, n) * n + wrap_index(k % a - a / 2 + j, n)];
                out[i * n + j] = sorted_window_median(window.data(), a * a, static_cast<std::int32_t>(a));
            }
        }
    });
}
void edge(benchmark::State& s) {
    const int width = static_cast<int>(s.range(1));
    run(s, [&](const double* in, double* out, int n) { bilateral_smooth(in, out, n, n, width, 0.1, 0.1); });
}

// One 15 × 15 window of the slice: selection as the filter does it, and qsort.
void median_select(benchmark::State& s) {
    const std::vector<double> window(slice(15));
    std::vector<double> scratch(window.size());
    for (auto _ : s) benchmark::DoNotOptimize(window_median(window.data(), scratch.data(), 225, 15));
}
void median_qsort(benchmark::State& s) {
    const std::vector<double> window(slice(15));
    std::vector<double> scratch(window.size());
    for (auto _ : s) {
        scratch = window;
        benchmark::DoNotOptimize(sorted_window_median(scratch.data(), 225, 15));
    }
}

}  // namespace

BENCHMARK(box)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(kernel)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(bell)->ArgsProduct({{256, 1024}, {2, 10}})->Unit(benchmark::kMillisecond);
BENCHMARK(rank)->ArgsProduct({{256, 1024}, {3, 15}})->Unit(benchmark::kMillisecond);
BENCHMARK(rank_by_qsort)->ArgsProduct({{256, 1024}, {3, 15}})->Unit(benchmark::kMillisecond);
BENCHMARK(edge)->ArgsProduct({{256, 1024}, {7, 15}})->Unit(benchmark::kMillisecond);
BENCHMARK(median_select);
BENCHMARK(median_qsort);
BENCHMARK_MAIN();
