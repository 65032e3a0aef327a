// The raw reader on arbitrary file contents and sizes: the first two bytes
// choose the sample count asked for, the rest is the file.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/raw_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::int64_t count = (data[0] | (data[1] << 8)) - 1024;  // negative counts too
    const std::string name = "/tmp/fuzz_raw_reader_" + std::to_string(getpid()) + ".raw";
    std::FILE* file = std::fopen(name.c_str(), "wb");
    std::fwrite(data + 2, 1, size - 2, file);
    std::fclose(file);

    std::vector<double> samples(count > 0 ? count : 0, -1.0);
    const int saved_stderr = dup(2);  // the short-file warning would flood the fuzzer's log
    std::FILE* quiet = std::fopen("/dev/null", "w");
    dup2(fileno(quiet), 2);
    read_raw_file(name, samples, count);
    dup2(saved_stderr, 2);
    close(saved_stderr);
    std::fclose(quiet);
    std::remove(name.c_str());

    const std::size_t held = (size - 2) / 4;
    for (std::int64_t i = 0; i < count; ++i) {
        float expected = 0.0f;
        if (static_cast<std::size_t>(i) < held) std::memcpy(&expected, data + 2 + 4 * i, 4);
        const double got = samples[i];
        if (!(got == static_cast<double>(expected) || (std::isnan(got) && std::isnan(expected)))) std::abort();
    }
    return 0;
}
