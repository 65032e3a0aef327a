#include "common/code_path.h"

bool vector_code_available() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}
