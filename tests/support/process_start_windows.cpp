#include <windows.h>

#include <string>

#include "tests/support/process_start.h"

namespace {

// A handle the child inherits as one of its standard streams.
HANDLE inheritable(const std::filesystem::path& file, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof security;
    security.bInheritHandle = TRUE;
    return CreateFileW(file.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProcessEnd run_process(const std::filesystem::path& program, const std::filesystem::path& dir,
                       const std::filesystem::path& in, const std::filesystem::path& out,
                       const std::filesystem::path& err, std::chrono::milliseconds limit, int /*timeout_signal*/) {
    // Windows has no signals: a run past its time is terminated.
    ProcessEnd end;
    HANDLE streams[] = {inheritable(in, GENERIC_READ, OPEN_EXISTING), inheritable(out, GENERIC_WRITE, CREATE_ALWAYS),
                        inheritable(err, GENERIC_WRITE, CREATE_ALWAYS)};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = streams[0];
    startup.hStdOutput = streams[1];
    startup.hStdError = streams[2];
    std::wstring command_line = L"\"" + program.wstring() + L"\"";
    PROCESS_INFORMATION process{};
    const bool handles_open = streams[0] != INVALID_HANDLE_VALUE && streams[1] != INVALID_HANDLE_VALUE &&
                              streams[2] != INVALID_HANDLE_VALUE;
    end.started = handles_open && CreateProcessW(program.wstring().c_str(), command_line.data(), nullptr, nullptr,
                                                 TRUE, 0, nullptr, dir.wstring().c_str(), &startup, &process);
    for (HANDLE stream : streams) {
        if (stream != INVALID_HANDLE_VALUE) CloseHandle(stream);
    }
    if (!end.started) return end;
    CloseHandle(process.hThread);

    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(limit.count())) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        end.timed_out = true;
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        end.exit_status = static_cast<int>(code);
    }
    CloseHandle(process.hProcess);
    return end;
}

std::string console_text_with_lf(std::string bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}
