#pragma once
// What a run tells its host, as data: one JSON object a line, each with an
// "event" of start, answer, file, progress, warning or end (the schema is
// docs/run-events.md). The same places that print the console's text report
// here, so that a host (the browser lab, the Python module, a script) never
// re-derives from the console what a run did.
//
// Nothing is recorded unless a host asks: CT_EVENTS=FILE appends the events
// of a run to FILE, and `--check-answers` prints those of the dialogue alone
// on standard output. Recording never changes the run's standard output,
// standard error (but for one warning when FILE cannot be opened or written,
// or is one of the run's own files), its files or its exit status.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/dialogue.h"
#include "common/failure.h"
#include "common/message.h"

namespace run_events {

// The version of the events' schema, in every start event.
inline constexpr int schema_version = 1;

// Records to the file CT_EVENTS names, if any. The file is opened once the
// dialogue has named the run's files (the events wait until then): one of
// them, a file that cannot be opened (a fifo without a reader among them:
// never waited on) or one that stops taking bytes is a warning on standard
// error, and the run goes on without events.
void record_to_environment_file();

// Records to a stream (standard output for --check-answers).
void record_to(std::FILE* stream);

// Stops recording and closes a file opened for it (the tests, the Python
// module between calls).
void stop_recording();

bool recording();

// The run begins: its tool, the suite's version and the language. Keeps the
// dialogue, whose file facts describe the files the run reads and writes.
void start(const ToolDialogue& dialogue, const char* version);

// One question answered. `line` is the answer as typed without its line end,
// or none when the answers ran out; an empty line keeps the default too.
// `problem` (Japanese words, nullptr for a clean answer) and `warning` (the
// console's whole warning, UTF-8, in the run's language) when the dialogue
// warned.
struct Answer {
    int number;
    const Question* question;
    std::optional<std::string> line;
    const char* problem = nullptr;
    std::string warning;
};
void answer(const Answer& answer);

// The dialogue is over: the files the dialogue's answers name, with their
// shapes and quantities, are now known. With `report`, each is reported
// as a planned file (--check-answers), inputs with whether they exist.
void files_planned(bool report);

// A file read or written, with its size in bytes.
enum class Role { input,
                  output };
void file(const std::string& name, Role role, std::int64_t bytes);

// What a tool learned inside a file it reads (a DICOM header): the shape
// of the image, which the answers do not give, and facts of the header as
// keyed numbers and texts, reported under "header" in that file's events.
// A shape given here for an input is also the shape of the outputs whose
// facts give none (the image converted).
struct HeaderFact {
    std::string key;
    std::variant<std::int64_t, double, std::string> value;
};
struct FileInside {
    std::int64_t rows = -1, columns = -1;
    std::vector<HeaderFact> header;
    // The iteration after which an image was written (an iterative
    // reconstruction's series), or -1: a host learns a series from this,
    // never from the file names.
    std::int64_t iteration = -1;
};
void file(const std::string& name, Role role, std::int64_t bytes, const FileInside& inside);

// A stage of a long computation: `done` of `total` steps.
void progress(const char* stage, std::int64_t done, std::int64_t total);

// The same with what the step reached, as named numbers (an iteration's
// residual and RMSE, the very values its table gets), so that a host can
// draw them as they come; a value that is not finite is null.
struct Measure {
    const char* name;
    double value;
};
void progress(const char* stage, std::int64_t done, std::int64_t total, std::initializer_list<Measure> measures);

// A warning after the dialogue (the message as the console shows it).
void warning(const Message& message);

// What a warning event says: its kind and its text (UTF-8, in the run's
// language, without the opening blank and the line end). The Python module
// turns these into its warnings.
struct WarningEvent {
    std::string kind;
    std::string text;
};
WarningEvent warning_event(const Message& message);

// What a failure concerns, noted where it is known just before it is
// thrown: the file that cannot be opened or written ("cannot_open",
// "cannot_write"), or the bytes that cannot be had.
void failure_file(const std::string& name, const char* kind);
void failure_bytes(long double bytes);

// The run ends with its exit status; on failure, with the failure's kind
// ("cannot_open", "cannot_write", "not_enough_memory", "bad_value") and its
// message in the run's language.
void end(int exit_status);
void end_failed(const char* kind, const Message& message);

// The kind of a failure as end_failed names it.
const char* failure_kind(const Failure& failure);

}  // namespace run_events
