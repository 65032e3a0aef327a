#pragma once
// The ellipse parameter file of oval_stack: lines of at most 255 bytes;
// "#" lines are comments, echoed as they stand; every other line holds six
// tab-separated numbers (centre x, centre y, radius x, radius y, angle in
// degrees, value), echoed as read.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/message.h"
#include "tools/phantom/ellipse.h"

struct EllipseFileResult {
    std::vector<Ellipse> ellipses;
    std::optional<Message> fault;  // none when `count` ellipses were read
    std::string error;  // its text in UTF-8, empty when none
};

// Reads `count` ellipses from an open stream, echoing comments and the
// values read to `echo` (when it is not null). Stops at the first fault (the input ends early, a
// line longer than 255 bytes, a data line with fewer than six fields) with
// a one-line message that names the file and the line.
EllipseFileResult read_ellipses(std::FILE* in, const std::string& file_name, std::int32_t count,
                                std::FILE* echo);

// oval_stack's ellipses: `count` of them from the named file, echoed to
// `echo` (when not null). Fails when the file cannot be opened, and with
// the reader's message at its first fault.
std::vector<Ellipse> load_ellipses(const std::string& file_name, std::int32_t count, std::FILE* echo);

// The same from the text of such a file (named "<text>" in the messages).
std::vector<Ellipse> ellipses_from_text(const std::string& text, std::int32_t count, std::FILE* echo);
