#pragma once
// A file being written. Regular files are written to an unnamed file in the
// same folder and put in place by rename only once complete and closed
// without error, so a failed or interrupted run leaves the previous file
// intact and never a truncated one. Devices and pipes (/dev/null, /dev/full,
// a fifo) and links are written directly, as they are.

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

// " エラー：ファイルが開きません[name]." on standard error, exit status 1.
[[noreturn]] void fail_open(const std::string& name);

// " エラー：ファイルに書き込めません[name]." on standard error, exit status 1.
[[noreturn]] void fail_write(const std::string& name);

class OutputFile {
public:
    // Opens for writing ("wb" or "w"); fail_open when the file cannot be
    // opened for writing, exactly where creating or truncating it would fail.
    OutputFile(std::string name, bool binary);
    OutputFile(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    OutputFile& operator=(OutputFile&&) = delete;
    ~OutputFile();  // an unfinished file is dropped; the previous one stays

    std::FILE* stream() const { return stream_; }
    const std::string& name() const { return name_; }

    // Writes the samples narrowed to 32-bit floats, in order, counting the
    // samples that are not finite once narrowed (NaN, infinities).
    void write_samples(const double* samples, std::int64_t count);

    // What made non-finite samples, when the tool knows it (UTF-8, one
    // sentence); added to the warning of close.
    void explain_non_finite(std::string cause) { non_finite_cause_ = std::move(cause); }

    // Completes the file: every write checked, then put in place;
    // fail_write if anything written did not reach the file. A file that
    // holds non-finite samples is then reported in one warning line on
    // standard error: how many and the first index.
    void close();

private:
    void open_in_place(const char* mode);
    bool open_beside(const char* mode, bool existed, unsigned existing_mode);

    std::string name_;
    std::FILE* stream_ = nullptr;
    std::string pending_name_;  // a named temporary file to rename at close, if any
    bool unnamed_ = false;      // the stream is an unnamed file that close links in
    std::int64_t samples_written_ = 0;
    std::int64_t non_finite_ = 0;
    std::int64_t first_non_finite_ = -1;
    std::string non_finite_cause_;
};
