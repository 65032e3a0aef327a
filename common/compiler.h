#pragma once
// Attributes that differ between compilers and targets.

// printf-style checking of argument `format_index` against those from `first_index`.
// mingw's "printf" means the Microsoft C library's formats; the suite uses
// the C99 ones (%lld, %Lf), which its stdio gives (__USE_MINGW_ANSI_STDIO).
#if defined(__MINGW32__) && !defined(__clang__)
#define CT_PRINTF_FORMAT(format_index, first_index) __attribute__((format(gnu_printf, format_index, first_index)))
#else
#define CT_PRINTF_FORMAT(format_index, first_index) __attribute__((format(printf, format_index, first_index)))
#endif

// Functions of the lane types and of the kernels written over them: always
// inlined, so that they take the instruction set of the function that calls
// them (one built for AVX2 calls the kernel with the AVX2 lanes).
#define CT_LANES inline __attribute__((always_inline))
#define CT_LANES_LAMBDA __attribute__((always_inline))

// A function built for AVX2 (AVX-512F), called only where the processor has it.
#define CT_TARGET_AVX2 __attribute__((target("avx2")))
#define CT_TARGET_AVX512 __attribute__((target("avx512f")))

// The AVX2 lanes: only for x86-64 and compilers that inline a function of
// the default instruction set into one built for AVX2 (GCC; clang and
// emscripten build the other lanes).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define CT_HAS_AVX2_LANES 1
#endif

// The AVX-512 lanes: as the AVX2 lanes, but not for Windows, where GCC
// cannot align the stack to the 64 bytes that a 512-bit value kept in
// memory needs.
#if defined(CT_HAS_AVX2_LANES) && !defined(_WIN32)
#define CT_HAS_AVX512_LANES 1
#endif
