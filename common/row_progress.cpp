#include "common/row_progress.h"

#include "common/platform.h"
#include "common/run_events.h"

RowProgress::RowProgress(const char* label, std::int32_t rows) : RowProgress(on_terminal(label, rows, stderr)) {}

RowProgress RowProgress::on_terminal(const char* label, std::int32_t rows, std::FILE* stream) {
    return RowProgress(label, rows, stream != nullptr && is_terminal(stream) ? stream : nullptr);
}

RowProgress::RowProgress(const char* label, std::int32_t rows, std::FILE* stream)
    : label_(label), rows_(rows), stream_(stream) {}

void RowProgress::rows_done(std::int64_t done) {
    run_events::progress(label_, done, rows_);
    if (stream_ == nullptr) return;
    std::fprintf(stream_, "\r *** %s [%3lld/%3d]%s", label_, static_cast<long long>(done), rows_,
                 done >= rows_ ? "\n" : "");
    std::fflush(stream_);
}
