// The POSIX side of platform.h shared by Linux and WebAssembly: a UTF-8
// terminal from the locale, code page 932 through iconv, and outputs
// written to an unnamed file (O_TMPFILE) or a hidden one beside the target.
// The system's own answers (terminals, memory, the converter's name, the
// file creation mask) come from platform_linux.cpp or platform_wasm.cpp.

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "common/platform.h"
#include "common/platform_posix_system.h"

bool terminal_shows_utf8() {
    const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        std::string lower(value);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
    }
    return false;
}

std::string utf8_to_cp932(std::string_view utf8) {
    const Cp932Converter converter = cp932_converter();
    iconv_t cd = iconv_open(converter.name, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);  // no converter: pass through
    // One character at a time: a character the converter refuses, or one it
    // replaces by a substitute of its own, becomes "?". A character is a
    // byte and the continuation bytes after it.
    std::string out;
    out.reserve(utf8.size());
    char converted[16];
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t length = 1;
        while (at + length < utf8.size() && (static_cast<unsigned char>(utf8[at + length]) & 0xC0) == 0x80) ++length;
        char* in_ptr = const_cast<char*>(utf8.data() + at);
        std::size_t in_left = length;
        char* out_ptr = converted;
        std::size_t out_left = sizeof converted;
        const std::size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
        const bool substituted = converter.substitutes && result != 0;
        if (result != static_cast<std::size_t>(-1) && !substituted && in_left == 0) {
            out.append(converted, sizeof converted - out_left);
        } else {
            out += '?';
            iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        }
        at += length;
    }
    iconv_close(cd);
    return out;
}

std::FILE* open_for_reading(const std::string& name, const char* mode) {
    return std::fopen(system_file_name(name).c_str(), mode);
}

const char* file_name_problem(const std::string&) { return nullptr; }  // every byte but '/' and NUL names a file

std::int64_t regular_file_size(std::FILE* stream) {
    struct stat info {};
    if (fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

std::int64_t file_size_by_name(const std::string& name) {
    struct stat info {};
    if (stat(system_file_name(name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

std::FILE* open_for_appending(const std::string& name, int& error) {
    if (fifo_without_reader(name)) {
        error = ENXIO;
        return nullptr;
    }
    // O_NONBLOCK only for the opening: a fifo without a reader fails at once
    // (ENXIO); once open, writes wait for the reader as they should.
    const int fd = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* stream = ::fdopen(fd, "ab");
    if (stream == nullptr) {
        error = errno;
        ::close(fd);
    }
    return stream;
}

bool same_file(const std::string& environment_name, const std::string& typed) {
    const std::string other = system_file_name(typed);
    struct stat a {
    }, b{};
    const bool a_exists = ::stat(environment_name.c_str(), &a) == 0, b_exists = ::stat(other.c_str(), &b) == 0;
    if (a_exists && b_exists) return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    if (a_exists != b_exists) return false;
    std::error_code error_a, error_b;
    const auto path_a = std::filesystem::weakly_canonical(std::filesystem::absolute(environment_name), error_a);
    const auto path_b = std::filesystem::weakly_canonical(std::filesystem::absolute(other), error_b);
    return !error_a && !error_b && path_a == path_b;
}

namespace {

std::string folder_of(const std::string& name) {
    const std::string folder = std::filesystem::path(name).parent_path().string();
    return folder.empty() ? "." : folder;
}

bool open_in_place(const std::string& name, PendingOutput& output) {
    output.stream = std::fopen(name.c_str(), "wb");
    return output.stream != nullptr;
}

bool open_beside(const std::string& name, bool existed, unsigned existing_mode, PendingOutput& output) {
    // An unnamed file vanishes by itself if the run ends before it is
    // finished. Naming it at the end goes through /proc/self/fd.
    int fd = ::access("/proc/self/fd", X_OK) == 0
                 ? ::open(folder_of(name).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)
                 : -1;
    output.unnamed = fd >= 0;
    if (!output.unnamed) {  // file systems without unnamed files: a hidden file beside the target
        std::string pattern = (std::filesystem::path(folder_of(name)) / ".ct_part_XXXXXX").string();
        fd = mkstemp(pattern.data());
        if (fd < 0) return false;
        output.temporary = pattern;
        fchmod(fd, 0666 & ~file_creation_mask());
    }
    if (existed) fchmod(fd, existing_mode);  // the replacement keeps the old file's permissions
    output.stream = fdopen(fd, "wb");
    if (output.stream == nullptr) {
        ::close(fd);
        if (!output.temporary.empty()) ::unlink(output.temporary.c_str());
        output = PendingOutput{};
        return false;
    }
    return true;
}

}  // namespace

bool open_pending_output(const std::string& typed, PendingOutput& output) {
    output = PendingOutput{};
    const std::string name = system_file_name(typed);
    struct stat link_info {};
    const bool existed = lstat(name.c_str(), &link_info) == 0;
    if (existed && !S_ISREG(link_info.st_mode)) return open_in_place(name, output);  // device, pipe, link, folder
    // Ask the system whether the name can be written, without truncating:
    // the same failures as opening it for writing, nothing changed on success.
    const int probe = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (probe < 0) return false;
    ::close(probe);
    if (!existed) ::unlink(name.c_str());
    return open_beside(name, existed, link_info.st_mode & 07777, output) || open_in_place(name, output);
}

bool finish_pending_output(const std::string& typed, PendingOutput& output) {
    const std::string name = system_file_name(typed);
    std::FILE* stream = std::exchange(output.stream, nullptr);
    bool written = true;
    if (output.unnamed) {
        // Give the finished unnamed file a hidden name beside the target.
        const std::string fd_path = "/proc/self/fd/" + std::to_string(fileno(stream));
        for (int attempt = 0; written && output.temporary.empty(); ++attempt) {
            // A short name: the target's own may already be as long as a name can be.
            std::string candidate = (std::filesystem::path(folder_of(name)) /
                                     (".ct_part_" + std::to_string(getpid()) + "_" + std::to_string(attempt)))
                                        .string();
            if (linkat(AT_FDCWD, fd_path.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                output.temporary = candidate;
            } else if (errno != EEXIST || attempt > 100) {
                written = false;
            }
        }
    }
    if (std::fclose(stream) != 0) written = false;
    if (written && !output.temporary.empty()) {
        written = std::rename(output.temporary.c_str(), name.c_str()) == 0;
        if (written) output.temporary.clear();
    }
    if (!written) drop_pending_output(output);
    return written;
}

void drop_pending_output(PendingOutput& output) {
    if (output.stream != nullptr) std::fclose(output.stream);
    if (!output.temporary.empty()) ::unlink(output.temporary.c_str());
    output = PendingOutput{};
}
