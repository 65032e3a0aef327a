#pragma once
// The computations of dicom_to_raw and raw_to_dicom, shared by their mains
// and the Python module: the answers checked, the image converted, what
// the console shows sent to a sink.

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/raw_file.h"
#include "common/run_events.h"
#include "tools/dicom/dicom_image.h"
#include "tools/dicom/dicom_questions.h"

// Refuses answers the conversion cannot use (a unit other than 0, 1, 2, a
// water μ that is not positive, a frame below 1); before any file is read.
void check_dicom_to_raw(const DicomToRawParameters& p);
void check_raw_to_dicom(const RawToDicomParameters& p);

// The image of the DICOM file's bytes in the unit the answers ask for, its
// header facts shown to the sink; the values replaced by the converted ones.
DicomImage dicom_to_raw_image(const DicomToRawParameters& p, const std::string& bytes, MessageSink& sink);

// The header facts as the run's events report them with the file.
run_events::FileInside file_inside(const DicomFacts& facts, std::int32_t frame);

// The DICOM file's bytes of the raw image the source gives.
std::string raw_to_dicom_bytes(const RawToDicomParameters& p, const SampleSource& source, MessageSink& sink);

// The whole file as bytes; one that cannot be opened ends the run
// (fail_open). A file larger than `limit` bytes is refused before it is read.
std::string whole_file(const std::string& name, std::int64_t limit);
