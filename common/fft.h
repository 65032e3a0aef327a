#pragma once
// Complex radix-2 fast Fourier transform on separate real and imaginary
// arrays, and the centred wrappers that put the origin of the input and the
// zero frequency of the output at index n/2. n is a power of two, at least 4.

#include <cstdint>
#include <vector>

// Length of the rows that fft_centered_rows transforms, whatever the tool.
inline constexpr int fft_row_length = 512;

struct FftTables {
    std::vector<double> sin_table;  // n/2 entries: sin(k·2π/n)
    std::vector<double> cos_table;  // n/2 entries: cos(k·2π/n), from the very sine values
    std::vector<std::int32_t> bitrev;  // n entries: i with its log2(n) low bits reversed
};

void fft_make_tables(int n, double* sin_table, double* cos_table, std::int32_t* bitrev);
FftTables fft_make_tables(int n);

void fft_bit_reverse(int n, double* re, double* im, const std::int32_t* bitrev);

// direction +1: X[k] = Σ x[m]·e^(−2πi·km/n), unscaled; direction −1: the
// inverse, divided by n. Any other direction transforms without scaling.
void fft_transform(int direction, int n, double* re, double* im, const double* sin_table,
                   const double* cos_table, const std::int32_t* bitrev);

// Forward transform with the origin at index n/2, in place.
void fft_centered(double* re, double* im, int n);

// Each of `rows` rows of 512 samples replaced by its centred transform.
void fft_centered_rows(int direction, double* re, double* im, int rows);

// Forward 2-D transform (rows, then columns) with the origin at
// (row height/2, column width/2), in place.
void fft2_centered(double* re, double* im, int width, int height);
