#pragma once
// observer_study from its answers, as its main runs it and the Python module
// calls it: the checks that stop a run before any output, the trials read
// and reduced to their responses, d' with its interval, and the table.

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "tools/detectability/detectability_questions.h"
#include "tools/detectability/trial_observers.h"

// Fails (an unusable value) on an answer the study cannot take: fewer than 2
// trials, a size below 2, a pixel size ≤ 0, a disc wider than the image,
// kinds and counts out of range.
void check_observer_study_answers(const ObserverStudyParameters& p);

// The trial names: present_k.img or absent_k.img, k = 1 … N.
std::string trial_name(bool present, std::int32_t k);

// The task's template and the channels for the answers, once per study.
struct StudyTemplates {
    std::vector<double> signal, channels;
    double signal_energy = 0;  // Σ w²
    double channel_width = 0;  // a, mm
};
StudyTemplates study_templates(const ObserverStudyParameters& p);

// One trial's samples (W·H) by its index k (0 … N − 1); fails naming the
// trial when it cannot give them.
using TrialSource = std::function<std::vector<double>(bool present, std::int32_t k)>;

struct ObserverStudyOutcome {
    double channel_width = 0;
    TrialStudy study;
};

// The responses of every trial, the study and its console text.
ObserverStudyOutcome compute_observer_study(const ObserverStudyParameters& p, const TrialSource& trials,
                                            MessageSink& sink);

// A trial file as the tool reads it: exactly W·H float32 samples, all finite.
std::vector<double> read_trial_file(const std::string& name, std::int64_t samples);

void write_observer_table(const ObserverStudyParameters& p, const ObserverStudyOutcome& o);

// The whole run as the tool does it.
void run_observer_study(const ObserverStudyParameters& p, MessageSink& sink);
