#pragma once
// What the tools need from the operating system, behind one small interface
// each: platform_posix.cpp on Linux and other POSIX systems,
// platform_windows.cpp on Windows. CMake compiles exactly one of them.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// True when the stream is an interactive console or terminal.
bool is_terminal(std::FILE* stream);

// True when a terminal shows UTF-8: on POSIX a locale (LC_ALL, LC_CTYPE or
// LANG) that names UTF-8, on Windows a console output code page of 65001.
bool terminal_shows_utf8();

// Bytes the system can still give without swapping others out, or -1 when
// that is not known.
long double available_memory_bytes();

// The UTF-8 text in code page 932 (Shift_JIS) bytes; characters without a
// code page 932 form become "?".
std::string utf8_to_cp932(std::string_view utf8);

// Opens an existing file for reading with the C library's `mode` ("rb" or
// "r"), the name as the dialogue read it. On Windows those are the bytes
// typed at the console, decoded by the console's input code page (code page
// 932, Shift_JIS, without a console) and opened as that wide name, whatever
// the system's ANSI code page is.
std::FILE* open_for_reading(const std::string& name, const char* mode);

// Why the system would not open `name` as it was given, or nullptr: on
// Windows a name that ends in blanks (or is nothing but blanks), since
// Windows drops trailing blanks and would open another file.
const char* file_name_problem(const std::string& name);

// Size in bytes of the regular file open on `stream`; -1 for anything else
// (a device, a pipe, a folder) or when it is not known.
std::int64_t regular_file_size(std::FILE* stream);

// Size in bytes of the regular file of that name, -1 when there is none
// (no such name, a folder, a device) or it cannot be looked at. Nothing is
// opened: a fifo is not waited on.
std::int64_t file_size_by_name(const std::string& name);

// Opens `name` (as the environment gave it) to append to, without waiting
// for anything: a fifo that no process reads is refused (on POSIX with
// ENXIO) rather than waited on for ever. Nullptr on failure, `error` then
// holding the errno.
std::FILE* open_for_appending(const std::string& name, int& error);

// True when `environment_name` (a name as the environment gave it) and
// `typed` (a name as the dialogue read it) reach the same file: the same
// file where both exist, otherwise the same absolute, normalised path.
bool same_file(const std::string& environment_name, const std::string& typed);

// A regular file being written under a temporary identity and put in place
// of its target only once complete.
struct PendingOutput {
    std::FILE* stream = nullptr;
    std::string temporary;  // a named temporary file to move over the target, if any
    bool unnamed = false;  // the stream is an unnamed file, named only when finished
};

// Opens `name` for writing in binary mode. Devices, pipes and links are
// opened in place; a regular file or a new name gets a temporary file in the
// same folder. False, with nothing changed, exactly where creating or
// truncating `name` would fail.
bool open_pending_output(const std::string& name, PendingOutput& output);

// Closes the stream (already flushed) and puts the temporary file in place
// of `name`. False when that fails; the temporary file is then gone.
bool finish_pending_output(const std::string& name, PendingOutput& output);

// Closes and removes an unfinished output; the previous file stays.
void drop_pending_output(PendingOutput& output);
