#pragma once
// MD5 (RFC 1321) of a byte string, for name-based UUIDs (version 3): the
// suite's own, so that the UIDs of a written file are the same in every
// build whatever the DICOM library was built with.

#include <array>
#include <cstdint>
#include <string>

std::array<std::uint8_t, 16> md5_digest(const std::string& bytes);
