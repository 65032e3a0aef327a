#include "common/fft.h"

#include <cmath>
#include <utility>

namespace {

constexpr double two_pi = 6.28318530717958;

// Swaps the halves of src into dst (dst[k] = src[k + n/2], dst[k + n/2] = src[k]),
// reading src with the given stride.
void swap_halves_in(int n, const double* src, std::ptrdiff_t stride, double* dst) {
    const int half = n / 2;
    for (int k = 0; k < half; ++k) {
        dst[k] = src[(k + half) * stride];
        dst[k + half] = src[k * stride];
    }
}

// The inverse of swap_halves_in: dst (strided) receives src with halves swapped.
void swap_halves_out(int n, const double* src, double* dst, std::ptrdiff_t stride) {
    const int half = n / 2;
    for (int k = 0; k < half; ++k) {
        dst[(k + half) * stride] = src[k];
        dst[k * stride] = src[k + half];
    }
}

// Centred transforms of `count` sequences of length n, sequence s starting
// at s·step and its samples `stride` apart.
void centered_lines(int direction, int n, double* re, double* im, int count, std::ptrdiff_t step,
                    std::ptrdiff_t stride) {
    const FftTables tables = fft_make_tables(n);
    std::vector<double> wr(n), wi(n);
    for (int s = 0; s < count; ++s) {
        double* line_re = re + s * step;
        double* line_im = im + s * step;
        swap_halves_in(n, line_re, stride, wr.data());
        swap_halves_in(n, line_im, stride, wi.data());
        fft_transform(direction, n, wr.data(), wi.data(), tables.sin_table.data(), tables.cos_table.data(),
                      tables.bitrev.data());
        swap_halves_out(n, wr.data(), line_re, stride);
        swap_halves_out(n, wi.data(), line_im, stride);
    }
}

}  // namespace

void fft_make_tables(int n, double* sin_table, double* cos_table, std::int32_t* bitrev) {
    const double a = two_pi / n;
    const int quarter = n / 4;
    const int half = n / 2;
    for (int i = 0; i < quarter; ++i) {
        const double s = std::sin(i * a);
        sin_table[i] = s;
        cos_table[quarter + i] = -s;
    }
    for (int i = quarter; i < half; ++i) {
        const double s = std::sin(i * a);
        sin_table[i] = s;
        cos_table[i - quarter] = s;
    }
    for (int i = 0; i < n; ++i) {
        std::int32_t r = 0;
        for (int bit = 1; bit <= half; bit *= 2) r = 2 * r + ((i & bit) != 0 ? 1 : 0);
        bitrev[i] = r;
    }
}

FftTables fft_make_tables(int n) {
    FftTables t;
    const int half = n > 0 ? n / 2 : 0;
    t.sin_table.assign(half, 0.0);
    t.cos_table.assign(half, 0.0);
    t.bitrev.assign(n > 0 ? n : 0, 0);
    if (n > 0) fft_make_tables(n, t.sin_table.data(), t.cos_table.data(), t.bitrev.data());
    return t;
}

void fft_bit_reverse(int n, double* re, double* im, const std::int32_t* bitrev) {
    for (int i = 0; i < n; ++i) {
        const int j = bitrev[i];
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
}

void fft_transform(int direction, int n, double* re, double* im, const double* sin_table,
                   const double* cos_table, const std::int32_t* bitrev) {
    // Decimation in frequency: natural order in, bit-reversed order out of the
    // butterflies. The butterflies of one stage touch disjoint pairs, so the
    // block loop may run outside the twiddle loop without changing a result.
    for (int s = 1, b = n; s <= n / 2; s *= 2, b /= 2) {
        const int h = b / 2;
        for (int g = 0; g <= n - b; g += b) {
            for (int k = 0; k < h; ++k) {
                const double wc = cos_table[k * s];
                const double ws = direction * sin_table[k * s];
                const int j = g + k;
                const int l = j + h;
                const double dr = re[j] - re[l];
                const double di = im[j] - im[l];
                re[j] = re[j] + re[l];
                im[j] = im[j] + im[l];
                re[l] = di * ws + dr * wc;
                im[l] = di * wc - dr * ws;
            }
        }
    }
    fft_bit_reverse(n, re, im, bitrev);
    if (direction == -1) {
        for (int m = 0; m < n; ++m) {
            re[m] = re[m] / n;
            im[m] = im[m] / n;
        }
    }
}

void fft_centered(double* re, double* im, int n) { centered_lines(+1, n, re, im, 1, 0, 1); }

void fft_centered_rows(int direction, double* re, double* im, int rows) {
    centered_lines(direction, fft_row_length, re, im, rows, fft_row_length, 1);
}

void fft2_centered(double* re, double* im, int width, int height) {
    centered_lines(+1, width, re, im, height, width, 1);
    centered_lines(+1, height, re, im, width, 1, width);
}
