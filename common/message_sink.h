#pragma once
// Where a computation sends what it has to say while it runs: warnings, the
// text a tool shows on standard output between its dialogue and its end
// (stage lines, echoes of what it read, results), and progress counters.
// The console tools print them where the computation reaches them; the
// Python module keeps the warnings and shows nothing else.

#include <cstdio>
#include <string>
#include <vector>

#include "common/message.h"
#include "common/run_events.h"

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // A warning: one line that starts with " 警告：".
    virtual void warning(const Message& message) = 0;
    // Text for standard output.
    virtual void show(const Message& message) = 0;
    // The stream on which progress counters rewrite one console line, or
    // none when progress is not shown.
    virtual std::FILE* progress() = 0;
};

// The console: warnings on standard error after whatever standard output
// still holds, text on standard output, progress on standard error.
MessageSink& console_sink();

// Keeps the warnings as the run's warning events (kind, and the text in
// UTF-8 without the opening blank and the line end) and shows nothing.
class CollectingSink : public MessageSink {
  public:
    void warning(const Message& message) override;
    void show(const Message&) override {}
    std::FILE* progress() override { return nullptr; }
    const std::vector<run_events::WarningEvent>& warning_events() const { return events_; }
    // Their texts.
    std::vector<std::string> warnings() const;

  private:
    std::vector<run_events::WarningEvent> events_;
};
