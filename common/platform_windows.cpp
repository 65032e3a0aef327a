// The Windows side of platform.h: consoles through _isatty and the console
// output code page, memory from GlobalMemoryStatusEx, code page 932 through
// WideCharToMultiByte, file names opened as the wide names of what was typed,
// and outputs written to a temporary file beside the target, marked for
// deletion until it is complete, that MoveFileExW then puts in place.

#include <windows.h>
#include <io.h>
#include <process.h>

#include <fcntl.h>

#include <cerrno>

#include <filesystem>
#include <utility>

#include "common/platform.h"

bool is_terminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool terminal_shows_utf8() { return GetConsoleOutputCP() == CP_UTF8; }

long double available_memory_bytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status) || status.ullAvailPhys == 0) return -1;
    return static_cast<long double>(status.ullAvailPhys);
}

namespace {

// Text of the given code page in UTF-16, or nothing when it is not valid.
std::wstring wide_text(std::string_view text, UINT code_page, DWORD flags) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(code_page, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(code_page, flags, text.data(), size, wide.data(), length);
    return wide;
}

// Where glibc's CP932 and Windows' code page 932 part ways: characters that
// glibc also maps (the JIS forms of ¢ £ ¥ ¬ — ‖ ‾ − 〜) and characters only
// Windows maps (U+0080 and four private-use ones). The bytes follow glibc,
// so that both builds print the same.
struct Cp932Exception {
    wchar_t character;
    const char* bytes;  // "?" where glibc has no form
};
constexpr Cp932Exception glibc_forms[] = {
    {L'\u00A2', "\x81\x91"},
    {L'\u00A3', "\x81\x92"},
    {L'\u00A5', "\x5C"},
    {L'\u00AC', "\x81\xCA"},
    {L'\u2014', "\x81\x5C"},
    {L'\u2016', "\x81\x61"},
    {L'\u203E', "\x7E"},
    {L'\u2212', "\x81\x7C"},
    {L'\u301C', "\x81\x60"},
    {L'\u0080', "?"},
    {L'\uF8F0', "?"},
    {L'\uF8F1', "?"},
    {L'\uF8F2', "?"},
    {L'\uF8F3', "?"},
};

// One character, given as its UTF-8 bytes, in code page 932; "?" where it
// has none (no best-fit look-alikes: the bytes must match iconv's).
std::string cp932_character(std::string_view utf8_character) {
    const std::wstring wide = wide_text(utf8_character, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty()) return "?";
    for (const Cp932Exception& exception : glibc_forms) {
        if (wide.size() == 1 && wide[0] == exception.character) return exception.bytes;
    }
    char bytes[8];
    BOOL defaulted = FALSE;
    const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           bytes, sizeof bytes, nullptr, &defaulted);
    if (length <= 0 || defaulted) return "?";
    return std::string(bytes, static_cast<std::size_t>(length));
}

std::size_t utf8_length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

std::string utf8_to_cp932(std::string_view utf8) {
    // Character by character, so that one without a form becomes exactly one "?".
    std::string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[at]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++at;
            continue;
        }
        std::size_t length = 1;
        while (length < utf8_length(lead) && at + length < utf8.size() &&
               (static_cast<unsigned char>(utf8[at + length]) & 0xC0) == 0x80) {
            ++length;
        }
        out += cp932_character(utf8.substr(at, length));
        at += length;
    }
    return out;
}

namespace {

// File names come as the bytes that were typed: in the console's input code
// page, or without a console (answers from a file or a pipe) in Shift_JIS,
// like every text of the suite. Bytes that are no text there are taken in
// the ANSI code page, as the C library's fopen would take them.
std::wstring wide_name(const std::string& name) {
    const UINT console = GetConsoleCP();
    const std::wstring wide = wide_text(name, console != 0 ? console : 932, MB_ERR_INVALID_CHARS);
    return wide.empty() ? wide_text(name, CP_ACP, 0) : wide;
}

// The temporary file's name is kept in UTF-8, which holds any wide name.
std::string utf8_name(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring temporary_name(const std::string& utf8) { return wide_text(utf8, CP_UTF8, 0); }

std::wstring folder_of(const std::wstring& name) {
    const std::wstring folder = std::filesystem::path(name).parent_path().wstring();
    return folder.empty() ? L"." : folder;
}

// A C stream over a file handle; the handle is closed when that fails.
std::FILE* stream_of(HANDLE handle) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, "wb");
    if (stream == nullptr) _close(fd);
    return stream;
}

bool set_delete_on_close(HANDLE handle, bool deleted) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleted ? TRUE : FALSE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

bool open_in_place(const std::string& name, PendingOutput& output) {
    output.stream = _wfopen(wide_name(name).c_str(), L"wb");
    return output.stream != nullptr;
}

}  // namespace

const char* file_name_problem(const std::string& name) {
    if (name.empty() || name.back() != ' ') return nullptr;
    if (name.find_first_not_of(' ') == std::string::npos) return "名前が空白だけです";
    return "名前が空白で終わっています。Windows は名前の末尾の空白を落として別のファイルを開きます";
}

std::FILE* open_for_reading(const std::string& name, const char* mode) {
    const std::wstring wide = wide_name(name);
    if (file_name_problem(name) != nullptr || wide.empty()) return nullptr;
    const std::string narrow_mode(mode);
    return _wfopen(wide.c_str(), std::wstring(narrow_mode.begin(), narrow_mode.end()).c_str());
}

std::int64_t regular_file_size(std::FILE* stream) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    LARGE_INTEGER size{};
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size))
        return -1;
    return static_cast<std::int64_t>(size.QuadPart);
}

std::int64_t file_size_by_name(const std::string& name) {
    const std::wstring wide = wide_name(name);
    if (file_name_problem(name) != nullptr || wide.empty()) return -1;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::FILE* open_for_appending(const std::string& name, int& error) {
    // As the C library takes a name from the environment; a named pipe
    // without a server fails at once rather than waiting.
    std::FILE* stream = std::fopen(name.c_str(), "ab");
    if (stream == nullptr) error = errno;
    return stream;
}

bool same_file(const std::string& environment_name, const std::string& typed) {
    const std::wstring wide = wide_name(typed);
    if (wide.empty()) return false;
    const std::filesystem::path a = std::filesystem::path(environment_name), b = std::filesystem::path(wide);
    std::error_code error;
    const bool a_exists = std::filesystem::exists(a, error), b_exists = std::filesystem::exists(b, error);
    if (a_exists && b_exists) return std::filesystem::equivalent(a, b, error) && !error;
    if (a_exists != b_exists) return false;
    std::error_code error_a, error_b;
    const auto path_a = std::filesystem::weakly_canonical(std::filesystem::absolute(a, error_a), error_a);
    const auto path_b = std::filesystem::weakly_canonical(std::filesystem::absolute(b, error_b), error_b);
    return !error_a && !error_b && path_a == path_b;
}

bool open_pending_output(const std::string& name, PendingOutput& output) {
    output = PendingOutput{};
    const std::wstring target = wide_name(name);
    if (target.empty() || file_name_problem(name) != nullptr) return false;
    // Ask the system whether the name can be written, without truncating:
    // an existing file or device is opened for writing as it is, a new name
    // is created and removed again when the probe closes.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE probe = CreateFileW(target.c_str(), GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
        probe = CreateFileW(target.c_str(), GENERIC_WRITE, share, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE,
                            nullptr);
        if (probe == INVALID_HANDLE_VALUE) return false;
    } else if (GetFileType(probe) != FILE_TYPE_DISK) {  // NUL, CON, a pipe: written as it is
        CloseHandle(probe);
        return open_in_place(name, output);
    }
    CloseHandle(probe);

    const std::wstring folder = folder_of(target);
    for (int attempt = 0; attempt <= 100; ++attempt) {
        // A short name: the target's own may already be as long as a name can be.
        const std::wstring temporary =
            (std::filesystem::path(folder) /
             (L".ct_part_" + std::to_wstring(_getpid()) + L"_" + std::to_wstring(attempt)))
                .wstring();
        HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            break;
        }
        // Marked for deletion while it is written: if the run ends before the
        // file is finished, the system removes it with the last handle.
        set_delete_on_close(handle, true);
        output.stream = stream_of(handle);
        if (output.stream == nullptr) {
            DeleteFileW(temporary.c_str());
            break;
        }
        output.temporary = utf8_name(temporary);
        return true;
    }
    return open_in_place(name, output);  // no temporary file can be made here: write in place
}

bool finish_pending_output(const std::string& name, PendingOutput& output) {
    // A finished file is kept: its deletion is called off before it closes.
    if (!output.temporary.empty() &&
        !set_delete_on_close(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(output.stream))), false)) {
        drop_pending_output(output);
        return false;
    }
    std::FILE* stream = std::exchange(output.stream, nullptr);
    bool written = std::fclose(stream) == 0;
    if (written && !output.temporary.empty()) {
        written = MoveFileExW(temporary_name(output.temporary).c_str(), wide_name(name).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        if (written) output.temporary.clear();
    }
    if (!written) drop_pending_output(output);
    return written;
}

void drop_pending_output(PendingOutput& output) {
    if (output.stream != nullptr) std::fclose(output.stream);
    if (!output.temporary.empty()) DeleteFileW(temporary_name(output.temporary).c_str());
    output = PendingOutput{};
}
