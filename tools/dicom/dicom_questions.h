#pragma once
// The parameter records and question tables of the DICOM tools, shared by
// their mains, their --help text and the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct DicomToRawParameters {
    std::string input;
    std::int32_t frame;
    std::int32_t unit;  // ImageUnit
    double water_mu;
    std::string output;
};
ToolDialogue dicom_to_raw_dialogue(DicomToRawParameters& p);

struct RawToDicomParameters {
    std::string input;
    std::int32_t width, height;
    std::int32_t unit;  // ImageUnit
    double water_mu;
    double pixel_mm;
    double window_centre, window_width;
    std::string output;
};
ToolDialogue raw_to_dicom_dialogue(RawToDicomParameters& p);
