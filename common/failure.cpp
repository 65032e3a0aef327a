#include "common/failure.h"

#include <utility>

std::string trimmed_message(const std::string& message) {
    std::size_t first = 0, last = message.size();
    while (first < last && message[first] == ' ') ++first;
    while (last > first && (message[last - 1] == '\n' || message[last - 1] == '\r')) --last;
    return message.substr(first, last - first);
}

Failure::Failure(FailureKind kind, Message message)
    : std::runtime_error(trimmed_message(message.utf8())), kind_(kind), message_(std::move(message)) {}
