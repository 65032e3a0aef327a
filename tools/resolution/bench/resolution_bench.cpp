// Speed of the edge measurement on the default edge image at growing sizes:
// the ordering alone, and the whole ESF computation of slant_profile.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "tools/resolution/distance_order.h"
#include "tools/resolution/edge_spread.h"
#include "tools/resolution/edge_target.h"

namespace {

std::vector<double> edge_image(int size) {
    std::vector<double> image(static_cast<std::size_t>(size) * size);
    draw_step_edge(image, size, size, 2, 3.0);
    return image;
}

void BM_SortByDistance(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const std::vector<double> image = edge_image(size);
    Crossing rows[2];
    const std::vector<double> distance = distance_map(size, size, edge_angle(image, size, size, rows));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<double> d = distance, v = image;
        state.ResumeTiming();
        sort_by_distance(d.data(), v.data(), static_cast<std::int64_t>(d.size()));
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(BM_SortByDistance)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);

// Angle, distance map, ordering, edge offset and 512 ESF windows (the
// transfer_curve defaults), without the console line.
void BM_EdgeSpread(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const std::vector<double> image = edge_image(size);
    for (auto _ : state) {
        std::vector<double> v = image;
        Crossing rows[2];
        std::vector<double> d = distance_map(size, size, edge_angle(v, size, size, rows));
        sort_by_distance(d.data(), v.data(), static_cast<std::int64_t>(d.size()));
        const auto offset = edge_offset_index(half_max_crossing(v.data(), static_cast<std::int64_t>(v.size())).index,
                                              static_cast<std::int64_t>(v.size()));
        benchmark::DoNotOptimize(edge_spread(d, v, 512, 0.1, d[static_cast<std::size_t>(*offset)]));
    }
}
BENCHMARK(BM_EdgeSpread)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
