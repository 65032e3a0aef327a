#pragma once
// Rasterising a filled, rotated ellipse by 16 × 16 supersampling of every
// pixel. Centre and radii are in half image sizes (x values times the
// integer W/2, y values times the integer H/2), the angle in degrees,
// counter-clockwise with row 0 at the top.

#include <cstdint>
#include <vector>

struct Ellipse {
    double centre_x;
    double centre_y;
    double radius_x;  // along the ellipse's own x axis
    double radius_y;  // along the ellipse's own y axis
    double angle;  // degrees
    double value;  // added inside the ellipse
};

// Adds the ellipse to the W × H image: each pixel gains value × (inside
// samples) / 256. Nothing is drawn when W or H is 0 or less.
void draw_ellipse(std::vector<double>& image, std::int32_t width, std::int32_t height, const Ellipse& e);
