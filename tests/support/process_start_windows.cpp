#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
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

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

// One argument of a command line as the C runtime splits it again: quoted
// when it holds blanks or quotes, backslashes doubled before a quote.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

std::vector<std::string> current_environment() {
    std::vector<std::string> entries;
    for (char** entry = _environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
    return entries;
}

ProcessEnd run_process(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, const std::filesystem::path& dir,
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
    std::wstring command_line = quoted(program.wstring());
    for (const std::string& argument : arguments) command_line += L" " + quoted(wide(argument));
    std::wstring block;  // NAME=value entries, each ended by a NUL, and one more NUL
    for (const std::string& entry : environment) block += wide(entry) + L'\0';
    block += L'\0';
    PROCESS_INFORMATION process{};
    const bool handles_open = streams[0] != INVALID_HANDLE_VALUE && streams[1] != INVALID_HANDLE_VALUE &&
                              streams[2] != INVALID_HANDLE_VALUE;
    // Without a console of its own or the test's: the tool sees files only,
    // whatever console the tests were started from.
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | DETACHED_PROCESS;
    // Under wine a tool has been seen not to start (once in a whole run of
    // the tests, two test processes at a time): a start that fails for
    // another reason than a missing program is tried again a few times
    // before the run counts as not started, and then the error is said.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5 && handles_open; ++attempt) {
        end.started = CreateProcessW(program.wstring().c_str(), command_line.data(), nullptr, nullptr, TRUE, flags,
                                     block.data(), dir.wstring().c_str(), &startup, &process);
        if (end.started) break;
        error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) break;
        Sleep(200);
    }
    if (!end.started)
        end.why_not_started = handles_open ? "CreateProcess error " + std::to_string(error) : "its standard files did not open";
    for (HANDLE stream : streams) {
        if (stream != INVALID_HANDLE_VALUE) CloseHandle(stream);
    }
    if (!end.started) return end;
    CloseHandle(process.hThread);

    // Its outputs are read only once it has ended: a wait that fails (rather
    // than times out) is no end, nor is an exit code of STILL_ACTIVE.
    const DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(limit.count()));
    if (waited == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        end.timed_out = true;
    } else {
        DWORD code = STILL_ACTIVE;
        if (waited != WAIT_OBJECT_0) WaitForSingleObject(process.hProcess, INFINITE);
        for (int tries = 0; tries < 100 && GetExitCodeProcess(process.hProcess, &code) && code == STILL_ACTIVE; ++tries)
            Sleep(10);
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

// The C library's tmpfile makes its files in the root of the drive under
// names from a sequence that test processes running side by side can race
// for; this name is random and in the temporary folder, and "D" deletes the
// file when the stream is closed.
std::FILE* scratch_stream() {
    static std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::filesystem::path name = std::filesystem::temp_directory_path() /
                                           ("ct_stream_" + std::to_string(random()) + "_" + std::to_string(random()));
        if (std::FILE* stream = _wfopen(name.c_str(), L"w+bD")) return stream;
    }
    return nullptr;
}
