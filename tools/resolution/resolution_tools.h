#pragma once
// The resolution tools' computations, shared by their mains and the Python
// module: from the answers and the edge image (height × width, read when
// the computation reaches it) to the image or the profiles. The tilt line
// and the warnings about the edge go to the sink.

#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "tools/resolution/resolution_questions.h"

// step_target: the slanted edge image.
std::vector<double> draw_step_target(const StepTargetParameters& p);

struct SlantProfile {
    double tilt_degrees = 0;  // as the tilt line shows it
    std::vector<double> esf;  // `points` samples (esf.txt)
    std::vector<double> lsf;  // `points` samples
};

// slant_profile: the ESF and LSF of the edge; fails before any result when
// the edge cannot be found.
SlantProfile measure_slant_profile(const SlantProfileParameters& p, const SampleSource& image, MessageSink& sink);

// transfer_curve: the MTF of `points` samples, through the LSF of twice as
// many; the point count is checked before anything else.
std::vector<double> measure_transfer_curve(const TransferCurveParameters& p, const SampleSource& image,
                                           MessageSink& sink);
