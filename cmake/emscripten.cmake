# Builds the suite as WebAssembly with Debian's emscripten (apt-get install
# emscripten nodejs; scripts/setup web): every tool's main goes into one
# module, build-web/ct_suite.js, with node launchers in build-web/bin, and
# the tests run under node. Emscripten's system libraries come prebuilt
# with Debian's package; nothing is fetched.
set(EMSCRIPTEN_ROOT_PATH /usr/share/emscripten)
include(${EMSCRIPTEN_ROOT_PATH}/cmake/Modules/Platform/Emscripten.cmake)

# The linker runs emscripten's JavaScript optimiser under node, which finds
# its parser (acorn) only among Debian's node modules.
set(CT_NODE_MODULES /usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${CT_NODE_MODULES})

# One thread (no OpenMP runtime for WebAssembly): the parallel loops' pragmas
# are left unused. C++ exceptions as WebAssembly exceptions, so that an
# allocation the heap cannot give throws std::bad_alloc like everywhere else.
set(CMAKE_CXX_FLAGS_INIT "-fwasm-exceptions -Wno-unknown-pragmas")
# The heap grows on demand up to the 4 GB a 32-bit address reaches.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fwasm-exceptions -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB")

# Programs of this build are run by node. Its built-in fetch would take the
# path of a .wasm file beside a program for a URL, hence the option.
find_program(CT_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CT_NODE};--no-experimental-fetch)
