#pragma once
// Decoding the viewer's pictures in the tests, through libpng's own reader.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct GreyPicture {
    bool ok = false;  // the file decoded as a PNG
    bool plain_grey = false;  // stored as 8-bit greyscale without alpha or palette
    std::uint32_t width = 0, height = 0;
    std::vector<unsigned char> pixels;  // row 0 first
};

GreyPicture read_grey_png(const std::filesystem::path& file);
