#include "common/failure.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// Per thread: the Python module runs tools on several threads at once.
thread_local int catchers = 0;
thread_local std::vector<std::string> warnings;

// The message without the blank that opens every console message and
// without its line end.
std::string trimmed(const std::string& message) {
    std::size_t first = 0, last = message.size();
    while (first < last && message[first] == ' ') ++first;
    while (last > first && (message[last - 1] == '\n' || message[last - 1] == '\r')) --last;
    return message.substr(first, last - first);
}

}  // namespace

FailureCatcher::FailureCatcher() {
    if (catchers++ == 0) warnings.clear();
}

FailureCatcher::~FailureCatcher() { --catchers; }

std::vector<std::string> FailureCatcher::take_warnings() { return std::exchange(warnings, {}); }

bool failures_are_caught() { return catchers > 0; }

void end_run(FailureKind kind, const std::string& message) {
    if (failures_are_caught()) throw Failure(kind, trimmed(message));
    std::fflush(stdout);
    std::fputs(message.c_str(), stderr);
    std::exit(1);
}

void give_warning(const std::string& message) {
    if (failures_are_caught()) {
        warnings.push_back(trimmed(message));
        return;
    }
    std::fflush(stdout);
    std::fputs(message.c_str(), stderr);
}
