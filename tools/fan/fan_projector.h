#pragma once
// Fan-beam line integrals: one ray from the source through the centre of
// every detector bin, for every view (views × bins, row major).
//
// Of an image: every pixel is a uniform unit square (the suite's pixel
// model), so the integral along a ray is exact: the sum of the ray's path
// length through each pixel times its value, pixel after pixel from the
// source side, times the pixel length Δ (cm). Of ellipses (as oval_stack
// draws them): the exact chords, before any sampling into pixels, so that
// a learner can tell the pixels' share of an error from the reconstruction's.

#include <cstdint>
#include <vector>

#include "tools/fan/fan_geometry.h"
#include "tools/phantom/ellipse.h"

// A ray in pixel units (the image's x to the right, y upwards, origin at
// the isocentre): from `from` along the unit vector `direction`.
struct FanRay {
    double from_x, from_y;
    double direction_x, direction_y;
};

// The ray of view i and bin b, in pixel units for pixel length Δ.
FanRay fan_ray(const FanGeometry& g, std::int32_t view, std::int32_t bin, double pixel_length);

// ∫ image along the ray, in pixel lengths × value (times Δ for cm): the
// exact sum over the unit-square pixels it crosses, in the order it
// crosses them.
double pixel_path_integral(const double* image, std::int32_t width, std::int32_t height, const FanRay& ray);

// ∫ of the ellipses' values along the ray, in pixel lengths × value, the
// ellipses' centres and radii in half image sizes as oval_stack takes them.
double ellipse_path_integral(const std::vector<Ellipse>& ellipses, std::int32_t width, std::int32_t height,
                             const FanRay& ray);

// The fan sinogram (views × bins) of the image, or of the ellipses, in line
// integrals (value × cm).
std::vector<double> fan_project_image(const double* image, std::int32_t width, std::int32_t height,
                                      double pixel_length, const FanGeometry& g);
std::vector<double> fan_project_ellipses(const std::vector<Ellipse>& ellipses, std::int32_t width,
                                         std::int32_t height, double pixel_length, const FanGeometry& g);
