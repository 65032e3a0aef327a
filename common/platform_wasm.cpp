// WebAssembly's answers to platform.h and platform_posix_system.h, asked of
// the JavaScript host: emscripten's own standard streams claim to be
// terminals, its memory is the heap the module may still grow to, its C
// library (musl) knows code page 932 as SHIFT_JIS, its file names are
// JavaScript strings, and its umask starts as 0777.

#include <emscripten.h>
#include <emscripten/heap.h>
#include <iconv.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/platform.h"
#include "common/platform_posix_system.h"

namespace {

// The EM_JS bodies are JavaScript, which clang-format would take for C++.
// clang-format off
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
// Whether the host file is a fifo that nobody reads: node opens it for
// writing without blocking (ENXIO when no reader); never in a browser.
EM_JS(int, host_fifo_without_reader, (const char* name), {
    if (typeof process != "object" || !process.versions || !process.versions.node) return 0;
    const fs = require("fs");
    let fd;
    try {
        if (!fs.statSync(UTF8ToString(name)).isFIFO()) return 0;
        fd = fs.openSync(UTF8ToString(name), fs.constants.O_WRONLY | fs.constants.O_NONBLOCK);
    } catch (e) {
        return e.code === "ENXIO" ? 1 : 0;
    }
    fs.closeSync(fd);
    return 0;
});
// clang-format on

// The bytes decoded from `encoding` to UTF-8, or false where they are not
// that encoding's (musl counts a character it replaced by "*").
bool decoded_to_utf8(const char* encoding, const std::string& bytes, std::string& utf8) {
    iconv_t cd = iconv_open("UTF-8", encoding);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    utf8.assign(bytes.size() * 3, '\0');  // no character grows beyond three times its bytes
    char* in_ptr = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    char* out_ptr = utf8.data();
    std::size_t out_left = utf8.size();
    const bool decoded = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == 0 && in_left == 0;
    iconv_close(cd);
    utf8.resize(utf8.size() - out_left);
    return decoded;
}

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

bool fifo_without_reader(const std::string& name) { return host_fifo_without_reader(name.c_str()) != 0; }

std::string system_file_name(const std::string& typed) {
    std::string name;
    if (decoded_to_utf8("UTF-8", typed, name) || decoded_to_utf8("SHIFT_JIS", typed, name)) return name;
    return typed;  // neither: the bytes as they are
}
