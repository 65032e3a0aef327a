#pragma once
// raw_region: a rectangle of a raw image as an image of its own, so that a
// measurement made on a whole image (the noise power spectrum, the mean and
// its spread) can be made on one uniform part of a real scan.

#include <vector>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tools/viewer/viewer_questions.h"

// Fails unless the rectangle lies inside the image, each side at least one
// pixel.
void check_raw_region_answers(const RawRegionParameters& p);
// The rectangle's samples, row after row (region_height × region_width).
std::vector<double> take_raw_region(const RawRegionParameters& p, const SampleSource& image);
