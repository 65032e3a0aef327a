#include "common/message_sink.h"

#include "common/failure.h"

namespace {

class ConsoleSink : public MessageSink {
public:
    void warning(const Message& message) override {
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

void CollectingSink::warning(const Message& message) { warnings_.push_back(trimmed_message(message.utf8())); }
