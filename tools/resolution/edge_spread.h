#pragma once
// The slanted-edge measurement shared by slant_profile and transfer_curve:
// the tilt of the edge from the half-maximum crossings of the first and the
// last row, every pixel's signed distance from the edge, the pixels ordered
// by distance, and the oversampled edge spread function (ESF) averaged in
// windows 2Δ wide around points Δ apart; the line spread function (LSF) is
// its forward difference.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/message_sink.h"

// Where a sequence first rises above half its maximum, as a fractional index
// between the samples r−1 and r around the level.
struct Crossing {
    double index;
    // The first sample is already above half the maximum (an edge that does
    // not run dark to bright): the index comes from samples 0 and 1.
    bool starts_above_half;
};

// Half-maximum crossing of v[0 .. m−1]. The level is half the largest value;
// r is the first index whose value exceeds it (1 when there is none, or when
// it is 0, so nothing left of the sequence is read). A sequence shorter than
// 2 has crossing 0.
Crossing half_max_crossing(const double* v, std::int64_t m);

// Tilt of the edge in radians: atan2(crossing of the last row − crossing of
// the first row, height). `crossings` receives both, first row first.
double edge_angle(const std::vector<double>& image, std::int32_t width, std::int32_t height,
                  Crossing crossings[2]);

// Signed distance of every pixel centre from the line through the image
// centre at angle θ: x·cos θ + y·sin θ with x = j − W/2, y = H/2 − i.
std::vector<double> distance_map(std::int32_t width, std::int32_t height, double theta);

// Index of the sorted sample nearest the crossing k, trunc(k + 0.5), when k
// is a number and that index lies inside the n samples; none otherwise.
std::optional<std::int64_t> edge_offset_index(double k, std::int64_t n);

// ESF over `points` windows: point b averages the values whose distance d
// satisfies lower ≤ d < upper, lower/upper = (b − points/2)·Δ + d0 ∓ Δ, summed
// in sorted order. A window without pixels gives 0/0 (NaN). `distance` must be
// ascending as sort_by_distance leaves it.
std::vector<double> edge_spread(const std::vector<double>& distance, const std::vector<double>& sorted_values,
                                std::int64_t points, double delta, double d0);

// LSF[b] = (ESF[b+1] − ESF[b]) / Δ for b < points − 1, and 0 for the last.
void line_spread(const double* esf, std::int64_t points, double delta, double* lsf);

// The whole measurement on an edge image: shows the tilt angle line
// "傾斜角度：%f 度" on the sink, reorders `image` by distance and returns
// the ESF over `points` windows; `tilt_degrees`, when given, receives the
// tilt as shown. Warns on the sink for every crossing that starts above
// half; fails (an unusable value) after the angle line when the angle
// cannot be measured (a first or last row without a crossing) and when the
// edge cannot be located.
std::vector<double> measure_edge_spread(std::vector<double>& image, std::int32_t width, std::int32_t height,
                                        std::int64_t points, double delta, MessageSink& sink,
                                        double* tilt_degrees = nullptr);
