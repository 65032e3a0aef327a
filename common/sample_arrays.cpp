#include "common/sample_arrays.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "common/console_text.h"

void require_sample_count(std::int64_t count, const char* what) {
    if (count >= 0) return;
    std::fflush(stdout);
    console_printf(stderr, " エラー：データ数が負です[%s = %lld].\n", console_encoding_of(stderr, what).c_str(),
                   static_cast<long long>(count));
    std::exit(1);
}

bool memory_suffices(std::int64_t count, std::int64_t element_bytes) {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return true;  // unknown: let the allocator decide
    const long double wanted = static_cast<long double>(count) * static_cast<long double>(element_bytes);
    return wanted <= static_cast<long double>(pages) * static_cast<long double>(page_size);
}

void fail_memory(std::int64_t count, std::int64_t element_bytes) {
    std::fflush(stdout);
    const long double bytes = static_cast<long double>(count) * static_cast<long double>(element_bytes);
    console_printf(stderr, " エラー：メモリが足りません[%.0Lf バイト].\n", bytes);
    std::exit(1);
}
