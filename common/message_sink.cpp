#include "common/message_sink.h"

#include "common/failure.h"
#include "common/run_events.h"

namespace {

class ConsoleSink : public MessageSink {
  public:
    void warning(const Message& message) override {
        run_events::warning(message);
        std::fflush(stdout);
        std::fputs(message.for_stream(stderr).c_str(), stderr);
    }
    void show(const Message& message) override { std::fputs(message.for_stream(stdout).c_str(), stdout); }
    std::FILE* progress() override { return stderr; }
};

}  // namespace

MessageSink& console_sink() {
    static ConsoleSink console;
    return console;
}

void CollectingSink::warning(const Message& message) { events_.push_back(run_events::warning_event(message)); }

std::vector<std::string> CollectingSink::warnings() const {
    std::vector<std::string> texts;
    for (const run_events::WarningEvent& w : events_) texts.push_back(w.text);
    return texts;
}
