#pragma once
// The display window of the viewer: a linear map from sample values to the
// 8-bit grey levels of a picture, lowest value black, highest value white.

#include <cstdint>
#include <vector>

struct DisplayWindow {
    double low;  // shown black (grey level 0)
    double high;  // shown white (grey level 255)
};

// The smallest and the largest finite sample; NaN and infinities are left
// out. {0, 0} when no sample is finite (or count is 0 or less).
DisplayWindow finite_range(const double* samples, std::int64_t count);

// The window asked for, or the image's own finite range when both ends
// were answered 0.
DisplayWindow choose_window(const double* samples, std::int64_t count, double low, double high);

// The grey level of one value: ((value − low) / (high − low)) × 255 rounded
// to the nearest level, clamped to 0 … 255. A window with high below low
// shows the image inverted. NaN is black. A window of zero width is the
// limit of a narrow window above `low`: values up to `low` black, values
// above it white.
unsigned char grey_level(double value, DisplayWindow window);

// The grey levels of a width × height image, row 0 first, in sample order.
std::vector<unsigned char> map_to_grey(const std::vector<double>& image, std::int32_t width, std::int32_t height,
                                       DisplayWindow window);

// Fails (an unusable value) unless both sides are 1 or more:
// a picture has at least one pixel, and sizes of 0 or less have no PNG form.
void require_picture_size(std::int32_t width, std::int32_t height);
