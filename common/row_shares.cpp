#include "common/row_shares.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "common/failure.h"

namespace {

constexpr char magic[4] = {'C', 'T', 'R', 'S'};

struct Header {
    char magic[4];
    std::int32_t part, parts;
    std::int64_t rows, length;
};

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

[[noreturn]] void share_failure(const std::string& file, const char* what) {
    fail_with(" エラー：行の分担ファイルが使えません[%s]（%s）.\n", file.c_str(), Text{what});
}

}  // namespace

RowShares RowShares::share_run(std::int32_t part, std::int32_t parts, std::string file) {
    RowShares s;
    s.part_ = part;
    s.parts_ = parts;
    s.file_ = std::move(file);
    return s;
}

RowShares RowShares::whole_run(std::vector<std::string> files) {
    RowShares s;
    s.given_ = std::move(files);
    return s;
}

RowShares RowShares::from_environment() {
    if (const char* share = std::getenv("CT_ROW_SHARE"); share != nullptr && share[0] != '\0') {
        int part = -1, parts = 0, used = 0;
        if (std::sscanf(share, "%d/%d:%n", &part, &parts, &used) != 2 || used == 0 || parts < 1 || part < 0 ||
            part >= parts || share[used] == '\0')
            share_failure(share, "CT_ROW_SHARE は k/n:ファイル名 です");
        return share_run(part, parts, share + used);
    }
    if (const char* given = std::getenv("CT_ROW_SHARES"); given != nullptr && given[0] != '\0') {
        std::vector<std::string> files;
        std::string rest = given;
        for (std::size_t at = 0; at <= rest.size();) {
            const std::size_t bar = rest.find('|', at);
            const std::size_t end = bar == std::string::npos ? rest.size() : bar;
            if (end > at) files.push_back(rest.substr(at, end - at));
            at = end + 1;
        }
        return whole_run(std::move(files));
    }
    return RowShares{};
}

bool RowShares::computes(std::int64_t unit, std::int64_t units, const std::vector<char>& given) const {
    if (!given.empty() && given[static_cast<std::size_t>(unit)] != 0) return false;
    return parts_ == 0 || unit * parts_ / units == part_;
}

void RowShares::take_given(double* out, std::int64_t units, std::int64_t length, const UnitRows& rows_of,
                           std::vector<char>& done) const {
    done.assign(static_cast<std::size_t>(units), 0);
    std::vector<std::int64_t> rows;
    for (const std::string& name : given_) {
        File in(std::fopen(name.c_str(), "rb"), &std::fclose);
        if (!in) share_failure(name, "開けません");
        Header h{};
        if (std::fread(&h, sizeof h, 1, in.get()) != 1 || std::memcmp(h.magic, magic, 4) != 0)
            share_failure(name, "分担ファイルではありません");
        if (h.rows != units || h.length != length || h.parts < 1 || h.part < 0 || h.part >= h.parts)
            share_failure(name, "この計算の行ではありません");
        for (std::int64_t u = 0; u < units; ++u) {
            if (u * h.parts / units != h.part) continue;
            rows_of(u, rows);
            for (const std::int64_t r : rows)
                if (std::fread(out + r * length, sizeof(double), static_cast<std::size_t>(length), in.get()) !=
                    static_cast<std::size_t>(length))
                    share_failure(name, "途中で切れています");
            done[static_cast<std::size_t>(u)] = 1;
        }
    }
}

void RowShares::write_share(const double* out, std::int64_t units, std::int64_t length,
                            const UnitRows& rows_of) const {
    File file(std::fopen(file_.c_str(), "wb"), &std::fclose);
    if (!file) share_failure(file_, "書けません");
    Header h{};
    std::memcpy(h.magic, magic, 4);
    h.part = part_;
    h.parts = parts_;
    h.rows = units;
    h.length = length;
    bool written = std::fwrite(&h, sizeof h, 1, file.get()) == 1;
    std::vector<std::int64_t> rows;
    for (std::int64_t u = 0; u < units && written; ++u) {
        if (!computes(u, units)) continue;
        rows_of(u, rows);
        for (const std::int64_t r : rows)
            written = written && std::fwrite(out + r * length, sizeof(double), static_cast<std::size_t>(length),
                                             file.get()) == static_cast<std::size_t>(length);
    }
    if (!written || std::fclose(file.release()) != 0) share_failure(file_, "書けません");
}
