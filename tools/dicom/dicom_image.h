#pragma once
// CT images in DICOM files, read and written through GDCM: the pixels as
// modality values (CT numbers for CT), with the header facts a learner
// needs beside them (size, pixel spacing, rescale, stored window, modality,
// transfer syntax).

#include <cstdint>
#include <string>
#include <vector>

struct DicomFacts {
    std::int32_t rows = 0, columns = 0, frames = 1;
    bool has_spacing = false;
    double row_spacing_mm = 0, column_spacing_mm = 0;  // Pixel Spacing: between rows, between columns
    double slope = 1, intercept = 0;  // Rescale Slope and Intercept (1 and 0 when absent)
    bool has_window = false;
    double window_centre = 0, window_width = 0;  // the first window the file stores
    std::string modality;
    std::string transfer_syntax_uid, transfer_syntax_name;
    std::string photometric;
    std::int32_t bits_allocated = 0, bits_stored = 0;
    bool is_signed = false;
};

// One frame of an image in modality values, row after row (row 0 the top).
struct DicomImage {
    DicomFacts facts;
    std::vector<double> values;
};

// The image in the bytes of a DICOM file named `name` (for the messages),
// frame `frame` (1 the first). Fails (a value) naming the file and what is
// wrong: not DICOM, no pixel data, a transfer syntax or photometric
// interpretation that is not read, a pixel data length that does not match
// the declared size, a frame out of range.
DicomImage read_dicom_image(const std::string& name, const std::string& bytes, std::int32_t frame);

// What goes into a written CT image besides its pixels.
struct DicomWriting {
    double pixel_mm = 1;  // square pixels
    double window_centre = 40, window_width = 400;  // HU
};

// The bytes of a DICOM CT Image (Explicit VR Little Endian) of one frame
// of CT numbers, stored as signed 16-bit integers with Rescale Slope 1 and
// Intercept 0: each value rounded to the nearest integer (ties to even),
// values beyond −32768 … 32767 clamped and NaN written as 0, their number
// returned in `clamped`. Study, series, frame of reference and instance get
// UIDs made from the pixels and the header's answers: new for every other
// image, the same when the same image is written again.
std::string dicom_ct_bytes(const std::vector<double>& hounsfield, std::int32_t width, std::int32_t height,
                           const DicomWriting& writing, std::int64_t& clamped);
