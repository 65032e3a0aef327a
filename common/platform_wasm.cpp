// WebAssembly's answers to platform.h and platform_posix_system.h, asked of
// the JavaScript host: emscripten's own standard streams claim to be
// terminals, its memory is the heap the module may still grow to, its C
// library (musl) knows code page 932 as SHIFT_JIS, and its umask starts as
// 0777.

#include <emscripten.h>
#include <emscripten/heap.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "common/platform.h"
#include "common/platform_posix_system.h"

namespace {

// Whether the host's stream `fd` (0, 1, 2) is a terminal: as web/run_tool.js
// was told, else node's own answer; never in a browser.
EM_JS(int, host_stream_is_terminal, (int fd), {
    if (Module["ctTerminals"]) return Module["ctTerminals"][fd] ? 1 : 0;
    if (typeof process == "object" && process.versions && process.versions.node) {
        return require("tty").isatty(fd) ? 1 : 0;
    }
    return 0;
});

// The host's umask: node's, or the usual 022 in a browser.
EM_JS(int, host_file_creation_mask, (), {
    if (typeof process == "object" && process.versions && process.versions.node) {
        const mask = process.umask(0);
        process.umask(mask);
        return mask;
    }
    return 18;
});

}  // namespace

bool is_terminal(std::FILE* stream) {
    const int fd = fileno(stream);
    return fd >= 0 && fd <= 2 && host_stream_is_terminal(fd) != 0;
}

long double available_memory_bytes() {
    // What the heap may still grow by, and what the allocator holds free.
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const long double growth = static_cast<long double>(emscripten_get_heap_max()) - static_cast<long double>(end);
    return (growth > 0 ? growth : 0) + static_cast<long double>(mallinfo().fordblks);
}

// musl writes "*" for a character without a form and counts it.
Cp932Converter cp932_converter() { return {"SHIFT_JIS", true}; }

mode_t file_creation_mask() { return static_cast<mode_t>(host_file_creation_mask()); }
