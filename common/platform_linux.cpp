// Linux's answers to platform.h and platform_posix_system.h: terminals
// through isatty, memory from /proc/meminfo, glibc's CP932 converter and
// the process's umask.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "common/platform.h"
#include "common/platform_posix_system.h"

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

long double available_memory_bytes() {
    // MemAvailable, or the physical memory where that is not known.
    if (std::FILE* info = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        long long kib = -1;
        while (std::fgets(line, sizeof line, info) != nullptr) {
            if (std::sscanf(line, "MemAvailable: %lld kB", &kib) == 1) break;
        }
        std::fclose(info);
        if (kib > 0) return static_cast<long double>(kib) * 1024;
    }
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return -1;
    return static_cast<long double>(pages) * static_cast<long double>(page_size);
}

Cp932Converter cp932_converter() { return {"CP932", false}; }

std::string system_file_name(const std::string& typed) { return typed; }

bool fifo_without_reader(const std::string&) { return false; }  // open(O_NONBLOCK) refuses it with ENXIO

mode_t file_creation_mask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}
