#include "common/raw_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "common/console_text.h"
#include "common/platform.h"
#include "common/run_events.h"

namespace {
constexpr std::int64_t chunk_samples = 1 << 16;  // samples converted per fread/fwrite
}

OutputFile open_table_file(const std::string& name) { return OutputFile(name); }

void write_column_table(const std::string& name, const double* values, std::int64_t count, const char* format) {
    OutputFile table = open_table_file(name);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    for (std::int64_t i = 0; i < count; ++i) std::fprintf(table.stream(), format, values[i]);
#pragma GCC diagnostic pop
    table.close();
}

std::int64_t read_raw_file(const std::string& name, std::vector<double>& samples, std::int64_t count,
                           MessageSink& sink) {
    std::FILE* in = open_for_reading(name, "rb");
    if (in == nullptr) fail_open(name);
    struct stat info {};
    if (fstat(fileno(in), &info) == 0 && S_ISDIR(info.st_mode)) fail_open(name);  // a folder holds no samples
    const std::int64_t bytes = regular_file_size(in);
    std::vector<float> narrow(static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, chunk_samples)));
    std::int64_t got = 0;
    std::int64_t non_finite = 0;
    while (got < count) {
        const std::int64_t want = std::min(chunk_samples, count - got);
        const std::size_t n = std::fread(narrow.data(), sizeof(float), static_cast<std::size_t>(want), in);
        for (std::size_t i = 0; i < n; ++i) {
            samples[got + i] = narrow[i];
            if (!std::isfinite(narrow[i])) ++non_finite;
        }
        got += static_cast<std::int64_t>(n);
        if (static_cast<std::int64_t>(n) < want) break;
    }
    std::fclose(in);
    run_events::file(name, run_events::Role::input, bytes);
    if (got < count) {
        std::fill(samples.begin() + got, samples.begin() + count, 0.0);
        sink.warning(Message(" 警告：ファイルのデータが足りません[%s]（%lld 個しかありません）.\n", name.c_str(),
                             static_cast<long long>(got))
                         .kind("too_few_samples"));
    }
    // More samples than the sizes answered: most often an image read with
    // the wrong sides (256 x 256 as 200 x 200), which no output shows.
    const std::int64_t expected = std::max<std::int64_t>(count, 0);
    if (bytes > expected * static_cast<std::int64_t>(sizeof(float))) {
        const std::int64_t present = bytes / static_cast<std::int64_t>(sizeof(float));
        const std::int64_t extra_bytes = bytes % static_cast<std::int64_t>(sizeof(float));
        if (extra_bytes == 0) {
            sink.warning(Message(" 警告：ファイルのデータが多すぎます[%s]（%lld 個のはずが %lld 個あります）.\n",
                                 name.c_str(), static_cast<long long>(expected), static_cast<long long>(present))
                             .kind("too_many_samples"));
        } else {
            sink.warning(Message(" 警告：ファイルのデータが多すぎます[%s]（%lld 個のはずが %lld 個と %lld バイトあります）.\n",
                                 name.c_str(), static_cast<long long>(expected), static_cast<long long>(present),
                                 static_cast<long long>(extra_bytes))
                             .kind("too_many_samples"));
        }
    }
    if (non_finite > 0) {
        sink.warning(Message(" 警告：入力ファイル[%s]に有限でない値（NaN か無限大）が %lld 個あります。\n",
                             name.c_str(), static_cast<long long>(non_finite))
                         .kind("non_finite_input"));
    }
    return non_finite;
}

void write_raw_file(const std::string& name, const std::vector<double>& samples, std::int64_t count,
                    const std::string& non_finite_cause, MessageSink& sink) {
    OutputFile out(name);
    out.explain_non_finite(non_finite_cause);
    if (count > 0) out.write_samples(samples.data(), count);
    out.close(sink);
}

SampleSource raw_file_source(const std::string& name, MessageSink& sink) {
    return [name, &sink](std::vector<double>& samples, std::int64_t count) {
        return read_raw_file(name, samples, count, sink);
    };
}

SampleSource array_source(const std::vector<double>& samples) {
    return [&samples](std::vector<double>& into, std::int64_t count) {
        std::int64_t non_finite = 0;
        const std::int64_t given = static_cast<std::int64_t>(samples.size());
        for (std::int64_t i = 0; i < count; ++i) {
            into[i] = i < given ? samples[i] : 0.0;
            if (!std::isfinite(into[i])) ++non_finite;
        }
        return non_finite;
    };
}
