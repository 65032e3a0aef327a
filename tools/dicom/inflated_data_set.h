#pragma once
// The data set of a file of the Deflated transfer syntax, inflated (raw
// deflate, no zlib header, as DICOM stores it) up to a limit, so that its
// elements can be checked before GDCM reads them.

#include <cstddef>
#include <string>

// The inflated bytes of `bytes` from `from` on, into `out`. False when the
// stream is broken or would inflate to more than `limit` bytes (`out` then
// holds what was inflated before).
bool inflate_data_set(const std::string& bytes, std::size_t from, std::size_t limit, std::string& out);
