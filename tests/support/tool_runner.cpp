#include "tests/support/tool_runner.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "common/console_text.h"
#include "tests/support/process_start.h"

ScratchDir::ScratchDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("ct_test_" + std::to_string(getpid()) + "_" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path tool_path(const std::string& tool) { return std::filesystem::path(CT_TOOL_DIR) / (tool + CT_TOOL_SUFFIX); }

std::string read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<float> read_floats(const std::filesystem::path& file) {
    const std::string bytes = read_file(file);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

void write_floats(const std::filesystem::path& file, const std::vector<float>& samples) {
    write_file(file, std::string(reinterpret_cast<const char*>(samples.data()), samples.size() * sizeof(float)));
}

std::FILE* stream_writing() {
    std::FILE* stream = scratch_stream();
    if (stream == nullptr) throw std::runtime_error("cannot create a temporary file");
    return stream;
}

std::FILE* stream_reading(const std::string& bytes) {
    std::FILE* stream = stream_writing();
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
    return stream;
}

std::string written_and_closed(std::FILE* stream) {
    std::string bytes;
    std::rewind(stream);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, stream)) > 0;) bytes.append(block, n);
    std::fclose(stream);
    return bytes;
}

std::string answers(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

std::string sjis(const std::string& utf8) { return to_shift_jis(utf8); }

std::string without_warnings(const std::string& err) {
    const std::string mark = sjis(" 警告：");
    std::string kept;
    std::size_t start = 0;
    while (start < err.size()) {
        std::size_t end = err.find('\n', start);
        end = end == std::string::npos ? err.size() : end + 1;
        if (err.compare(start, mark.size(), mark) != 0) kept += err.substr(start, end - start);
        start = end;
    }
    return kept;
}

std::vector<std::string> warnings_of(const std::string& err) {
    const std::string mark = sjis(" 警告：");
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < err.size()) {
        std::size_t end = err.find('\n', start);
        end = end == std::string::npos ? err.size() : end + 1;
        if (err.compare(start, mark.size(), mark) == 0) lines.push_back(err.substr(start, end - start));
        start = end;
    }
    return lines;
}

ToolRun run_tool(const std::string& tool, const std::string& answer_text, const std::filesystem::path& dir,
                 int timeout_seconds, int timeout_signal) {
    return run_tool_for(tool, answer_text, dir, std::chrono::seconds(timeout_seconds), timeout_signal);
}

ToolRun run_tool_for(const std::string& tool, const std::string& answer_text, const std::filesystem::path& dir,
                     std::chrono::milliseconds limit, int timeout_signal) {
    return run_tool_in(tool, {}, answer_text, dir, {}, limit, timeout_signal);
}

ToolRun run_tool_with(const std::string& tool, const std::vector<std::string>& arguments,
                      const std::string& answer_text, const std::filesystem::path& dir,
                      const std::vector<std::string>& environment) {
    // 9 is SIGKILL on POSIX; Windows terminates a run past its time anyway.
    return run_tool_in(tool, arguments, answer_text, dir, environment, std::chrono::seconds(120), 9);
}

ToolRun run_tool_in(const std::string& tool, const std::vector<std::string>& arguments, const std::string& answer_text,
                    const std::filesystem::path& dir, const std::vector<std::string>& environment,
                    std::chrono::milliseconds limit, int timeout_signal) {
    // Standard input, output and error go through files in a private folder
    // beside the scratch folder, so the tool's own folder holds only its files.
    ScratchDir io;
    const auto in_file = io / "stdin";
    const auto out_file = io / "stdout";
    const auto err_file = io / "stderr";
    write_file(in_file, answer_text);

    // The caller's CT_ENCODING and CT_LANG must not change what the tests see.
    std::vector<std::string> env;
    for (std::string& entry : current_environment()) {
        const std::string_view name(entry);
        if (!name.starts_with("CT_ENCODING=") && !name.starts_with("CT_LANG=")) env.push_back(std::move(entry));
    }
    env.insert(env.end(), environment.begin(), environment.end());
    const ProcessEnd end =
        run_process(tool_path(tool), arguments, env, dir, in_file, out_file, err_file, limit, timeout_signal);
    ToolRun run;
    if (!end.started) {
        run.err = "cannot start " + tool_path(tool).string() +
                  (end.why_not_started.empty() ? "" : " (" + end.why_not_started + ")");
        return run;
    }
    run.exit_status = end.exit_status;
    run.signal = end.signal;
    run.timed_out = end.timed_out;
    run.out = console_text_with_lf(read_file(out_file));
    run.err = console_text_with_lf(read_file(err_file));
    return run;
}
