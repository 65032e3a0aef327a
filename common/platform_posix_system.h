#pragma once
// What platform_posix.cpp asks of the system it runs on: answered by
// platform_linux.cpp on Linux and by platform_wasm.cpp in WebAssembly.

#include <sys/types.h>

#include <string>

// iconv's converter to code page 932 (Shift_JIS with Microsoft's
// extensions): its name, and whether it writes a substitute of its own for
// a character it cannot convert (counted as an irreversible conversion)
// where others fail.
struct Cp932Converter {
    const char* name;
    bool substitutes;
};
Cp932Converter cp932_converter();

// The name the system knows the file `typed` by (the bytes the dialogue
// read): on Linux those very bytes; in WebAssembly, whose file names are
// JavaScript strings, UTF-8, so a name that is not UTF-8 is read as code
// page 932, the console's encoding, rather than losing its characters.
std::string system_file_name(const std::string& typed);

// True when `name` is a fifo that no process reads, known without waiting:
// on Linux opening it for writing without blocking tells (so this says
// false and the opening itself refuses); node's file system under
// WebAssembly drops that flag, so there node is asked directly.
bool fifo_without_reader(const std::string& name);

// The permission bits a new file does not get (the umask).
mode_t file_creation_mask();
