#pragma once
// A progress counter for long runs: "\r *** <label> [row/rows]" on standard
// error, rewriting one console line, and a line end when the last row is
// done. It is shown only when standard error is a terminal, so that the
// bytes of a redirected run stay exactly as they are.

#include <cstdint>
#include <cstdio>

class RowProgress {
  public:
    // `label` is ASCII, e.g. "Median filter".
    RowProgress(const char* label, std::int32_t rows);
    // The same on any stream, shown whether or not it is a terminal (tests).
    RowProgress(const char* label, std::int32_t rows, std::FILE* stream);
    // On the stream when it is a terminal; nothing when it is not, or null.
    static RowProgress on_terminal(const char* label, std::int32_t rows, std::FILE* stream);

    // Rows 1 .. done are complete.
    void rows_done(std::int64_t done);

  private:
    const char* label_;
    std::int32_t rows_;
    std::FILE* stream_;  // nullptr when nothing is shown
};
