// Speed of the projector, the ramp filter and the back projection at the
// tools' default sizes (256 × 256 image, 256 bins, 256 angles).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "tools/projection/projector.h"

namespace {

constexpr std::int32_t size = 256;

CijTable default_cij() {
    std::FILE* sink = std::fopen("/dev/null", "w");
    CijTable cij = make_cij(size, size, size, size, sink);
    std::fclose(sink);
    return cij;
}

// A disk of 0.1 over 0.6 of the image (air around it), or every pixel filled.
std::vector<double> test_image(bool dense) {
    std::vector<double> image(size * size, 0.0);
    for (int r = 0; r < size; ++r)
        for (int q = 0; q < size; ++q) {
            const double x = q - size / 2, y = size / 2 - r;
            if (dense || x * x + y * y < 76.8 * 76.8) image[r * size + q] = 0.1 + 1e-4 * q;
        }
    return image;
}

void BM_MakeCij(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(default_cij());
}
BENCHMARK(BM_MakeCij)->Unit(benchmark::kMillisecond);

void BM_ProjectImage(benchmark::State& state) {
    const CijTable cij = default_cij();
    const std::vector<double> image = test_image(state.range(0) != 0);
    std::vector<double> sinogram(size * size);
    for (auto _ : state) {
        project_image(image.data(), size, size, 0.078125, cij, sinogram.data());
        benchmark::DoNotOptimize(sinogram.data());
    }
    state.SetItemsProcessed(state.iterations() * size * size * size);
}
BENCHMARK(BM_ProjectImage)->Arg(0)->Arg(1)->ArgNames({"dense"})->Unit(benchmark::kMillisecond);

void BM_RowEntries(benchmark::State& state) {
    const CijTable cij = default_cij();
    std::vector<double> column_cos(size), row_sin(size);
    CijRowEntries row(size);
    const bool vector = state.range(0) != 0;
    if (vector && !vector_code_available()) state.SkipWithError("no vector entries on this processor");
    for (auto _ : state) {
        for (const CijAngle& a : cij.angle) {
            cij_products(a, size, size, column_cos.data(), row_sin.data());
            for (int r = 0; r < size; ++r) {
                cij_row_entries(a, column_cos.data(), row_sin[r], 0, size, size, row,
                                vector ? CodePath::fastest : CodePath::portable);
            }
            benchmark::DoNotOptimize(row.w0.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * size * size * size);
}
BENCHMARK(BM_RowEntries)->Arg(0)->Arg(1)->ArgNames({"vector"})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
