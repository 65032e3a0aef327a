#pragma once
// Which code runs the inner loops: the vector form (AVX2), chosen at run
// time where the processor has it, or the portable one everywhere. Both give
// the same bytes; tests compare them.

enum class CodePath { fastest, portable };

// True when the processor runs AVX2 (asked once).
bool vector_code_available();
