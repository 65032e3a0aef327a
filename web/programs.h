#pragma once
// Every tool of the module by name: its main, compiled as ct_main_<tool>.

#include <cstddef>

struct Program {
    const char* name;
    int (*main)(int argc, char** argv);
};

extern const Program programs[];
extern const std::size_t program_count;
