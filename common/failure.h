#pragma once
// How a run ends when it cannot go on.
//
// Every failure inside the suite's libraries is thrown as a Failure that
// carries its kind and its message; it is caught once, at the edge: the
// tool's main prints the message on standard error and ends with status 1
// (tool_main of tool_start.h), the Python module raises the exception of
// its kind.

#include <stdexcept>
#include <string>

#include "common/message.h"

// What went wrong: an unusable answer or size, a file that cannot be read
// or written, or memory that cannot be had.
enum class FailureKind { value,
                         file,
                         memory };

class Failure : public std::runtime_error {
  public:
    // what() is the message in UTF-8 without the blank that opens every
    // console message and without its line end.
    Failure(FailureKind kind, Message message);
    FailureKind kind() const { return kind_; }
    // The whole message as the console prints it.
    const Message& message() const { return message_; }

  private:
    FailureKind kind_;
    Message message_;
};

// The message without its opening blanks and its line end.
std::string trimmed_message(const std::string& message);

// Fails: throws a Failure of the given kind (fail_with: an unusable value)
// with the message of a UTF-8 format and its arguments (Message), the
// format checked against them when the program is built.
template <typename... Args>
[[noreturn]] void fail_with(message_detail::Format<Args...> utf8_format, Args... args) {
    throw Failure(FailureKind::value, Message(utf8_format, args...));
}
template <typename... Args>
[[noreturn]] void fail_with_kind(FailureKind kind, message_detail::Format<Args...> utf8_format, Args... args) {
    throw Failure(kind, Message(utf8_format, args...));
}
