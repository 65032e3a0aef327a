#pragma once
// From the line spread function to the modulation transfer function.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/message_sink.h"

// Largest N for which the 2N-point transform length still fits its int.
inline constexpr std::int32_t max_transfer_points = 1 << 29;

// True when N is a power of two from 2 to max_transfer_points, so that the
// LSF of 2N points can be transformed.
bool is_transfer_point_count(std::int32_t n);

// MTF[i] = re[n + i] / re[n] for i = 0 … n−1, where re is the real part of
// the centred transform of lsf[0 .. 2n−1] (imaginary part 0). lsf is
// replaced by that real part; the imaginary part is not used.
void transfer_from_line_spread(double* lsf, std::int32_t n, double* mtf);

// Undoes the 2Δ-wide averaging window of the ESF once: line i ≥ 1 is
// multiplied by x / sin x with x = ((i / Δ) / n) × π × Δ (= π·i/n).
void correct_for_window(double* mtf, std::int32_t n, double delta);

// Fails (an unusable value) unless is_transfer_point_count(n).
void require_transfer_point_count(std::int32_t n);

// transfer_curve's measurement on an edge image: the ESF of 2N points of
// spacing Δ (the tilt line and warnings to the sink), its LSF into
// lsf[0 .. 2N−1], and the MTF of N points into mtf, corrected twice for the
// averaging window: every line ends multiplied by (x / sin x)². `image` is
// reordered by distance.
void measure_transfer(std::vector<double>& image, std::int32_t width, std::int32_t height, std::int32_t points,
                      double delta, double* lsf, double* mtf, MessageSink& sink);
