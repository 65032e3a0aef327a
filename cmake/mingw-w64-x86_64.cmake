# Cross-compiles the suite for 64-bit Windows with Debian's mingw-w64 (the
# POSIX-threads flavour, g++-mingw-w64-x86-64-posix). Every program is one
# .exe that needs nothing installed beside it: the GCC runtime, the C++
# library, winpthread and (where a target uses OpenMP) libgomp are linked
# statically. Tests run under wine through scripts/wine_run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C library's own printf and strtod write and read numbers as glibc
# does ("%e" with two exponent digits, correctly rounded conversions), so
# tables and answers match the Linux build byte for byte.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
# M_PI for the tests' reference formulas, as glibc's math.h gives it (the
# tools themselves write 3.14159265358979).
add_compile_definitions(_USE_MATH_DEFINES)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# OpenMP's runtime as the static archive, not the import library of its DLL.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgomp.a
                OUTPUT_VARIABLE ct_static_gomp OUTPUT_STRIP_TRAILING_WHITESPACE)
set(OpenMP_gomp_LIBRARY ${ct_static_gomp} CACHE FILEPATH "libgomp, linked statically")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_run)
