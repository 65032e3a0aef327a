#include "tools/phantom/ellipse_file.h"

#include <cstdlib>
#include <cstring>

#include "common/console_text.h"
#include "common/dialogue.h"
#include "common/output_file.h"
#include "common/platform.h"
#include "common/run_events.h"

namespace {

constexpr int field_count = 6;

void set_error(EllipseFileResult& result, message_detail::Format<const char*, long> utf8_format,
               const std::string& file_name, long line_number) {
    result.fault.emplace(utf8_format, file_name.c_str(), line_number);
    result.error = result.fault->utf8();
}

// Fields of a data line: separated by single tabs, the last one ended by
// the line end (or by the end of the file).
int count_fields(const char* line) {
    int fields = 1;
    for (const char* p = line; *p != '\0' && *p != '\n'; ++p) {
        if (*p == '\t') ++fields;
    }
    return fields;
}

bool blank_line(const char* line) { return line[0] == '\0' || line[0] == '\n'; }

}  // namespace

EllipseFileResult read_ellipses(std::FILE* in, const std::string& file_name, std::int32_t count,
                                std::FILE* echo) {
    EllipseFileResult result;
    char line[answer_buffer_size];
    long line_number = 0;
    while (static_cast<std::int32_t>(result.ellipses.size()) < count) {
        if (std::fgets(line, sizeof line, in) == nullptr) {
            set_error(result, " エラー：楕円パラメータが足りません[%s] %ld 行目.\n", file_name, line_number + 1);
            return result;
        }
        ++line_number;
        const std::size_t length = std::strlen(line);
        bool line_end_taken = false;  // the line end that did not fit into the buffer
        if (length > 0 && line[length - 1] != '\n') {
            const int next = std::fgetc(in);  // a full buffer: is the line longer than 255 bytes?
            if (next != EOF && next != '\n') {
                set_error(result, " エラー：行が長すぎます（255 バイトまで）[%s] %ld 行目.\n", file_name, line_number);
                return result;
            }
            line_end_taken = next == '\n';
        }
        if (line[0] == '#') {
            if (echo != nullptr) std::fputs(line, echo);
            if (echo != nullptr && line_end_taken) std::fputs("\n", echo);
            continue;
        }
        if (blank_line(line) || count_fields(line) < field_count) {
            set_error(result, " エラー：楕円パラメータが6個ありません[%s] %ld 行目.\n", file_name, line_number);
            return result;
        }
        double values[field_count];
        const char* position = line;
        for (double& value : values) {
            value = std::strtod(position, nullptr);
            if (echo != nullptr) std::fprintf(echo, "%7.4f ", value);
            position += std::strcspn(position, "\t\n");
            if (*position != '\0') ++position;
        }
        if (echo != nullptr) std::fputs("\n", echo);
        result.ellipses.push_back({values[0], values[1], values[2], values[3], values[4], values[5]});
    }
    return result;
}

namespace {

std::vector<Ellipse> ellipses_or_end(std::FILE* in, const std::string& name, std::int32_t count, std::FILE* echo) {
    EllipseFileResult table = read_ellipses(in, name, count, echo);
    std::fclose(in);
    if (table.fault) throw Failure(FailureKind::value, *table.fault);
    return std::move(table.ellipses);
}

}  // namespace

std::vector<Ellipse> load_ellipses(const std::string& file_name, std::int32_t count, std::FILE* echo) {
    std::FILE* in = open_for_reading(file_name, "r");
    if (in == nullptr) fail_open(file_name);
    run_events::file(file_name, run_events::Role::input, regular_file_size(in));
    return ellipses_or_end(in, file_name, count, echo);
}

std::vector<Ellipse> ellipses_from_text(const std::string& text, std::int32_t count, std::FILE* echo) {
    // Through a temporary file: the reader takes a stream, and the C
    // library has no portable stream over memory.
    const std::string name = "<text>";
    std::FILE* in = std::tmpfile();
    if (in == nullptr) fail_open(name);
    if (std::fwrite(text.data(), 1, text.size(), in) != text.size()) {
        std::fclose(in);
        fail_write(name);
    }
    std::rewind(in);
    return ellipses_or_end(in, name, count, echo);
}
