#pragma once
// The slanted-edge test object: dark (0) on the left, bright (1) on the
// right, a logistic transition across the line through the image centre
// tilted by the given angle from the vertical.

#include <cstdint>
#include <vector>

// Sets every pixel of the W × H image to 1 / (exp((x·cos θ + y·sin θ) × (−gain)) + 1),
// x = j − W/2, y = H/2 − i (integer halves), θ the angle in radians.
void draw_step_edge(std::vector<double>& image, std::int32_t width, std::int32_t height, std::int32_t gain,
                    double angle_degrees);
