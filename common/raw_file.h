#pragma once
// Raw data files (headerless little-endian 32-bit floats, widened to doubles
// in memory) and text tables, with the suite's reaction to files that cannot
// be opened or written.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// " エラー：ファイルが開きません[name]." on standard error, exit status 1.
[[noreturn]] void fail_open(const std::string& name);

// " エラー：ファイルに書き込めません[name]." on standard error, exit status 1.
[[noreturn]] void fail_write(const std::string& name);

// A file being written. Every write is checked when the file is closed: a
// failed write or close ends the tool through fail_write, never as success.
class OutputFile {
public:
    // Opens for writing ("wb" or "w"); fail_open when it cannot be opened.
    OutputFile(std::string name, bool binary);
    OutputFile(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    OutputFile& operator=(OutputFile&&) = delete;
    ~OutputFile();

    std::FILE* stream() const { return stream_; }
    const std::string& name() const { return name_; }

    // Writes the samples narrowed to 32-bit floats, in order.
    void write_samples(const double* samples, std::int64_t count);

    // Flushes and closes; fail_write if anything written did not reach the file.
    void close();

private:
    std::string name_;
    std::FILE* stream_ = nullptr;
};

// Creates (or replaces) a text table for the tool to fill and close.
OutputFile open_table_file(const std::string& name);

// Reads `count` samples from the start of the file into samples[0 .. count-1].
// A count of 0 or less opens and closes the file only. A file shorter than
// asked leaves the missing samples 0 and warns on standard error.
void read_raw_file(const std::string& name, std::vector<double>& samples, std::int64_t count);

// Writes samples[0 .. count-1] as 32-bit floats; an existing file is
// replaced. A count of 0 or less leaves an empty file.
void write_raw_file(const std::string& name, const std::vector<double>& samples, std::int64_t count);
