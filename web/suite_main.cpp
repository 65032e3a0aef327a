// The module's entry: `ct_suite <tool> [arguments...]` runs that tool's
// main with `<tool> [arguments...]` as its command line. Every run gets a
// fresh instance of the module (web/run_tool.js), so each tool starts with
// the program state it would have as a program of its own.

#include <cstdio>
#include <cstring>

#include "web/programs.h"

int main(int argc, char** argv) {
    if (argc >= 2) {
        for (std::size_t i = 0; i < program_count; ++i) {
            if (std::strcmp(argv[1], programs[i].name) == 0) return programs[i].main(argc - 1, argv + 1);
        }
    }
    std::fprintf(stderr, "ct_suite: no program \"%s\"; the programs are:\n", argc >= 2 ? argv[1] : "");
    for (std::size_t i = 0; i < program_count; ++i) std::fprintf(stderr, "  %s\n", programs[i].name);
    return 127;
}
