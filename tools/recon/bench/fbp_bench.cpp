// Speed of the ramp filter and the back projection at the tools' default
// sizes (256 bins, 256 angles, 256 × 256 image).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "tools/recon/fbp.h"

namespace {

constexpr std::int32_t size = 256;

std::vector<double> test_sinogram() {
    std::vector<double> sinogram(size * size);
    for (int i = 0; i < size * size; ++i) sinogram[i] = 0.001 * (i % 97);
    return sinogram;
}

void BM_RampFilter(benchmark::State& state) {
    const std::vector<double> sinogram = test_sinogram();
    std::vector<double> work;
    for (auto _ : state) {
        work = sinogram;
        ramp_filter(work.data(), size, size, 0.078125);
        benchmark::DoNotOptimize(work.data());
    }
}
BENCHMARK(BM_RampFilter)->Unit(benchmark::kMillisecond);

void BM_BackProject(benchmark::State& state) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    const CijTable cij = make_cij(size, size, size, size, sink);
    std::fclose(sink);
    const std::vector<double> sinogram = test_sinogram();
    std::vector<double> image(size * size);
    for (auto _ : state) {
        back_project(image.data(), size, size, sinogram.data(), cij);
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations() * size * size * size);
}
BENCHMARK(BM_BackProject)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
