#include "common/raw_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "common/console_text.h"

namespace {
constexpr std::int64_t chunk_samples = 1 << 16;  // samples converted per fread/fwrite
}

void fail_open(const std::string& name) {
    std::fflush(stdout);
    console_printf(stderr, " エラー：ファイルが開きません[%s].\n", name.c_str());
    std::exit(1);
}

void fail_write(const std::string& name) {
    std::fflush(stdout);
    console_printf(stderr, " エラー：ファイルに書き込めません[%s].\n", name.c_str());
    std::exit(1);
}

OutputFile::OutputFile(std::string name, bool binary) : name_(std::move(name)) {
    stream_ = std::fopen(name_.c_str(), binary ? "wb" : "w");
    if (stream_ == nullptr) fail_open(name_);
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : name_(std::move(other.name_)), stream_(std::exchange(other.stream_, nullptr)) {}

OutputFile::~OutputFile() {
    if (stream_ != nullptr) std::fclose(stream_);
}

void OutputFile::write_samples(const double* samples, std::int64_t count) {
    std::vector<float> narrow(static_cast<std::size_t>(std::min(count, chunk_samples)));
    for (std::int64_t start = 0; start < count; start += chunk_samples) {
        const std::int64_t n = std::min(chunk_samples, count - start);
        for (std::int64_t i = 0; i < n; ++i) narrow[i] = static_cast<float>(samples[start + i]);
        if (std::fwrite(narrow.data(), sizeof(float), static_cast<std::size_t>(n), stream_) !=
            static_cast<std::size_t>(n)) {
            fail_write(name_);
        }
    }
}

void OutputFile::close() {
    std::FILE* stream = std::exchange(stream_, nullptr);
    const bool written = std::fflush(stream) == 0 && !std::ferror(stream);
    if (std::fclose(stream) != 0 || !written) fail_write(name_);
}

OutputFile open_table_file(const std::string& name) { return OutputFile(name, false); }

void read_raw_file(const std::string& name, std::vector<double>& samples, std::int64_t count) {
    std::FILE* in = std::fopen(name.c_str(), "rb");
    if (in == nullptr) fail_open(name);
    std::vector<float> narrow(static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, chunk_samples)));
    std::int64_t got = 0;
    while (got < count) {
        const std::int64_t want = std::min(chunk_samples, count - got);
        const std::size_t n = std::fread(narrow.data(), sizeof(float), static_cast<std::size_t>(want), in);
        for (std::size_t i = 0; i < n; ++i) samples[got + i] = narrow[i];
        got += static_cast<std::int64_t>(n);
        if (static_cast<std::int64_t>(n) < want) break;
    }
    std::fclose(in);
    if (got < count) {
        std::fill(samples.begin() + got, samples.begin() + count, 0.0);
        std::fflush(stdout);
        console_printf(stderr, " 警告：ファイルのデータが足りません[%s]（%lld 個しかありません）.\n", name.c_str(),
                       static_cast<long long>(got));
    }
}

void write_raw_file(const std::string& name, const std::vector<double>& samples, std::int64_t count) {
    OutputFile out(name, true);
    if (count > 0) out.write_samples(samples.data(), count);
    out.close();
}
