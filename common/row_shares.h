#pragma once
// One run of a tool split over several runs of the same tool, for a host
// that cannot give one run threads: the lab's page, opened from a file, is
// not cross-origin isolated, so its WebAssembly has no shared memory and
// each worker runs a whole instance of its own. The independent rows of a
// tool's main loop (a sinogram's angles) are then computed in two phases:
//
//   share runs   CT_ROW_SHARE=k/n:FILE  each of n runs computes the units
//                u of the loop with u·n / units = k (integer division) and
//                writes their rows to FILE; what else it writes the host
//                throws away;
//   whole run    CT_ROW_SHARES=FILE|FILE|…  takes the rows the files hold
//                and computes the rest, then writes all the tool writes.
//
// Each row is computed by the same code whichever run computes it, so the
// whole run writes the bytes of a run without shares. Without either
// variable nothing changes. A share file that does not fit the loop (other
// rows, another row length, cut short) is a failure of the host, named.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class RowShares {
  public:
    // The run's shares as the environment gives them; none when it gives none.
    static RowShares from_environment();
    static RowShares share_run(std::int32_t part, std::int32_t parts, std::string file);
    static RowShares whole_run(std::vector<std::string> files);

    // The loop is shared out in units (a sinogram's angle, a block of image
    // rows); a unit writes whole rows of the output, of `length` values each.
    // rows_of(unit, rows) lists the rows a unit writes.
    using UnitRows = std::function<void(std::int64_t unit, std::vector<std::int64_t>& rows)>;

    // Whether this run computes `unit` of `units`: every unit without
    // shares, its own in a share run, those `given` (by take_given) lacks in
    // a whole run.
    bool computes(std::int64_t unit, std::int64_t units, const std::vector<char>& given = {}) const;
    // A whole run: fills the rows of the units the share files hold into
    // `out` and marks those units done (`done`: one flag a unit).
    void take_given(double* out, std::int64_t units, std::int64_t length, const UnitRows& rows_of,
                    std::vector<char>& done) const;
    // A share run: writes the rows of its units of `out` to its file.
    void write_share(const double* out, std::int64_t units, std::int64_t length, const UnitRows& rows_of) const;
    // Units that are rows themselves (unit u writes row u).
    static void one_row(std::int64_t unit, std::vector<std::int64_t>& rows) { rows.assign(1, unit); }

    bool is_share_run() const { return parts_ > 0; }
    bool is_whole_run() const { return !given_.empty(); }

  private:
    std::int32_t part_ = 0, parts_ = 0;
    std::string file_;
    std::vector<std::string> given_;
};
