#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "tests/support/process_start.h"

extern char** environ;

std::vector<std::string> current_environment() {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
    return entries;
}

ProcessEnd run_process(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, const std::filesystem::path& dir,
                       const std::filesystem::path& in, const std::filesystem::path& out,
                       const std::filesystem::path& err, std::chrono::milliseconds limit, int timeout_signal) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

    const std::string name = program.string();
    std::vector<char*> argv = {const_cast<char*>(name.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> env;
    for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, name.c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ProcessEnd end;
    if (spawned != 0) return end;
    end.started = true;

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
            end.timed_out = true;
            if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!end.timed_out && WIFEXITED(status)) end.exit_status = WEXITSTATUS(status);
    if (!end.timed_out && WIFSIGNALED(status)) end.signal = WTERMSIG(status);
    return end;
}

std::string console_text_with_lf(std::string bytes) { return bytes; }

std::FILE* scratch_stream() { return std::tmpfile(); }
