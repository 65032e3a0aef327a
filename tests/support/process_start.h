#pragma once
// Starting a tool for an end-to-end test, and scratch streams: the parts of
// the test runner that differ between systems: process_start_posix.cpp
// (posix_spawn, signals, tmpfile) and process_start_windows.cpp
// (CreateProcessW, TerminateProcess, a named file deleted on close).

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

struct ProcessEnd {
    bool started = false;
    int exit_status = -1;  // -1 when the process ended by a signal or timed out
    int signal = 0;  // the signal that ended it, 0 if none (always 0 on Windows)
    bool timed_out = false;
    std::string why_not_started;  // the system's reason, when it did not start
};

// The environment of this process, as "NAME=value" entries.
std::vector<std::string> current_environment();

// Runs `program` with `arguments` and the environment `environment` (all of
// it, "NAME=value" entries) in `dir`, with standard input read from `in` and
// standard output and error written to `out` and `err`. A process still running after
// `limit` is sent `timeout_signal`, and killed if that does not end it within
// a second (on Windows it is terminated at once).
ProcessEnd run_process(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, const std::filesystem::path& dir,
                       const std::filesystem::path& in, const std::filesystem::path& out,
                       const std::filesystem::path& err, std::chrono::milliseconds limit, int timeout_signal);

// What a tool wrote to its console, with the system's line ends turned into
// "\n" (Windows writes "\r\n" in text mode), so that tests compare one text
// on every system.
std::string console_text_with_lf(std::string bytes);

// A new empty stream for reading and writing, in a file of its own that is
// removed when the stream is closed; null when none can be made.
std::FILE* scratch_stream();
