#include "tools/projection/projection_tools.h"

#include "common/sample_arrays.h"
#include "tools/projection/measurement.h"
#include "tools/projection/projector.h"

namespace {

// The sizes of a one-image-one-sinogram tool, checked in its order.
struct ProjectionSizes {
    std::int64_t pixels, samples;
};

ProjectionSizes projection_sizes(std::int32_t width, std::int32_t height, std::int32_t bins, std::int32_t angles) {
    const std::int64_t pixels = sample_count(width, height);
    require_sample_count(pixels, "画像の幅 × 高さ");
    const std::int64_t samples = sample_count(bins, angles);
    require_sample_count(samples, "投影の幅 × 投影数");
    return {pixels, samples};
}

std::int64_t sinogram_samples(std::int32_t bins, std::int32_t angles) {
    const std::int64_t samples = sample_count(bins, angles);
    require_sample_count(samples, "投影の幅 × 投影数");
    return samples;
}

std::int64_t image_samples(std::int32_t width, std::int32_t height) {
    const std::int64_t samples = sample_count(width, height);
    require_sample_count(samples, "画像の幅 × 高さ");
    return samples;
}

// The image projected into the sinogram, then the measurement step on it
// and its counts, the three arrays taken in the tools' order.
template <typename Parameters, typename Measure>
Measured measured_sinogram(const Parameters& p, const SampleSource& source, MessageSink& sink, Measure measure) {
    const ProjectionSizes n = projection_sizes(p.width, p.height, p.bins, p.angles);
    std::vector<double> image = take_samples(n.pixels);
    Measured sinogram{take_samples(n.samples), {}};
    std::vector<double> counts = take_samples(n.samples);
    const CijTable cij = make_cij(p.width, p.height, p.bins, p.angles, sink.progress());
    source(image, n.pixels);
    project_image(image.data(), p.width, p.height, p.pixel_length, cij, sinogram.samples.data());
    sinogram.non_finite_cause = measure(sinogram.samples.data(), counts.data(), n.samples);
    return sinogram;
}

// The samples a source gives, read into a new array of that many.
std::vector<double> samples_of(const SampleSource& source, std::int64_t samples) {
    std::vector<double> data = take_samples(samples);
    source(data, samples);
    return data;
}

}  // namespace

std::vector<double> project_to_sinogram(const RaysumParameters& p, const SampleSource& source, MessageSink& sink) {
    const ProjectionSizes n = projection_sizes(p.width, p.height, p.bins, p.angles);
    std::vector<double> image = take_samples(n.pixels);
    std::vector<double> sinogram = take_samples(n.samples);
    const CijTable cij = make_cij(p.width, p.height, p.bins, p.angles, sink.progress());
    source(image, n.pixels);
    // raysum alone takes row shares: a host that splits its run over several workers.
    project_image(image.data(), p.width, p.height, p.pixel_length, cij, sinogram.data(), CodePath::fastest,
                  RowShares::from_environment());
    return sinogram;
}

std::vector<double> attenuate_projection(const AttenuateParameters& p, const SampleSource& source) {
    const std::int64_t samples = sinogram_samples(p.bins, p.angles);
    std::vector<double> projection = take_samples(samples);
    std::vector<double> counts = take_samples(samples);
    source(projection, samples);
    counts_from_projection(projection.data(), counts.data(), samples, p.incident);
    return counts;
}

Measured linearize_counts(const LinearizeParameters& p, const SampleSource& source) {
    const std::int64_t samples = sinogram_samples(p.bins, p.angles);
    Measured projection{take_samples(samples), {}};
    std::vector<double> counts = take_samples(samples);
    source(counts, samples);
    projection.non_finite_cause = negative_counts_cause(counts.data(), samples);
    projection_from_counts(counts.data(), projection.samples.data(), samples, p.incident);
    return projection;
}

std::vector<double> add_quantum_noise(const QuantumNoiseParameters& p, const SampleSource& source) {
    const std::int64_t samples = sinogram_samples(p.bins, p.angles);
    std::vector<double> counts = samples_of(source, samples);
    apply_poisson_noise(counts.data(), samples);
    return counts;
}

std::vector<double> add_level_noise(const LevelNoiseParameters& p, const SampleSource& source) {
    const std::int64_t samples = image_samples(p.width, p.height);
    std::vector<double> image = samples_of(source, samples);
    apply_level_noise(image.data(), samples, p.decibels);
    return image;
}

std::vector<double> add_scaled_noise(const ScaledNoiseParameters& p, const SampleSource& source) {
    const std::int64_t samples = image_samples(p.width, p.height);
    std::vector<double> data = samples_of(source, samples);
    apply_gaussian_noise(data.data(), samples, p.sd);
    return data;
}

Measured measure_sinogram_with_quanta(const RaysumQuantaParameters& p, const SampleSource& image, MessageSink& sink) {
    return measured_sinogram(p, image, sink, [&](double* sinogram, double* counts, std::int64_t n) {
        return measure_with_poisson_noise(sinogram, counts, n, p.incident);
    });
}

Measured measure_sinogram_with_normal_noise(const RaysumNormalParameters& p, const SampleSource& image,
                                            MessageSink& sink) {
    return measured_sinogram(p, image, sink, [&](double* sinogram, double* counts, std::int64_t n) {
        return measure_with_gaussian_noise(sinogram, counts, n, p.incident, p.sd);
    });
}
