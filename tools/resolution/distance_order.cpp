#include "tools/resolution/distance_order.h"

#include <cmath>
#include <utility>
#include <vector>

#include "common/sample_arrays.h"

namespace {

// A leaf of the tournament: the distance now at `position`, or no entry
// (position −1) once that position is settled or for padding leaves.
struct Entry {
    double distance;
    std::int64_t position;
};

// The winner of two entries, `left` covering lower positions than `right`:
// the smaller distance, the left one on a tie. NaN loses to any number, so
// the winner over p … n−1 is the selection sort's first minimum whenever
// the distance at p itself is a number.
inline Entry winner(const Entry& left, const Entry& right) {
    if (right.position < 0) return left;
    if (left.position < 0) return right;
    if (right.distance < left.distance) return right;
    if (std::isnan(left.distance) && !std::isnan(right.distance)) return right;
    return left;
}

class Tournament {
  public:
    Tournament(const double* distance, std::int64_t n) {
        while (leaves_ < n) leaves_ *= 2;
        nodes_ = take_array<Entry>(2 * leaves_);
        for (std::int64_t i = 0; i < leaves_; ++i) nodes_[leaves_ + i] = {0.0, i < n ? i : -1};
        for (std::int64_t i = 0; i < n; ++i) nodes_[leaves_ + i].distance = distance[i];
        for (std::int64_t i = leaves_ - 1; i >= 1; --i) nodes_[i] = winner(nodes_[2 * i], nodes_[2 * i + 1]);
    }

    std::int64_t champion() const { return nodes_[1].position; }

    void set(std::int64_t position, Entry entry) {
        std::int64_t i = leaves_ + position;
        nodes_[i] = entry;
        for (i /= 2; i >= 1; i /= 2) nodes_[i] = winner(nodes_[2 * i], nodes_[2 * i + 1]);
    }

    // Takes the position out. Above the first node it does not win, nothing
    // changes: the winner of a subtree is the least of its leaves.
    void remove(std::int64_t position) {
        std::int64_t i = leaves_ + position;
        nodes_[i].position = -1;
        for (i /= 2; i >= 1 && nodes_[i].position == position; i /= 2) {
            nodes_[i] = winner(nodes_[2 * i], nodes_[2 * i + 1]);
        }
    }

  private:
    std::int64_t leaves_ = 1;
    std::vector<Entry> nodes_;  // node i has children 2i and 2i+1; leaves from leaves_
};

}  // namespace

void sort_by_distance(double* distance, double* value, std::int64_t n) {
    if (n < 2) return;
    Tournament tournament(distance, n);
    for (std::int64_t p = 0; p < n - 1; ++p) {
        // With a NaN at p the selection sort finds nothing smaller: q = p.
        const std::int64_t q = std::isnan(distance[p]) ? p : tournament.champion();
        tournament.remove(p);
        if (q == p) continue;
        std::swap(distance[p], distance[q]);
        std::swap(value[p], value[q]);
        tournament.set(q, {distance[q], q});
    }
}
