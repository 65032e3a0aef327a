#pragma once
// Which code runs the inner loops: the vector form, chosen at run time
// where the processor has AVX2 or AVX-512F (x86-64) or per build in a
// WebAssembly module made with simd128, or the portable one everywhere.
// Every form gives the same bytes; tests compare each with the portable one.

#include <vector>

enum class CodePath { fastest,
                      portable };

// The instruction set of the vector form.
enum class VectorCode { none,
                        avx2,
                        avx512,
                        simd128 };

// The vector form that runs for `path`: none for the portable path, or
// where there is no vector form. The fastest path's form is chosen at the
// first call: the one named by the environment variable CT_VECTOR_CODE
// (none, avx2, avx512 or simd128) where it can run, else AVX-512 where the
// processor has it and a short trial finds it faster than AVX2, else the
// one vector form there is.
VectorCode vector_code(CodePath path);

// True when a vector form can run here.
bool vector_code_available();

// Every form that can run here, none first.
std::vector<VectorCode> runnable_vector_codes();

// Makes `code` the fastest path's form from now on, for tests and
// benchmarks that compare the forms; false, and no change, where it cannot
// run here.
bool use_vector_code(VectorCode code);

// "none", "avx2", "avx512" or "simd128".
const char* vector_code_name(VectorCode code);
