#pragma once
// 8-bit greyscale PNG files, written whole or not at all.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Encodes a width × height greyscale picture (row 0 at the top, one byte
// per pixel) as a PNG into an open stream. False when the encoder (libpng,
// or stb on Windows) fails or a write does not go through; the encoder's
// own messages are kept quiet.
bool encode_grey_png(std::FILE* out, const unsigned char* grey, std::uint32_t width, std::uint32_t height);

// Writes the picture as a PNG file named `name`, whole or not at all (as
// every output of the suite). A file that cannot be created ends the tool
// through fail_open, a failed write through fail_write, both naming `name`.
void write_grey_png(const std::string& name, const std::vector<unsigned char>& grey, std::int32_t width,
                    std::int32_t height);
