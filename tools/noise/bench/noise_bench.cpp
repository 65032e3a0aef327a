// Speed of the stages of one reconstructed-noise spectrum: noise field,
// row transforms and ramp filter, back projection, image transform and
// profiles. Run: build/bench/noise_bench (single-threaded by nature).

#include <benchmark/benchmark.h>

#include <vector>

#include "common/fft.h"
#include "common/random_deviates.h"
#include "tools/noise/noise_reconstruction.h"
#include "tools/noise/reconstructed_noise_power.h"
#include "tools/noise/power_profiles.h"

namespace {

std::vector<double> noise_rows(std::int32_t angles) {
    std::vector<double> rows(static_cast<std::size_t>(angles) * noise_detector_bins);
    random_state state{-1};
    fill_noise_field(rows.data(), static_cast<std::int64_t>(rows.size()), 20, state);
    return rows;
}

void BM_NoiseField(benchmark::State& s) {
    std::vector<double> rows(512 * 512);
    random_state state{-1};
    for (auto _ : s) fill_noise_field(rows.data(), 512 * 512, 20, state);
}
BENCHMARK(BM_NoiseField)->Unit(benchmark::kMillisecond);

void BM_FilterRows(benchmark::State& s) {
    const std::vector<double> noise = noise_rows(512);
    std::vector<double> re, im(noise.size());
    for (auto _ : s) {
        re = noise;
        std::fill(im.begin(), im.end(), 0.0);
        fft_centered_rows(+1, re.data(), im.data(), 512);
        noise_ramp_filter(re.data(), 512, 1.0, std::nullopt);
        noise_ramp_filter(im.data(), 512, 1.0, std::nullopt);
        fft_centered_rows(-1, re.data(), im.data(), 512);
    }
}
BENCHMARK(BM_FilterRows)->Unit(benchmark::kMillisecond);

void BM_BackProject(benchmark::State& s) {
    const auto side = static_cast<std::int32_t>(s.range(0));
    const auto angles = static_cast<std::int32_t>(s.range(1));
    const std::vector<double> rows = noise_rows(angles);
    std::vector<double> image(static_cast<std::size_t>(side) * side);
    for (auto _ : s) noise_back_project(image.data(), side, side, 1.0, 1.0, rows.data(), 1.0, angles);
    s.SetItemsProcessed(s.iterations() * side * side * angles);
}
BENCHMARK(BM_BackProject)->Args({256, 512})->Args({512, 512})->Args({256, 403})->Unit(benchmark::kMillisecond);

void BM_ImageSpectrum(benchmark::State& s) {
    const auto side = static_cast<std::int32_t>(s.range(0));
    const std::vector<double> noise = noise_rows(side);
    std::vector<double> re, im(static_cast<std::size_t>(side) * side);
    for (auto _ : s) {
        re.assign(noise.begin(), noise.begin() + static_cast<std::ptrdiff_t>(side) * side);
        std::fill(im.begin(), im.end(), 0.0);
        fft2_centered(re.data(), im.data(), side, side);
        power_spectrum(re.data(), im.data(), static_cast<std::int64_t>(side) * side);
    }
}
BENCHMARK(BM_ImageSpectrum)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

void BM_Profiles(benchmark::State& s) {
    const auto side = static_cast<std::int32_t>(s.range(0));
    std::vector<double> spectrum = noise_rows(side);
    std::vector<double> out(100);
    for (auto _ : s) {
        axis_band_profile(spectrum.data(), side, side, 5, side / 10, out.data(), ProfileMode::add);
        diagonal_band_profile(spectrum.data(), side, side, 5, side / 10, out.data());
        transpose_spectrum(spectrum.data(), side, side);
    }
}
BENCHMARK(BM_Profiles)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

void BM_ReconstructedSpectrum(benchmark::State& s) {
    const auto side = static_cast<std::int32_t>(s.range(0));
    std::vector<double> sinogram(512 * 512), re(static_cast<std::size_t>(side) * side), im(re.size());
    random_state state{-1};
    for (auto _ : s) {
        draw_noise_sinogram(sinogram, 512, 20, state);
        reconstructed_noise_spectrum(sinogram, 512, 0, re, im, side, side);
    }
}
BENCHMARK(BM_ReconstructedSpectrum)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
