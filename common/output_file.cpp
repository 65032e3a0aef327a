#include "common/output_file.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "common/console_text.h"
#include "common/run_events.h"

namespace {
constexpr std::int64_t chunk_samples = 1 << 16;  // samples narrowed per fwrite
}

void fail_open(const std::string& name) {
    run_events::failure_file(name, "cannot_open");
    if (const char* problem = file_name_problem(name)) {
        fail_with_kind(FailureKind::file, " エラー：ファイルが開きません[%s]（%s）.\n", name.c_str(),
                       Text{problem});
    }
    fail_with_kind(FailureKind::file, " エラー：ファイルが開きません[%s].\n", name.c_str());
}

void fail_write(const std::string& name) {
    run_events::failure_file(name, "cannot_write");
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

void OutputFile::close(MessageSink& sink) {
    const bool flushed = std::fflush(output_.stream) == 0 && !std::ferror(output_.stream);
    if (!flushed) {
        drop_pending_output(output_);
        fail_write(name_);
    }
    // What reached the file: the samples, or a table's text.
    const std::int64_t bytes = samples_written_ > 0 ? samples_written_ * static_cast<std::int64_t>(sizeof(float))
                                                    : static_cast<std::int64_t>(std::ftell(output_.stream));
    if (!finish_pending_output(name_, output_)) fail_write(name_);
    if (iteration_ >= 0) {
        run_events::FileInside inside;
        inside.iteration = iteration_;
        run_events::file(name_, run_events::Role::output, bytes, inside);
    } else {
        run_events::file(name_, run_events::Role::output, bytes);
    }
    if (non_finite_ > 0) {
        sink.warning(Message(
                         " 警告：出力ファイル[%s]に有限でない値（NaN か無限大）が %lld 個あります（最初は標本 %lld、0から数えて）。%s\n",
                         name_.c_str(), static_cast<long long>(non_finite_), static_cast<long long>(first_non_finite_),
                         Text{non_finite_cause_.c_str()})
                         .kind("non_finite_output"));
    }
}
