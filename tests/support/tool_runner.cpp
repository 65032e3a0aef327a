#include "tests/support/tool_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "common/console_text.h"

extern char** environ;

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

std::filesystem::path tool_path(const std::string& tool) { return std::filesystem::path(CT_TOOL_DIR) / tool; }

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
    return run_tool_in(tool, arguments, answer_text, dir, environment, std::chrono::seconds(120), SIGKILL);
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

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in_file.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

    const std::string program = tool_path(tool).string();
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The caller's CT_ENCODING must not change what the tests see.
    std::vector<char*> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string_view(*entry).starts_with("CT_ENCODING=")) continue;
        env.push_back(*entry);
    }
    for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ToolRun run;
    if (spawned != 0) {
        run.err = "cannot start " + program;
        return run;
    }

    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, timeout_signal);
            // A tool that does not end on that signal within a second is killed.
            for (int waited = 0; waitpid(pid, &status, WNOHANG) != pid; ++waited) {
                if (waited == 500) {
                    kill(pid, SIGKILL);
                    waitpid(pid, &status, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            run.timed_out = true;
            if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!run.timed_out && WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
    if (!run.timed_out && WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.out = read_file(out_file);
    run.err = read_file(err_file);
    return run;
}
