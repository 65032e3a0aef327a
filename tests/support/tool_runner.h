#pragma once
// End-to-end test support: each test runs a tool from build/bin in a
// scratch folder of its own, with answers on standard input, and inspects
// standard output, standard error, the exit status and the files written.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/tool_start.h"

struct ToolRun {
    int exit_status = -1;  // -1 when the tool ended by a signal or timed out
    int signal = 0;  // the signal that ended it, 0 if none
    bool timed_out = false;
    std::string out;  // standard output, bytes as written (Shift_JIS)
    std::string err;  // standard error, bytes as written
};

// A fresh, empty folder under the system's temporary folder; removed with
// everything in it when the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Path of a built tool.
std::filesystem::path tool_path(const std::string& tool);

// Runs the tool in `dir` with `answers` as its standard input. A tool still
// running after `timeout_seconds` is sent `timeout_signal` (and then killed).
ToolRun run_tool(const std::string& tool, const std::string& answers, const std::filesystem::path& dir,
                 int timeout_seconds = 120, int timeout_signal = 9);

// The same with the time limit in milliseconds (to interrupt a run midway).
ToolRun run_tool_for(const std::string& tool, const std::string& answers, const std::filesystem::path& dir,
                     std::chrono::milliseconds limit, int timeout_signal);

// The same with command-line arguments and extra environment entries
// ("NAME=value"). Every run leaves out the caller's own CT_ENCODING and
// CT_LANG.
ToolRun run_tool_with(const std::string& tool, const std::vector<std::string>& arguments,
                      const std::string& answers, const std::filesystem::path& dir,
                      const std::vector<std::string>& environment = {});
ToolRun run_tool_in(const std::string& tool, const std::vector<std::string>& arguments, const std::string& answers,
                    const std::filesystem::path& dir, const std::vector<std::string>& environment,
                    std::chrono::milliseconds limit, int timeout_signal);

// Standard error without its warning lines (" 警告：..."), which never
// belong to what a run is compared on; and those lines alone.
std::string without_warnings(const std::string& err);
std::vector<std::string> warnings_of(const std::string& err);

// Shift_JIS bytes of a UTF-8 text, to compare with what a tool printed.
std::string sjis(const std::string& utf8);

// Whole-file helpers.
std::string read_file(const std::filesystem::path& file);
void write_file(const std::filesystem::path& file, const std::string& bytes);
std::vector<float> read_floats(const std::filesystem::path& file);
void write_floats(const std::filesystem::path& file, const std::vector<float>& samples);

// In-memory streams for library functions that read or write a FILE*, on
// every system: a temporary file holding `bytes`, read from its start; an
// empty one to write into; and what was written into a stream, which is
// closed. Each is a file of its own, removed when closed.
std::FILE* stream_reading(const std::string& bytes);
std::FILE* stream_writing();
std::string written_and_closed(std::FILE* stream);

// Answer lines joined with line ends: answers({"a.img", "", "5"}).
std::string answers(const std::vector<std::string>& lines);

// Runs a library call as a tool's main runs it, for death tests: its
// failure printed and the process ended with the tool's exit status.
template <typename Body>
[[noreturn]] void as_tool(Body body) {
    std::exit(exit_status_of(body));
}
