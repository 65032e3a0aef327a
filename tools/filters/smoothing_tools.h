#pragma once
// The smoothing filters' computations, shared by their mains and the Python
// module: the smoothed image (height × width, row major) from the answers
// and the input image, read when the computation reaches it. The kernel of
// kernel_smooth and the row progress go to the sink.

#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "tools/filters/filters_questions.h"

// box_smooth: the 3 × 3 moving average.
std::vector<double> box_smoothed(const BoxSmoothParameters& p, const SampleSource& image);

// kernel_smooth: the weighted 3 × 3 average; the kernel is shown first.
std::vector<double> kernel_smoothed(const KernelSmoothParameters& p, const SampleSource& image, MessageSink& sink);

// bell_smooth: the Gaussian of a FWHM in pixels.
std::vector<double> bell_smoothed(const BellSmoothParameters& p, const SampleSource& image);

// rank_smooth: the median filter; an empty window is refused first.
std::vector<double> rank_smoothed(const RankSmoothParameters& p, const SampleSource& image, MessageSink& sink);

// edge_preserve: the bilateral filter.
std::vector<double> edge_preserved(const EdgePreserveParameters& p, const SampleSource& image, MessageSink& sink);
