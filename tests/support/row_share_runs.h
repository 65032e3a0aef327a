#pragma once
// A computation split into share runs, each writing its rows to a file in
// `dir`, then the whole run given those files (the last `given` of them;
// every one when negative): what the whole run computes.

#include <filesystem>
#include <string>
#include <vector>

#include "common/row_shares.h"

// compute(const RowShares&) -> std::vector<double>
template <class Compute>
std::vector<double> whole_run_of_shares(const std::filesystem::path& dir, int parts, Compute compute, int given = -1) {
    std::vector<std::string> files;
    for (int part = 0; part < parts; ++part) {
        files.push_back((dir / ("share_" + std::to_string(part) + ".bin")).string());
        compute(RowShares::share_run(part, parts, files.back()));
    }
    if (given >= 0) files.erase(files.begin(), files.end() - given);
    return compute(RowShares::whole_run(files));
}
