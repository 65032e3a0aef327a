#pragma once
// Which code runs the inner loops: the vector form, chosen at run time
// where the processor has AVX2 (x86-64) or per build in a WebAssembly
// module made with simd128, or the portable one everywhere. Both give the
// same bytes; tests compare them.

enum class CodePath { fastest, portable };

// The instruction set of the vector form.
enum class VectorCode { none, avx2, simd128 };

// The vector form that runs for `path` (asked once): none for the portable
// path, or where there is no vector form.
VectorCode vector_code(CodePath path);

// True when there is a vector form for the fastest path.
bool vector_code_available();
