#pragma once
// detection_trials from its answers, as its main runs it and the Python
// module calls it: FBP images of a water disc with and without a lesion at
// its centre, each through its own photon noise, for observer_study.
//
// A trial is the chain a learner runs with files: the phantom as oval_draw
// draws it (and as its file holds it, in float32), raysum_quanta started
// from the trial's seed (its sinogram as its file holds it), reconstruct.
// Trials are independent, so threads share them out; each trial starts the
// generator of its own thread from its seed, and its bytes never depend on
// the thread that made it.

#include <cstdint>
#include <functional>
#include <vector>

#include "common/message_sink.h"
#include "tools/detectability/detectability_questions.h"

// The present trials' seeds are first_seed + k − 1 and the absent trials'
// lie this far above them, so the two kinds never share noise.
inline constexpr std::int32_t absent_seed_offset = 100000;

// Fails (an unusable value) on an answer the trials cannot take: fewer than
// 2 trials, a side or a count of angles out of range, a pixel length or a
// photon count ≤ 0, a lesion diameter ≤ 0 or wider than the image, values
// that are not finite, seeds beyond the generator's.
void check_detection_trials_answers(const DetectionTrialsParameters& p);

// The seed of trial k (1 … N) of a kind.
std::int32_t detection_trial_seed(const DetectionTrialsParameters& p, bool present, std::int32_t k);

// The phantom of a kind (side × side, μ in 1/cm) as oval_draw draws it, the
// lesion's disc added to the water's, each sample rounded to float32 as the
// phantom's file would hold it.
std::vector<double> detection_trial_phantom(const DetectionTrialsParameters& p, bool present);

// Receives each trial (side × side) in order: present 1 … N, then absent
// 1 … N, on the calling thread.
using TrialReceiver = std::function<void(bool present, std::int32_t k, std::vector<double>& image)>;

// Every trial of the answers (checked first), handed to `receive` in order.
void make_detection_trials(const DetectionTrialsParameters& p, const TrialReceiver& receive, MessageSink& sink);

// The whole run as the tool does it: the answers checked before any file,
// then present_k.img and absent_k.img written in order.
void run_detection_trials(const DetectionTrialsParameters& p, MessageSink& sink);
