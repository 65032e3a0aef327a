#pragma once
// How a run ends when it cannot go on, and where its warnings go.
//
// A console tool prints the message on standard error and exits with status
// 1 (fail_with and the fail_* functions built on it), and prints warnings on
// standard error. A caller that must outlive the failure, such as the Python
// module, holds a FailureCatcher: while one is alive on the calling thread
// the very same failures throw a Failure carrying the message (UTF-8) and
// its kind, and warnings are collected for the caller instead of printed.

#include <stdexcept>
#include <string>
#include <vector>

// What went wrong: an unusable answer or size, a file that cannot be read
// or written, or memory that cannot be had.
enum class FailureKind { value, file, memory };

class Failure : public std::runtime_error {
public:
    Failure(FailureKind kind, const std::string& utf8_message) : std::runtime_error(utf8_message), kind_(kind) {}
    FailureKind kind() const { return kind_; }

private:
    FailureKind kind_;
};

class FailureCatcher {
public:
    FailureCatcher();
    ~FailureCatcher();
    FailureCatcher(const FailureCatcher&) = delete;
    FailureCatcher& operator=(const FailureCatcher&) = delete;

    // The warnings given on this thread since the catcher was made (UTF-8,
    // each without its leading blank and line end), and forgets them.
    std::vector<std::string> take_warnings();
};

// True while a FailureCatcher is alive on the calling thread.
bool failures_are_caught();

// Ends the run with the message, already formatted in the bytes that
// standard error takes, or in UTF-8 under a catcher (message_text of
// console_text.h gives either): exit status 1 after printing it on standard
// error, or a thrown Failure under a catcher.
[[noreturn]] void end_run(FailureKind kind, const std::string& message);

// Gives a warning formatted the same way: printed on standard error, or
// kept for the catcher.
void give_warning(const std::string& message);
