#pragma once
// The parameter records and question tables of the fan-beam tools: one
// record and one table per tool, shared by its main, its --help text and
// the Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct FanRaysumParameters {
    std::string input;
    std::int32_t input_kind;  // 1: a raw image, 2: an ellipse parameter file
    std::int32_t ellipse_count;
    std::int32_t width, height;
    double pixel_length;
    std::string output, geometry;
    double source_distance, detector_distance;
    std::int32_t detector, bins;
    double angular_spacing;  // degrees, curved detector
    double spacing;  // cm at the detector, flat detector
    double offset;  // bins
    std::int32_t views, scan;
    double range;  // degrees, scan 3
};
ToolDialogue fan_raysum_dialogue(FanRaysumParameters& p);

struct FanReconstructParameters {
    std::string input, geometry;
    std::int32_t bins, views;
    std::string output;
    std::int32_t width, height;
    double pixel_length;
    std::int32_t window;  // 0: the bare ramp, 1 … 5: cosine windows W0 … W4
    std::int32_t parker;
};
ToolDialogue fan_reconstruct_dialogue(FanReconstructParameters& p);

struct FanRebinParameters {
    std::string input, geometry;
    std::int32_t bins, views;
    std::string output;
    std::int32_t parallel_bins, angles;
    double pixel_length;
    std::int32_t interpolation;  // 1: nearest, 2: linear
};
ToolDialogue fan_rebin_dialogue(FanRebinParameters& p);
