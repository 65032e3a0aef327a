#include "common/output_file.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "common/console_text.h"

namespace {
constexpr std::int64_t chunk_samples = 1 << 16;  // samples narrowed per fwrite
}

void fail_open(const std::string& name) {
    if (const char* problem = file_name_problem(name)) {
        fail_with_kind(FailureKind::file, " エラー：ファイルが開きません[%s]（%s）.\n", name.c_str(),
                       message_text(problem).c_str());
    }
    fail_with_kind(FailureKind::file, " エラー：ファイルが開きません[%s].\n", name.c_str());
}

void fail_write(const std::string& name) {
    fail_with_kind(FailureKind::file, " エラー：ファイルに書き込めません[%s].\n", name.c_str());
}

OutputFile::OutputFile(std::string name) : name_(std::move(name)) {
    if (!open_pending_output(name_, output_)) fail_open(name_);
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : name_(std::move(other.name_)),
      output_(std::exchange(other.output_, PendingOutput{})),
      samples_written_(other.samples_written_),
      non_finite_(other.non_finite_),
      first_non_finite_(other.first_non_finite_),
      non_finite_cause_(std::move(other.non_finite_cause_)) {}

OutputFile::~OutputFile() {
    if (output_.stream != nullptr) drop_pending_output(output_);
}

void OutputFile::write_samples(const double* samples, std::int64_t count) {
    std::vector<float> narrow(static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, chunk_samples)));
    for (std::int64_t start = 0; start < count; start += chunk_samples) {
        const std::int64_t n = std::min(chunk_samples, count - start);
        for (std::int64_t i = 0; i < n; ++i) {
            narrow[i] = static_cast<float>(samples[start + i]);
            if (!std::isfinite(narrow[i])) {
                if (non_finite_ == 0) first_non_finite_ = samples_written_ + start + i;
                ++non_finite_;
            }
        }
        if (std::fwrite(narrow.data(), sizeof(float), static_cast<std::size_t>(n), output_.stream) !=
            static_cast<std::size_t>(n)) {
            fail_write(name_);
        }
    }
    samples_written_ += std::max<std::int64_t>(count, 0);
}

void OutputFile::close() {
    const bool flushed = std::fflush(output_.stream) == 0 && !std::ferror(output_.stream);
    if (!flushed) {
        drop_pending_output(output_);
        fail_write(name_);
    }
    if (!finish_pending_output(name_, output_)) fail_write(name_);
    if (non_finite_ > 0) {
        warn_with(" 警告：出力ファイル[%s]に有限でない値（NaN か無限大）が %lld 個あります（最初は標本 %lld、0から数えて）。%s\n",
                  name_.c_str(), static_cast<long long>(non_finite_), static_cast<long long>(first_non_finite_),
                  message_text(non_finite_cause_).c_str());
    }
}
