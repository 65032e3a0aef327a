#include "common/code_path.h"

bool vector_code_available() {
#if CT_AVX2_BUILT
    static const bool available = __builtin_cpu_supports("avx2");
#else
    constexpr bool available = false;
#endif
    return available;
}
