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
