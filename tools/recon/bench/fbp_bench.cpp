// Speed of the ramp filter and the back projection, at the tools' default
// size (256 bins, 256 angles, 256 × 256 image) and at 1024, next to a
// yardstick: a plain back projector with AVX2 that interpolates linearly
// between two bins, the least any back projection of that size must do.
// Each benchmark states its thread count (/threads:1 or all the process has).
//
//   build/bench/fbp_bench --benchmark_filter=BackProject

#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/parallel.h"
#include "tools/recon/fbp.h"

namespace {

std::vector<double> test_sinogram(std::int32_t size) {
    std::vector<double> sinogram(static_cast<std::size_t>(size) * size);
    for (std::size_t i = 0; i < sinogram.size(); ++i) sinogram[i] = 0.001 * static_cast<double>(i % 97);
    return sinogram;
}

// The yardstick: per angle and pixel t = x·cos θ + y·sin θ + N/2, then
// (1 − u)·p[n] + u·p[n + 1] with n = ⌊t⌋, u = t − n, clamped to the
// detector; four pixels at a time. The plain form passes each angle over the
// whole image (block_rows = size); with 16 rows a block it keeps the rows
// in the cache as the back projection measured against it does.
__attribute__((target("avx2"))) void linear_back_project(double* image, std::int32_t size, const double* sinogram,
                                                         std::int32_t block_rows) {
    std::fill(image, image + static_cast<std::size_t>(size) * size, 0.0);
    std::vector<double> column_cos(size);
    const std::int32_t half = size / 2;
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d last_start = _mm256_set1_pd(size - 2);
    for (std::int32_t first_row = 0; first_row < size; first_row += block_rows) {
        for (std::int32_t i = 0; i < size; ++i) {
            const double theta = i * 3.14159265358979 / size;
            const double c = std::cos(theta), s = std::sin(theta);
            for (std::int32_t q = 0; q < size; ++q) column_cos[q] = (q - half) * c + half;
            const double* p = sinogram + static_cast<std::size_t>(i) * size;
            for (std::int32_t r = first_row; r < std::min(first_row + block_rows, size); ++r) {
                const __m256d y = _mm256_set1_pd((half - r) * s);
                double* pixel = image + static_cast<std::size_t>(r) * size;
                for (std::int32_t q = 0; q + 4 <= size; q += 4) {
                    const __m256d t = _mm256_max_pd(_mm256_setzero_pd(),
                                                    _mm256_min_pd(last_start, _mm256_add_pd(_mm256_loadu_pd(column_cos.data() + q), y)));
                    const __m256d n = _mm256_floor_pd(t);
                    const __m256d u = _mm256_sub_pd(t, n);
                    const __m128i index = _mm256_cvttpd_epi32(n);
                    const std::int64_t low = _mm_cvtsi128_si64(index), high = _mm_extract_epi64(index, 1);
                    const __m256d pairs_02 = _mm256_insertf128_pd(
                        _mm256_castpd128_pd256(_mm_loadu_pd(p + static_cast<std::int32_t>(low))),
                        _mm_loadu_pd(p + static_cast<std::int32_t>(high)), 1);
                    const __m256d pairs_13 = _mm256_insertf128_pd(
                        _mm256_castpd128_pd256(_mm_loadu_pd(p + static_cast<std::int32_t>(low >> 32))),
                        _mm_loadu_pd(p + static_cast<std::int32_t>(high >> 32)), 1);
                    const __m256d value =
                        _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(one, u), _mm256_unpacklo_pd(pairs_02, pairs_13)),
                                      _mm256_mul_pd(u, _mm256_unpackhi_pd(pairs_02, pairs_13)));
                    _mm256_storeu_pd(pixel + q, _mm256_add_pd(_mm256_loadu_pd(pixel + q), value));
                }
            }
        }
    }
}

// The rate of a back projection of size² pixels from size angles, and its
// time per pixel-angle update.
void report_updates(benchmark::State& state, std::int32_t size) {
    const double updates = static_cast<double>(size) * size * size;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(updates));
    state.counters["ns_per_update"] =
        benchmark::Counter(updates * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Runs the benchmark with `threads` threads (0: all the process has).
void use_threads(benchmark::State& state, std::int32_t threads, std::int32_t all) {
    set_thread_count(threads == 0 ? all : threads);
    state.counters["threads"] = thread_count();
}

const std::int32_t all_threads = thread_count();

void BM_RampFilter(benchmark::State& state) {
    const std::int32_t size = static_cast<std::int32_t>(state.range(0));
    use_threads(state, static_cast<std::int32_t>(state.range(1)), all_threads);
    const std::vector<double> sinogram = test_sinogram(size);
    std::vector<double> work;
    for (auto _ : state) {
        work = sinogram;
        ramp_filter(work.data(), size, size, 0.078125);
        benchmark::DoNotOptimize(work.data());
    }
}
BENCHMARK(BM_RampFilter)->Args({256, 1})->Args({256, 0})->Args({1024, 1})->Args({1024, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BackProject(benchmark::State& state) {
    const std::int32_t size = static_cast<std::int32_t>(state.range(0));
    use_threads(state, static_cast<std::int32_t>(state.range(1)), all_threads);
    std::FILE* sink = std::fopen("/dev/null", "w");
    const CijTable cij = make_cij(size, size, size, size, sink);
    std::fclose(sink);
    const std::vector<double> sinogram = test_sinogram(size);
    std::vector<double> image(static_cast<std::size_t>(size) * size);
    for (auto _ : state) {
        back_project(image.data(), size, size, sinogram.data(), cij);
        benchmark::DoNotOptimize(image.data());
    }
    report_updates(state, size);
}
BENCHMARK(BM_BackProject)->Args({256, 1})->Args({256, 0})->Args({1024, 1})->Args({1024, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BackProjectYardstick(benchmark::State& state) {
    const std::int32_t size = static_cast<std::int32_t>(state.range(0));
    const bool blocked = state.range(1) != 0;
    if (!__builtin_cpu_supports("avx2")) {
        state.SkipWithError("the yardstick needs AVX2");
        return;
    }
    state.counters["threads"] = 1;
    const std::vector<double> sinogram = test_sinogram(size);
    std::vector<double> image(static_cast<std::size_t>(size) * size);
    for (auto _ : state) {
        linear_back_project(image.data(), size, sinogram.data(), blocked ? 16 : size);
        benchmark::DoNotOptimize(image.data());
    }
    report_updates(state, size);
}
// Second argument: 0 the plain yardstick, 1 the same in blocks of image rows.
BENCHMARK(BM_BackProjectYardstick)->Args({256, 0})->Args({256, 1})->Args({1024, 0})->Args({1024, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
