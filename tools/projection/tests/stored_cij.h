#pragma once
// The straightforward projector for the tests: the whole cij table built
// and stored, written step by step as the projector is described, and the
// projection and back projection through it. The tools must give the very
// same bytes without storing the table.

#include <cstdint>
#include <vector>

struct StoredCij {
    std::int32_t width, height, bins, angles;
    std::vector<std::int32_t> index;  // W × H × P entries, (i·H + r)·W + q
    std::vector<double> weight;  // three per entry
};

StoredCij make_stored_cij(std::int32_t width, std::int32_t height, std::int32_t bins, std::int32_t angles);

// Sinogram of P × N samples.
std::vector<double> project_with_table(const std::vector<double>& image, double pixel_length, const StoredCij& cij);

// Image of W × H values from a (filtered) sinogram.
std::vector<double> back_project_with_table(const std::vector<double>& sinogram, const StoredCij& cij);

// True when both arrays hold the same bytes.
bool same_bytes(const std::vector<double>& a, const std::vector<double>& b);
