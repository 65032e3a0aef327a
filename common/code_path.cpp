#include "common/code_path.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/compiler.h"
#include "common/lane_trial.h"

namespace {

bool runs_here(VectorCode code) {
    const std::vector<VectorCode> codes = runnable_vector_codes();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// The form asked for by CT_VECTOR_CODE, if it names one that runs here.
bool asked_code(VectorCode& code) {
    const char* asked = std::getenv("CT_VECTOR_CODE");
    if (asked == nullptr || *asked == '\0') return false;
    for (VectorCode c : {VectorCode::none, VectorCode::avx2, VectorCode::avx512, VectorCode::simd128}) {
        if (std::strcmp(asked, vector_code_name(c)) != 0) continue;
        if (runs_here(c)) {
            code = c;
            return true;
        }
        break;
    }
    std::fprintf(stderr, "CT_VECTOR_CODE=%s: no such vector code runs here; the fastest one runs\n", asked);
    return false;
}

VectorCode first_choice() {
    VectorCode code = VectorCode::none;
    if (asked_code(code)) return code;
    // The last form that runs is the widest. Some processors lower their
    // clock for 512-bit code: AVX-512 (which comes with AVX2) runs where it
    // is faster there, not merely where it exists.
    const VectorCode widest = runnable_vector_codes().back();
    if (widest == VectorCode::avx512) return faster_vector_code(VectorCode::avx2, VectorCode::avx512);
    return widest;
}

std::atomic<VectorCode>& fastest_code() {
    static std::atomic<VectorCode> code{first_choice()};
    return code;
}

}  // namespace

std::vector<VectorCode> runnable_vector_codes() {
    std::vector<VectorCode> codes{VectorCode::none};
#if defined(CT_HAS_AVX2_LANES)
    if (__builtin_cpu_supports("avx2")) codes.push_back(VectorCode::avx2);
#endif
#if defined(CT_HAS_AVX512_LANES)
    if (__builtin_cpu_supports("avx512f")) codes.push_back(VectorCode::avx512);
#endif
#if defined(__wasm_simd128__)
    codes.push_back(VectorCode::simd128);
#endif
    return codes;
}

VectorCode vector_code(CodePath path) {
    return path == CodePath::fastest ? fastest_code().load(std::memory_order_relaxed) : VectorCode::none;
}

bool vector_code_available() { return runnable_vector_codes().size() > 1; }

bool use_vector_code(VectorCode code) {
    if (!runs_here(code)) return false;
    fastest_code().store(code, std::memory_order_relaxed);
    return true;
}

const char* vector_code_name(VectorCode code) {
    switch (code) {
        case VectorCode::avx2:
            return "avx2";
        case VectorCode::avx512:
            return "avx512";
        case VectorCode::simd128:
            return "simd128";
        default:
            return "none";
    }
}
