#pragma once
// The fan-beam tools' computations, shared by their mains and the Python
// module: every answer is checked first (a refusal names the answer and
// nothing is written), then the input is read when the computation reaches it.

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "tools/fan/fan_geometry.h"
#include "tools/fan/fan_questions.h"
#include "tools/phantom/ellipse.h"

// fan_raysum's geometry from its answers (the short scan's range from the
// detector), and the check of every answer.
FanGeometry fan_raysum_geometry(const FanRaysumParameters& p);
void check_fan_raysum_answers(const FanRaysumParameters& p);

// fan_raysum: the fan sinogram (views × bins) of the image, or of the
// ellipses when the input is an ellipse file.
std::vector<double> fan_raysum_of_image(const FanRaysumParameters& p, const SampleSource& image, MessageSink& sink);
std::vector<double> fan_raysum_of_ellipses(const FanRaysumParameters& p, const std::vector<Ellipse>& ellipses,
                                           MessageSink& sink);

// The answers of fan_reconstruct and fan_rebin against the geometry file's
// text (the file's own name for the messages).
void check_fan_reconstruct_answers(const FanReconstructParameters& p, const FanGeometry& g);
void check_fan_rebin_answers(const FanRebinParameters& p, const FanGeometry& g);

// fan_reconstruct: the image in 1/cm.
std::vector<double> fan_reconstruct_from(const FanReconstructParameters& p, const FanGeometry& g,
                                         const SampleSource& sinogram, MessageSink& sink);

// fan_rebin: the parallel sinogram (angles × parallel bins), line integrals.
std::vector<double> fan_rebin_from(const FanRebinParameters& p, const FanGeometry& g, const SampleSource& sinogram,
                                   MessageSink& sink);

// Refuses a raw file whose size is not `count` samples (a missing file is
// left for the read to report).
void require_fan_file_samples(const std::string& name, std::int64_t count, const char* what);
