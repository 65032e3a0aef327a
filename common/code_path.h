#pragma once
// Which code runs the inner loops: the vector form (AVX2), chosen at run
// time where the processor has it, or the portable one everywhere. Both give
// the same bytes; tests compare them.

enum class CodePath { fastest, portable };

// The AVX2 forms are built only for x86-64 (a WebAssembly build has the
// portable ones alone).
#if defined(__x86_64__)
#define CT_AVX2_BUILT 1
#else
#define CT_AVX2_BUILT 0
#endif

// True when the processor runs AVX2 (asked once).
bool vector_code_available();
