// Speed of one SART iteration (every view a subset: a forward projection and
// a transposed update per view) and of one SIRT or CGLS-sized pass (the whole
// projection and its transpose), at 256² × 256 views × 256 bins and at 512,
// on one thread and on all the process has.
//
//   build/bench/iterative_bench --benchmark_filter=Sart

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "common/parallel.h"
#include "tools/iterative/iterative_methods.h"
#include "tools/iterative/matched_projector.h"

namespace {

// A disk of 0.2/cm with a smaller one inside, projected by the matched projector.
std::vector<double> disk_sinogram(const ViewSet& set, double delta) {
    std::vector<double> image(static_cast<std::size_t>(set.width) * set.height);
    for (std::int32_t r = 0; r < set.height; ++r)
        for (std::int32_t q = 0; q < set.width; ++q) {
            const double x = q - set.width / 2, y = set.height / 2 - r, radius = 0.4 * set.width;
            image[static_cast<std::size_t>(r) * set.width + q] =
                (x * x + y * y < radius * radius ? 0.2 : 0.0) + (x * x + (y - 10) * (y - 10) < 400 ? 0.1 : 0.0);
        }
    std::vector<double> sinogram(static_cast<std::size_t>(set.views()) * set.bins);
    project_all(set, image.data(), delta, sinogram.data());
    return sinogram;
}

void use_threads(benchmark::State& state) { set_thread_count(static_cast<std::int32_t>(state.range(1))); }

void SartIteration(benchmark::State& state) {
    use_threads(state);
    const std::int32_t n = static_cast<std::int32_t>(state.range(0));
    const ViewSet set = make_view_set(n, n, n, n, 0, 1, n);
    IterativeSettings s;
    s.method = IterativeMethod::sart;
    s.pixel_length = 0.078125 * 256 / n;
    s.nonnegative = true;
    IterativeSolver solver(set, disk_sinogram(set, s.pixel_length), s);
    solver.start(1);
    for (auto _ : state) {
        solver.iterate();
        benchmark::DoNotOptimize(solver.image().data());
    }
}

void ProjectAndTranspose(benchmark::State& state) {
    use_threads(state);
    const std::int32_t n = static_cast<std::int32_t>(state.range(0));
    const ViewSet set = make_view_set(n, n, n, n, 0, 1, n);
    std::vector<double> image(static_cast<std::size_t>(n) * n, 0.1), sinogram(static_cast<std::size_t>(n) * n);
    for (auto _ : state) {
        project_all(set, image.data(), 1.0, sinogram.data());
        back_project_all(set, sinogram.data(), 1.0, image.data());
        benchmark::DoNotOptimize(image.data());
    }
}

const std::int64_t all_threads = thread_count();

}  // namespace

BENCHMARK(SartIteration)->Args({256, 1})->Args({256, all_threads})->Args({512, 1})->Args({512, all_threads})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ProjectAndTranspose)->Args({256, 1})->Args({256, all_threads})->Args({512, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
