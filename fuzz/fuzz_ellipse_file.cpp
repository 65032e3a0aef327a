// The ellipse parameter file reader on arbitrary file contents; the first
// byte chooses how many ellipses are asked for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tools/phantom/ellipse_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::int32_t count = data[0] % 16;
    std::FILE* in = size > 1 ? fmemopen(const_cast<std::uint8_t*>(data + 1), size - 1, "r")
                             : std::fopen("/dev/null", "r");
    std::FILE* echo = std::fopen("/dev/null", "w");
    const EllipseFileResult result = read_ellipses(in, "fuzz.txt", count, echo);
    std::fclose(echo);
    std::fclose(in);
    const auto read = static_cast<std::int32_t>(result.ellipses.size());
    if (read > count || (result.error.empty() && read != count)) std::abort();
    if (!result.error.empty() && result.error.back() != '\n') std::abort();
    return 0;
}
