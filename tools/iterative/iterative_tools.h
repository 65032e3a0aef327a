#pragma once
// The iterative tools' computations, shared by their mains and the Python
// module. Every answer is checked before anything is read or written: an
// unusable one fails with a message that names it, and so does an input
// file whose size is not that of the answers.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/message.h"
#include "common/message_sink.h"
#include "common/raw_file.h"
#include "tools/iterative/iterative_questions.h"

// The step between view numbers: `step`, or for 0 the views spread evenly
// over the half turn (full / views), which fails unless views divides full.
std::int32_t resolved_view_step(std::int32_t full, std::int32_t views, std::int32_t step);

// Fails unless every answer of iterative_recon can be used.
void check_iterative_answers(const IterativeReconParameters& p);

// Fails unless the regular file `name` holds exactly `count` samples
// (`what` names the answers they come from); a device or pipe is not checked.
void require_raw_file_samples(const std::string& name, std::int64_t count, const char* what);

// One line of the residual table.
struct IterationRecord {
    std::int32_t iteration;
    double residual;  // ‖y − A x‖ of the views, line integrals
    double rmse;  // against the reference image (1/cm); NaN without one
};

struct IterativeOutcome {
    std::vector<double> image;  // after the last iteration
    std::vector<IterationRecord> table;  // iteration 0 (the start image) first
};

// The line of the table and its header, as the tool writes them.
std::string iteration_table_header(bool with_reference);
std::string iteration_table_line(const IterationRecord& record, bool with_reference);

// Runs the method: the sinogram (angles × bins) is read, then the reference
// (W × H) when one is given; `saved` gets each image to keep (saves_image_after)
// but the last, as soon as its iteration ends. One line per iteration goes to
// the sink.
IterativeOutcome iterative_reconstruction(const IterativeReconParameters& p, const SampleSource& sinogram,
                                          const SampleSource* reference, MessageSink& sink,
                                          const std::function<void(std::int32_t, const std::vector<double>&)>& saved);

// view_subset: fails unless the answers can be used, then the rows
// first_view, first_view + view_step, … of the sinogram.
void check_view_subset_answers(const ViewSubsetParameters& p);
std::vector<double> take_view_subset(const ViewSubsetParameters& p, const SampleSource& sinogram);
// What view_subset tells about the views it wrote: their angles and the
// answers that iterative_recon takes for them.
Message view_subset_report(const ViewSubsetParameters& p);
