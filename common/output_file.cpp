#include "common/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "common/console_text.h"

namespace {

constexpr std::int64_t chunk_samples = 1 << 16;  // samples narrowed per fwrite

std::string folder_of(const std::string& name) {
    const std::string folder = std::filesystem::path(name).parent_path().string();
    return folder.empty() ? "." : folder;
}

}  // namespace

void fail_open(const std::string& name) { fail_with(" エラー：ファイルが開きません[%s].\n", name.c_str()); }

void fail_write(const std::string& name) { fail_with(" エラー：ファイルに書き込めません[%s].\n", name.c_str()); }

OutputFile::OutputFile(std::string name, bool binary) : name_(std::move(name)) {
    const char* mode = binary ? "wb" : "w";
    struct stat link_info {};
    const bool existed = lstat(name_.c_str(), &link_info) == 0;
    if (existed && !S_ISREG(link_info.st_mode)) {  // device, pipe, link, folder: as it is
        open_in_place(mode);
        return;
    }
    // Ask the system whether the name can be written, without truncating:
    // the same failures as opening it for writing, nothing changed on success.
    const int probe = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (probe < 0) fail_open(name_);
    ::close(probe);
    if (!existed) ::unlink(name_.c_str());
    if (!open_beside(mode, existed, link_info.st_mode & 07777)) open_in_place(mode);
}

void OutputFile::open_in_place(const char* mode) {
    stream_ = std::fopen(name_.c_str(), mode);
    if (stream_ == nullptr) fail_open(name_);
}

bool OutputFile::open_beside(const char* mode, bool existed, unsigned existing_mode) {
    // An unnamed file vanishes by itself if the run ends before close.
    // Naming it at close goes through /proc/self/fd.
    int fd = ::access("/proc/self/fd", X_OK) == 0
                 ? ::open(folder_of(name_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)
                 : -1;
    unnamed_ = fd >= 0;
    if (!unnamed_) {  // file systems without unnamed files: a hidden file beside the target
        std::string pattern = (std::filesystem::path(folder_of(name_)) / ".ct_part_XXXXXX").string();
        fd = mkstemp(pattern.data());
        if (fd < 0) return false;
        pending_name_ = pattern;
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    if (existed) fchmod(fd, existing_mode);  // the replacement keeps the old file's permissions
    stream_ = fdopen(fd, mode);
    if (stream_ == nullptr) {
        ::close(fd);
        if (!pending_name_.empty()) ::unlink(pending_name_.c_str());
        pending_name_.clear();
        return false;
    }
    return true;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : name_(std::move(other.name_)),
      stream_(std::exchange(other.stream_, nullptr)),
      pending_name_(std::exchange(other.pending_name_, {})),
      unnamed_(other.unnamed_),
      samples_written_(other.samples_written_),
      non_finite_(other.non_finite_),
      first_non_finite_(other.first_non_finite_),
      non_finite_cause_(std::move(other.non_finite_cause_)) {}

OutputFile::~OutputFile() {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!pending_name_.empty()) ::unlink(pending_name_.c_str());
}

void OutputFile::write_samples(const double* samples, std::int64_t count) {
    std::vector<float> narrow(static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, chunk_samples)));
    for (std::int64_t start = 0; start < count; start += chunk_samples) {
        const std::int64_t n = std::min(chunk_samples, count - start);
        for (std::int64_t i = 0; i < n; ++i) {
            narrow[i] = static_cast<float>(samples[start + i]);
            if (!std::isfinite(narrow[i])) {
                if (non_finite_ == 0) first_non_finite_ = samples_written_ + start + i;
                ++non_finite_;
            }
        }
        if (std::fwrite(narrow.data(), sizeof(float), static_cast<std::size_t>(n), stream_) !=
            static_cast<std::size_t>(n)) {
            fail_write(name_);
        }
    }
    samples_written_ += std::max<std::int64_t>(count, 0);
}

void OutputFile::close() {
    std::FILE* stream = std::exchange(stream_, nullptr);
    bool written = std::fflush(stream) == 0 && !std::ferror(stream);
    if (written && unnamed_) {
        // Give the finished unnamed file a hidden name beside the target.
        const std::string fd_path = "/proc/self/fd/" + std::to_string(fileno(stream));
        for (int attempt = 0; written && pending_name_.empty(); ++attempt) {
            // A short name: the target's own may already be as long as a name can be.
            std::string candidate = (std::filesystem::path(folder_of(name_)) /
                                     (".ct_part_" + std::to_string(getpid()) + "_" + std::to_string(attempt)))
                                        .string();
            if (linkat(AT_FDCWD, fd_path.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                pending_name_ = candidate;
            } else if (errno != EEXIST || attempt > 100) {
                written = false;
            }
        }
    }
    if (std::fclose(stream) != 0) written = false;
    if (written && !pending_name_.empty()) {
        written = std::rename(pending_name_.c_str(), name_.c_str()) == 0;
        if (written) pending_name_.clear();
    }
    if (!written) {
        if (!pending_name_.empty()) ::unlink(pending_name_.c_str());
        pending_name_.clear();
        fail_write(name_);
    }
    if (non_finite_ > 0) {
        std::fflush(stdout);
        console_printf(stderr, " 警告：出力ファイル[%s]に有限でない値（NaN か無限大）が %lld 個あります（最初は標本 %lld、0から数えて）。%s\n",
                       name_.c_str(), static_cast<long long>(non_finite_), static_cast<long long>(first_non_finite_),
                       console_encoding_of(stderr, non_finite_cause_).c_str());
    }
}
