#pragma once
// reconstruct's computation, shared by its main and the Python module: the
// image (height × width) by filtered back projection of the sinogram
// (angles × bins), read when the computation reaches it. The stage lines
// " *** Read projection data ***", " *** Reconstruction ***" and " *** Write
// image data ***" and the progress of the coefficient tables go to the sink.

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "tools/projection/projection_tools.h"
#include "tools/recon/recon_questions.h"

Measured reconstruct_image(const ReconstructParameters& p, const SampleSource& sinogram, MessageSink& sink);
