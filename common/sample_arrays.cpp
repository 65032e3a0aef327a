#include "common/sample_arrays.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "common/console_text.h"

void require_sample_count(std::int64_t count, const char* what) {
    if (count >= 0) return;
    fail_with(" エラー：データ数が負です[%s = %lld].\n", message_text(what).c_str(),
              static_cast<long long>(count));
}

namespace {

// Bytes the system can still give without swapping others out: MemAvailable,
// or the physical memory where that is not known.
long double available_bytes() {
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

}  // namespace

bool memory_suffices(std::int64_t count, std::int64_t element_bytes) {
    const long double available = available_bytes();
    if (available < 0) return true;  // unknown: let the allocator decide
    // One array may take at most half of what is available: a tool holds
    // several, and a request near the limit would only end in the system's
    // out-of-memory killer, perhaps of another program.
    return static_cast<long double>(count) * static_cast<long double>(element_bytes) <= available / 2;
}

void require_memory(std::int64_t count, std::int64_t element_bytes) {
    if (!memory_suffices(count, element_bytes)) fail_memory(count, element_bytes);
}

void fail_memory(std::int64_t count, std::int64_t element_bytes) {
    const long double bytes = static_cast<long double>(count) * static_cast<long double>(element_bytes);
    fail_with_kind(FailureKind::memory, " エラー：メモリが足りません[%.0Lf バイト].\n", bytes);
}
