#pragma once
// The parameter records and question tables of the detectability tools: one
// record and one table per tool, shared by its main, its --help text and the
// Python module.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct DetectabilityParameters {
    std::int32_t mtf_kind;  // 0: a table of transfer_curve, 1: a Gaussian MTF
    std::string mtf_input;
    double mtf_spacing;  // transfer_curve's sample spacing (pixels)
    double mtf_sigma;  // mm
    std::int32_t nps_kind;  // 0: NNPS image, 1: NPS image, 2: NPS grid table, 3: white noise
    std::string nps_input;  // the NNPS or NPS image, or the NPS table
    std::int32_t nps_row;  // 1 …
    double noise_sigma;  // white noise: standard deviation of a pixel
    std::int32_t width, height;
    double pixel_size;  // mm
    std::int32_t task_kind;  // 0: flat disc, 1: designer disc, 2: blurred disc
    double diameter, contrast, exponent, blur;
    double eye_exponent, eye_peak, viewing_distance, display_pitch, zoom;
    double internal_noise;  // α
    double diameter_start, diameter_step;
    std::int32_t diameter_count;
    std::string output, diameter_output, integrand_output;
};
ToolDialogue detectability_dialogue(DetectabilityParameters& p);

// observer_study reads the trials present_1.img … present_N.img and
// absent_1.img … absent_N.img of the working folder.
struct ObserverStudyParameters {
    std::int32_t trials;  // N of each kind
    std::int32_t width, height;
    double pixel_size;  // mm
    std::int32_t task_kind;  // as detectability's
    double diameter, exponent, blur;
    std::int32_t resamples;  // bootstrap
    std::int32_t pattern;  // the generator's start for the bootstrap, 1 …
    std::string output;
};
ToolDialogue observer_study_dialogue(ObserverStudyParameters& p);

// detection_trials writes the trials present_1.img … present_N.img and
// absent_1.img … absent_N.img into the working folder, as observer_study
// reads them.
struct DetectionTrialsParameters {
    std::int32_t trials;  // N of each kind
    std::int32_t side;  // the image's width and height, the projection's bins
    double pixel_length;  // cm
    double background;  // μ of the water disc, 1/cm
    double diameter;  // the lesion's, mm
    double contrast;  // the lesion's μ above the background, 1/cm
    std::int32_t incident;  // photons per ray
    std::int32_t angles;
    std::int32_t first_seed;  // present trial k: first_seed + k − 1; absent: 100000 more
};
ToolDialogue detection_trials_dialogue(DetectionTrialsParameters& p);
