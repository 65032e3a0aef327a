#pragma once
// A file being written. Regular files are written to a temporary file in the
// same folder and put in place only once complete and closed without error,
// so a failed or interrupted run leaves the previous file intact and never a
// truncated one. Devices and pipes (/dev/null, /dev/full, a fifo, NUL on
// Windows) and links are written directly, as they are. How the temporary
// file is made and put in place is the system's part (common/platform.h).

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "common/message_sink.h"
#include "common/platform.h"

// Fails (a file) with " エラー：ファイルが開きません[name].".
[[noreturn]] void fail_open(const std::string& name);

// Fails (a file) with " エラー：ファイルに書き込めません[name].".
[[noreturn]] void fail_write(const std::string& name);

class OutputFile {
  public:
    // Opens for writing; fail_open when the file cannot be opened for
    // writing, exactly where creating or truncating it would fail. Raw data
    // and text tables alike are written byte for byte, so a table holds LF
    // line ends on every system.
    explicit OutputFile(std::string name);
    OutputFile(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    OutputFile& operator=(OutputFile&&) = delete;
    ~OutputFile();  // an unfinished file is dropped; the previous one stays

    std::FILE* stream() const { return output_.stream; }
    const std::string& name() const { return name_; }

    // Writes the samples narrowed to 32-bit floats, in order, counting the
    // samples that are not finite once narrowed (NaN, infinities).
    void write_samples(const double* samples, std::int64_t count);

    // What made non-finite samples, when the tool knows it (UTF-8, one
    // sentence); added to the warning of close.
    void explain_non_finite(std::string cause) { non_finite_cause_ = std::move(cause); }

    // The iteration after which the file holds the image, said in its file
    // event (an iterative reconstruction's series).
    void note_iteration(std::int64_t iteration) { iteration_ = iteration; }

    // Completes the file: every write checked, then put in place;
    // fail_write if anything written did not reach the file. A file that
    // holds non-finite samples is then reported in one warning to the
    // sink: how many and the first index.
    void close(MessageSink& sink = console_sink());

  private:
    std::string name_;
    PendingOutput output_;
    std::int64_t samples_written_ = 0;
    std::int64_t non_finite_ = 0;
    std::int64_t first_non_finite_ = -1;
    std::string non_finite_cause_;
    std::int64_t iteration_ = -1;
};
