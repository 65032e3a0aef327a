#pragma once
// The projection tools' computations, shared by their mains and the Python
// module: from the answers and the input (read when the computation reaches
// it) to the result, an array of the input's shape or a sinogram (angles ×
// bins, row major). Progress goes to the sink.

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "tools/projection/projection_questions.h"

// A result and, when it may hold samples that are not finite, why (for the
// warning of the file that takes it; empty when there is no cause to tell).
struct Measured {
    std::vector<double> samples;
    std::string non_finite_cause;
};

// raysum: the sinogram of the image; the coefficient tables are made before
// the image is read.
std::vector<double> project_to_sinogram(const RaysumParameters& p, const SampleSource& image, MessageSink& sink);

// attenuate: the counts I0·e^(−p).
std::vector<double> attenuate_projection(const AttenuateParameters& p, const SampleSource& projection);

// linearize: the projections ln(I0 / count).
Measured linearize_counts(const LinearizeParameters& p, const SampleSource& counts);

// quantum_noise: every count replaced by a Poisson deviate of that mean.
std::vector<double> add_quantum_noise(const QuantumNoiseParameters& p, const SampleSource& counts);

// level_noise: Gaussian noise of a level relative to the data mean.
std::vector<double> add_level_noise(const LevelNoiseParameters& p, const SampleSource& image);

// scaled_noise: Gaussian noise of a fixed standard deviation.
std::vector<double> add_scaled_noise(const ScaledNoiseParameters& p, const SampleSource& data);

// raysum_quanta: the sinogram measured through Poisson noise on the counts.
Measured measure_sinogram_with_quanta(const RaysumQuantaParameters& p, const SampleSource& image, MessageSink& sink);

// raysum_normal: the same with Gaussian noise of sd counts.
Measured measure_sinogram_with_normal_noise(const RaysumNormalParameters& p, const SampleSource& image,
                                            MessageSink& sink);
