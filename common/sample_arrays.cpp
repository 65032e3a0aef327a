#include "common/sample_arrays.h"

#include <cstdio>
#include <cstdlib>

#include "common/console_text.h"
#include "common/platform.h"
#include "common/run_events.h"

void require_sample_count(std::int64_t count, const char* what) {
    if (count >= 0) return;
    fail_with(" エラー：データ数が負です[%s = %lld].\n", Text{what},
              static_cast<long long>(count));
}

bool memory_suffices(std::int64_t count, std::int64_t element_bytes) {
    const long double available = available_memory_bytes();
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
    run_events::failure_bytes(bytes);
    fail_with_kind(FailureKind::memory, " エラー：メモリが足りません[%.0Lf バイト].\n", bytes);
}
