#include "common/code_path.h"

#include "common/compiler.h"

namespace {

VectorCode fastest_code() {
#if defined(CT_HAS_AVX2_LANES)
    if (__builtin_cpu_supports("avx2")) return VectorCode::avx2;
#elif defined(__wasm_simd128__)
    return VectorCode::simd128;
#endif
    return VectorCode::none;
}

}  // namespace

VectorCode vector_code(CodePath path) {
    static const VectorCode fastest = fastest_code();
    return path == CodePath::fastest ? fastest : VectorCode::none;
}

bool vector_code_available() { return vector_code(CodePath::fastest) != VectorCode::none; }
