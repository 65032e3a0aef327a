#pragma once
// The parallel-beam projector. Every pixel is a uniform unit square whose
// shadow on the detector, a trapezoid of area 1, is shared among three
// neighbouring bins in proportion to its area over each (the cij table: a
// first bin and three weights per angle and pixel).
//
// The table is never stored: at W × H × P × 28 bytes it would cost 448 MiB
// for a 256 × 256 image at 256 angles, while every entry is used exactly
// once. make_cij keeps only each angle's geometry, and the projector and the
// back projector evaluate each pixel's entry from it on the fly with
// cij_entry (cij_lanes.h), so every weight is the very value a stored table would hold.
//
// Geometry: pixel (row r, column q) is centred on x = q - W/2, y = H/2 - r
// (integer halves); angle i is θ = i × π / P; the detector coordinate is
// t = x·cos θ + y·sin θ, and bin b is centred on t = b - N/2.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/row_shares.h"

#include "common/code_path.h"

// π as the whole suite takes it.
inline constexpr double projection_pi = 3.14159265358979;

// What one projection angle contributes to every entry of the table.
struct CijAngle {
    double sin_theta, cos_theta;  // S, C
    double c, d;  // min and max of |S| and |C|
    double m, T;  // half the flat top (d - c)/2, half the base (c + d)/2
    double flank;  // c / (d × 2), the area of one sloping flank
    double flank_divisor;  // (d × 2) × c
};

// The shares of the angle θ (radians), as every table forms them: the
// projector's and the iterative methods' weights have the same bits.
CijAngle cij_angle(double theta);

struct CijTable {
    std::int32_t width = 0, height = 0, bins = 0, angles = 0;
    std::vector<CijAngle> angle;  // one per projection angle
};

// One entry of the table: the first of its three bins and their weights.
// An empty entry (the pixel's nearest bin outside 1 … N - 2) has bin 0 and
// weights 0, 0, 0.
struct CijEntry {
    std::int32_t first_bin = 0;
    double w0 = 0, w1 = 0, w2 = 0;
};

// Prepares the table for a W × H image, N bins and P angles, writing
// "\r *** Make cij [%3d/%3d]" for every angle and a last line with P/P to
// `progress` (standard error in the tools; nothing when it is null).
CijTable make_cij(std::int32_t width, std::int32_t height, std::int32_t bins, std::int32_t angles,
                  std::FILE* progress = stderr);

// x·C for every column and y·S for every row of the image at one angle:
// their sum is exactly the t of each pixel (x·C + y·S).
void cij_products(const CijAngle& a, std::int32_t width, std::int32_t height, double* column_cos,
                  double* row_sin);

// The entries of pixels first … last − 1 of one image row (t = column_cos[q]
// + y_sin) into first_bin[q] and w0[q], w1[q], w2[q]; an empty entry gets
// first_bin −1 and weights 0, 0, 0. The vector forms compute the very same
// expressions two or four pixels at a time.
struct CijRowEntries {
    std::vector<std::int32_t> first_bin;
    std::vector<double> w0, w1, w2;
    explicit CijRowEntries(std::int32_t width);
};
void cij_row_entries(const CijAngle& a, const double* column_cos, double y_sin, std::int32_t first,
                     std::int32_t last, std::int32_t bins, CijRowEntries& row, CodePath path = CodePath::fastest);

// Clears the P × N sinogram and adds (w × pixel value) × Δ of every entry
// to its bins: angles in order, pixels in row-major order, bins k = 0, 1, 2.
// An empty entry adds (0 × pixel value) × Δ to bins 0, 1 and 2 (those that
// exist): nothing for finite values, NaN for a NaN or infinite one.
// With row shares, a share run computes only its share of the angles and
// writes them to its file; a whole run takes the angles the share files
// hold and computes the others (common/row_shares.h).
void project_image(const double* image, std::int32_t width, std::int32_t height, double pixel_length,
                   const CijTable& cij, double* sinogram, CodePath path = CodePath::fastest,
                   const RowShares& shares = RowShares{});
