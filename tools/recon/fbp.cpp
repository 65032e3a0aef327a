#include "tools/recon/fbp.h"

#include <algorithm>
#include <cmath>

#include "common/parallel.h"
#include "common/sample_arrays.h"
#include "tools/projection/cij_lanes.h"

namespace {

bool all_finite(const double* samples, std::int32_t count) {
    for (std::int32_t k = 0; k < count; ++k)
        if (!std::isfinite(samples[k])) return false;
    return true;
}

// out[j] = Σ kernel[|j − k|] × p[k], every term in increasing k.
void convolve_every_term(const double* p, const double* kernel, std::int32_t bins, double* out) {
    for (std::int32_t j = 0; j < bins; ++j) {
        double sum = 0;
        for (std::int32_t k = 0; k < bins; ++k) sum += kernel[std::abs(j - k)] * p[k];
        out[j] = sum;
    }
}

// sum[a] += weight[a] × sample for a = 0 … count − 1: one term into many sums.
template <class V>
CT_LANES void add_scaled(double* sum, const double* weight, double sample, std::int32_t count) {
    using L = Lanes<V>;
    const V s(sample);
    std::int32_t a = 0;
    for (; a + L::count <= count; a += L::count) L::store(sum + a, L::load(sum + a) + L::load(weight + a) * s);
    for (; a < count; ++a) sum[a] += weight[a] * sample;
}

// The same sums without the even lags, where the kernel is +0. For a row of
// finite samples those products are ±0, and adding ±0 changes no sum (a sum
// that starts at +0 never becomes −0), so every out[j] keeps its bits. The
// terms go in k by k into all sums at once, still in increasing k for each
// sum; the sums of even and of odd bins are held apart so that each step is
// one contiguous sweep.
//   odd_lag[off + m] = kernel[|2m + 1|]
template <class V>
CT_LANES void convolve_odd_lags(const double* p, const double* kernel, const double* odd_lag, std::int32_t off,
                                std::int32_t bins, double* even_sum, double* odd_sum) {
    const std::int32_t evens = (bins + 1) / 2;
    const std::int32_t odds = bins / 2;
    std::fill(even_sum, even_sum + evens, 0.0);
    std::fill(odd_sum, odd_sum + odds, 0.0);
    const double centre = kernel[0];
    for (std::int32_t k = 0; k < bins; ++k) {
        const double sample = p[k];
        const std::int32_t b = k / 2;
        if (k % 2 == 0) {
            // bin 2a + 1 lies 2(a − b) + 1 away
            add_scaled<V>(odd_sum, odd_lag + off - b, sample, odds);
            even_sum[b] += centre * sample;
        } else {
            // bin 2a lies 2(a − b − 1) + 1 away
            add_scaled<V>(even_sum, odd_lag + off - b - 1, sample, evens);
            odd_sum[b] += centre * sample;
        }
    }
}

// x·C of every image column at one angle (the first term of each pixel's t).
void column_products(const CijAngle& a, std::int32_t width, double* column_cos) {
    const std::int32_t half_w = width / 2;
    for (std::int32_t q = 0; q < width; ++q) column_cos[q] = static_cast<double>(q - half_w) * a.cos_theta;
}

// Pairs of image rows per block of the back projection: a thread passes
// every angle over one block before the next.
constexpr std::int32_t pairs_per_block = 8;

// Pixels first … last − 1 of one image row (t = column_cos[q] + y_sin) gain
// p[b0 + k] × w_k, k = 0, 1, 2, of their entries at this angle: the
// portable form, one pixel at a time. Always inlined, also where the lane
// kernels take a few columns one by one: a call out of their function
// would make the compiler keep their lane values in memory around it (no
// vector register survives a call), and the called code, built for the
// default instruction set, mixes SSE with their AVX.
CT_LANES void back_project_row(const CijLaneAngle<double>& angle, const double* column_cos, double y_sin,
                               const double* p, std::int32_t bins, bool empty_adds_nothing, double* pixel,
                               std::int32_t first, std::int32_t last) {
    const std::int32_t empty_bins = std::min(bins, 3);
    for (std::int32_t q = first; q < last; ++q) {
        CijEntry e;
        if (cij_entry(angle, column_cos[q] + y_sin, e)) {
            const double* bin = p + e.first_bin;
            double sum = pixel[q];
            sum += bin[0] * e.w0;
            sum += bin[1] * e.w1;
            sum += bin[2] * e.w2;
            pixel[q] = sum;
        } else if (!empty_adds_nothing) {
            for (std::int32_t k = 0; k < empty_bins; ++k) pixel[q] += p[k] * 0.0;
        }
    }
}

// Whether n neighbouring pixels of a row always take their first bins from
// n neighbouring bins: t moves by about |C| ≤ 1 from pixel to pixel, so n
// pixels' first bins lie within n − 1 of each other, as long as the
// rounding of x·C and of t (below 2^-30 for images up to 65536 pixels wide
// and high) cannot carry n − 1 steps of |C| past n − 1. That fails only at
// angles within a few millionths of a radian of 0 other than 0 itself.
bool bins_apart_at_most_lanes(const CijAngle& a, std::int32_t width, std::int32_t height, std::int32_t n) {
    const double step = std::fabs(a.cos_theta);
    return width <= 65536 && height <= 65536 && (step == 1.0 || (n - 1) * (1.0 - step) > 1e-9);
}

// Whether the lanes V can take the entries of a row at this angle: those
// that pick their samples from neighbouring bins need the bins close.
template <class V>
bool lanes_take_angle(const CijAngle& a, std::int32_t width, std::int32_t height) {
    static_assert(Lanes<V>::count <= most_lanes);
    return !Lanes<V>::picks_need_close_indices || bins_apart_at_most_lanes(a, width, height, Lanes<V>::count);
}

// The sums of the pixels at `pixel` with filled entries added, lane j's
// three bins being base[index_j + k], k = 0, 1, 2 (N ≥ 3). The row needs
// the samples after its last bin that Lanes<V>::pick_three reads.
template <class V, bool t_falls>
CT_LANES V entry_sums(const double* base, V index, V w0, V w1, V w2, const double* pixel) {
    using L = Lanes<V>;
    const typename L::Three bin = L::template pick_three<t_falls>(base, index);
    V sum = L::load(pixel);
    sum = sum + bin.k0 * w0;
    sum = sum + bin.k1 * w1;
    return sum + bin.k2 * w2;
}

// Columns first … last − 1 of a row whose entries are all filled, a lane
// group at a time without a branch. The last columns short of a group go
// in a group that ends with the run, its lanes done before kept as they
// are; fewer columns than lanes go one by one.
template <class V, bool t_falls>
CT_LANES void back_project_filled(const CijLaneAngle<V>& angle, const CijLaneAngle<double>& one,
                                  const double* column_cos, double y_sin, const double* p, std::int32_t bins,
                                  double* pixel, std::int32_t first, std::int32_t last) {
    using L = Lanes<V>;
    constexpr std::int32_t n = L::count;
    const V y(y_sin);
    const auto sums = [&](std::int32_t q) CT_LANES_LAMBDA {
        const CijFilledEntries<V> e = cij_filled_entries(angle, L::load(column_cos + q) + y);
        return entry_sums<V, t_falls>(p, e.first_bin, e.w0, e.w1, e.w2, pixel + q);
    };
    if (last - first < n) {
        back_project_row(one, column_cos, y_sin, p, bins, true, pixel, first, last);
        return;
    }
    std::int32_t q = first;
    for (; q + n <= last; q += n) L::store(pixel + q, sums(q));
    if (q < last) L::store_last(pixel + last - n, sums(last - n), q - (last - n));
}

// The filled entries of a row form one run of columns, first … last − 1:
// along a row t changes monotonically (x·C rounds monotonically in x).
struct FilledRun {
    std::int32_t first, last;
};

// The ends are found a lane group at a time from each side, then column by
// column.
template <class V>
CT_LANES FilledRun filled_run(const CijLaneAngle<V>& angle, const CijLaneAngle<double>& one, const double* column_cos,
                              double y_sin, std::int32_t width) {
    using L = Lanes<V>;
    constexpr std::int32_t n = L::count;
    const V y(y_sin);
    const auto any_filled = [&](std::int32_t q) CT_LANES_LAMBDA {
        return L::any(cij_filled(angle, cij_nearest(L::load(column_cos + q) + y)));
    };
    const auto filled = [&](std::int32_t q) { return cij_filled(one, cij_nearest(column_cos[q] + y_sin)); };
    std::int32_t first = 0, last = width;
    while (first + n <= last && !any_filled(first)) first += n;
    while (first < last && !filled(first)) ++first;
    while (last - n >= first && !any_filled(last - n)) last -= n;
    while (last > first && !filled(last - 1)) --last;
    return {first, last};
}

// Columns from … to − 1 of one row (N ≥ 3), given the row's filled run: the
// empty pixels one by one, the filled ones a lane group at a time.
template <class V, bool t_falls>
CT_LANES void back_project_columns(const CijLaneAngle<V>& angle, const CijLaneAngle<double>& one,
                                   const double* column_cos, double y_sin, const double* p, std::int32_t bins,
                                   bool empty_adds_nothing, double* pixel, FilledRun run, std::int32_t from,
                                   std::int32_t to) {
    const std::int32_t first = std::min(std::max(run.first, from), to);
    const std::int32_t last = std::max(std::min(run.last, to), first);
    if (!empty_adds_nothing) {
        back_project_row(one, column_cos, y_sin, p, bins, false, pixel, from, first);
        back_project_row(one, column_cos, y_sin, p, bins, false, pixel, last, to);
    }
    back_project_filled<V, t_falls>(angle, one, column_cos, y_sin, p, bins, pixel, first, last);
}

// The columns of a row pair go in chunks of lane groups: first the entries
// of every group (the long chain from t through the two divisions to the
// weights), then the sums, so that the processor overlaps the chains of
// many groups instead of waiting for each group's weights in turn.
template <class V>
struct PairChunk {
    static constexpr std::int32_t groups = 16;
    // g of each lane, and the mirror's first bins less N/2 − 1, in the
    // mirror's lanes
    V g[groups], w0[groups], w1[groups], w2[groups];
    V mirror_g[groups], mirror_w0[groups], mirror_w1[groups], mirror_w2[groups];
};

// A row and its mirror row, whose pixels lie at (−x, −y), for N ≥ 3. The
// mirror of the pixel at column q is at column 2·(W/2) − q, and its t is −t
// with the very same bits: x·C and y·S change sign exactly and rounding to
// nearest is symmetric. Where its nearest bin is −g (always but where
// t + 0.5 and −t + 0.5 round to a tie or across an integer), the mirror's
// bin edges are −R and −L, and its shares are the pixel's shares swapped,
// bit for bit: −R − (−t − m) is (m + t) − R, −R − (−t − T) is (T + t) − R,
// (m − t) − (−L) is L − (t − m), and so on. Only its middle share,
// (1 − v) − u, is formed anew, and its first bin is N/2 − g − 1. So the two
// divisions of a group of entries serve twice as many pixels; the mirror's
// pixels run the other way along its row. Where both entries are filled the
// two rows go together, a lane group at a time; a mirror pixel whose
// nearest bin is not −g goes on its own.
template <class V, bool t_falls>
CT_LANES void back_project_row_pair(const CijLaneAngle<V>& angle, const CijLaneAngle<double>& one,
                                    const double* column_cos, double y_sin, double mirror_y_sin, const double* p,
                                    std::int32_t bins, bool empty_adds_nothing, double* pixel, double* mirror_pixel,
                                    std::int32_t width) {
    using L = Lanes<V>;
    constexpr std::int32_t n = L::count;
    const FilledRun run = filled_run(angle, one, column_cos, y_sin, width);
    const FilledRun mirror_run = filled_run(angle, one, column_cos, mirror_y_sin, width);
    // Columns q whose own and whose mirror's (2·(W/2) − q) entries are filled.
    const std::int32_t mirror_sum = 2 * (width / 2);
    const std::int32_t pair_first = std::min(std::max(run.first, mirror_sum - mirror_run.last + 1), run.last);
    const std::int32_t pair_last = std::max(std::min(run.last, mirror_sum - mirror_run.first + 1), pair_first);

    const V half(0.5), one_lanes(1.0), zero(0.0);
    const V y(y_sin);
    PairChunk<V> c;
    const double* first_bins = p + (bins / 2 - 1);  // first bin g + N/2 − 1
    // Group j of a chunk from column `from`: columns from + nj … from + nj +
    // n − 1 and their mirrors, the mirror's lane j being lane n − 1 − j here
    // (column mirror_sum − from − nj − n + 1 + j). True when every mirror's
    // nearest bin is −g, so that every mirror takes the swapped shares.
    const auto entries = [&](std::int32_t from, std::int32_t groups) CT_LANES_LAMBDA {
        typename L::Mask differs = zero != zero;  // no lane set
        for (std::int32_t j = 0; j < groups; ++j) {
            const V t = L::load(column_cos + from + n * j) + y;
            const CijShares<V> s = cij_shares(angle, t);
            c.g[j] = s.g;
            c.w0[j] = s.u;
            c.w1[j] = (one_lanes - s.u) - s.v;
            c.w2[j] = s.v;
            // The mirror's nearest bin, −t + 0.5 rounded as its own pixel has it.
            const V mirror_g = L::floor(half - t);
            differs = differs | (mirror_g + s.g != zero);
            const V u = L::reversed(s.v);
            const V v = L::reversed(s.u);
            c.mirror_g[j] = zero - L::reversed(s.g);
            c.mirror_w0[j] = u;
            c.mirror_w1[j] = (one_lanes - u) - v;
            c.mirror_w2[j] = v;
        }
        return !L::any(differs);
    };
    // The same question for one group alone.
    const auto mirror_takes_shares = [&](std::int32_t start) CT_LANES_LAMBDA {
        const V t = L::load(column_cos + start) + y;
        return L::all(L::floor(half - t) + cij_nearest(t) == zero);
    };
    // Group j's sums into columns start … start + n − 1, but those of its
    // first `done` lanes, which an earlier group has had.
    const auto sums = [&](std::int32_t j, std::int32_t start, std::int32_t done) CT_LANES_LAMBDA {
        double* at = pixel + start;
        const V sum = entry_sums<V, t_falls>(first_bins, c.g[j], c.w0[j], c.w1[j], c.w2[j], at);
        if (done == 0)
            L::store(at, sum);
        else
            L::store_last(at, sum, done);
    };
    const auto mirror_sums = [&](std::int32_t j, std::int32_t start, std::int32_t done,
                                 bool takes_shares) CT_LANES_LAMBDA {
        const std::int32_t mirror_q = mirror_sum - start - (n - 1);
        double* at = mirror_pixel + mirror_q;
        if (!takes_shares) {
            back_project_row(one, column_cos, mirror_y_sin, p, bins, true, mirror_pixel, mirror_q, mirror_q + n - done);
            return;
        }
        const V sum =
            entry_sums<V, t_falls>(first_bins, c.mirror_g[j], c.mirror_w0[j], c.mirror_w1[j], c.mirror_w2[j], at);
        if (done == 0)
            L::store(at, sum);
        else
            L::store_first(at, sum, n - done);
    };
    // Chunks of whole groups; the last columns of the run short of a group
    // go in a group of their own that ends with the run.
    std::int32_t q = pair_first;
    if (pair_last - pair_first >= n) {
        while (q + n <= pair_last) {
            const std::int32_t groups = std::min(PairChunk<V>::groups, (pair_last - q) / n);
            const bool every_mirror_takes_shares = entries(q, groups);
            for (std::int32_t j = 0; j < groups; ++j) sums(j, q + n * j, 0);
            if (every_mirror_takes_shares)
                for (std::int32_t j = 0; j < groups; ++j) mirror_sums(j, q + n * j, 0, true);
            else
                for (std::int32_t j = 0; j < groups; ++j) mirror_sums(j, q + n * j, 0, mirror_takes_shares(q + n * j));
            q += n * groups;
        }
        if (q < pair_last) {
            const std::int32_t start = pair_last - n;
            const bool takes_shares = entries(start, 1);
            sums(0, start, q - start);
            mirror_sums(0, start, q - start, takes_shares);
            q = pair_last;
        }
    }
    // The rest of each row, on both sides of the columns done together.
    back_project_columns<V, t_falls>(angle, one, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, run, 0,
                                     pair_first);
    back_project_columns<V, t_falls>(angle, one, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, run, q, width);
    const std::int32_t mirror_first = q > pair_first ? mirror_sum - q + 1 : width;
    const std::int32_t mirror_last = q > pair_first ? mirror_sum - pair_first + 1 : width;
    back_project_columns<V, t_falls>(angle, one, column_cos, mirror_y_sin, p, bins, empty_adds_nothing, mirror_pixel,
                                     mirror_run, 0, mirror_first);
    back_project_columns<V, t_falls>(angle, one, column_cos, mirror_y_sin, p, bins, empty_adds_nothing, mirror_pixel,
                                     mirror_run, mirror_last, width);
}

// One row (N ≥ 3), t rising or falling along the row as the sign of C says.
template <class V>
CT_LANES void back_project_lone_row(const CijLaneAngle<V>& angle, const CijLaneAngle<double>& one, const CijAngle& a,
                                    const double* column_cos, double y_sin, const double* p, std::int32_t bins,
                                    bool empty_adds_nothing, double* pixel, std::int32_t width) {
    const FilledRun run = filled_run(angle, one, column_cos, y_sin, width);
    if (a.cos_theta < 0)
        back_project_columns<V, true>(angle, one, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, run, 0, width);
    else
        back_project_columns<V, false>(angle, one, column_cos, y_sin, p, bins, empty_adds_nothing, pixel, run, 0,
                                       width);
}

// What every block of the back projection shares.
struct BackProjection {
    double* image;
    std::int32_t width, height;
    const double* sinogram;
    const CijTable& cij;
    const std::vector<char>& empty_adds_nothing;
    const double* last_projection;  // the last row, with most_lanes − 1 samples after it
    std::int32_t half_h, mirror_sum, pair_first, lone_count;
    const std::int32_t* lone_first;
};

// One block of image rows over every angle: block 0 the lone rows, block b
// the pairs of rows pair_first + (b − 1)·pairs_per_block … and their
// mirrors. The one lane is the portable form, row by row; other lanes take
// the rows in pairs at the angles where they can.
template <class V>
CT_LANES void back_project_block(const BackProjection& bp, std::int64_t block, double* column_cos) {
    constexpr bool vector = Lanes<V>::count > 1;
    const std::int32_t bins = bp.cij.bins, width = bp.width;
    const std::int32_t first_row = bp.pair_first + static_cast<std::int32_t>(block - 1) * pairs_per_block;
    const std::int32_t last_row = std::min(first_row + pairs_per_block, bp.half_h);
    for (std::int32_t i = 0; i < bp.cij.angles; ++i) {
        const CijAngle& a = bp.cij.angle[i];
        const CijLaneAngle<V> angle = cij_lane_angle<V>(a, bins);
        const CijLaneAngle<double> one = cij_lane_angle<double>(a, bins);
        const double* p =
            vector && i == bp.cij.angles - 1 ? bp.last_projection : bp.sinogram + static_cast<std::int64_t>(i) * bins;
        const bool empty = bp.empty_adds_nothing[i] != 0;
        const bool vector_rows = vector && lanes_take_angle<V>(a, width, bp.height);
        column_products(a, width, column_cos);
        const auto y_sin = [&](std::int32_t r) { return static_cast<double>(bp.half_h - r) * a.sin_theta; };
        const auto row_of = [&](std::int32_t r) { return bp.image + static_cast<std::int64_t>(r) * width; };
        const auto one_row = [&](std::int32_t r) CT_LANES_LAMBDA {
            if (vector_rows)
                back_project_lone_row(angle, one, a, column_cos, y_sin(r), p, bins, empty, row_of(r), width);
            else
                back_project_row(one, column_cos, y_sin(r), p, bins, empty, row_of(r), 0, width);
        };
        if (block == 0) {
            for (std::int32_t k = 0; k < bp.lone_count; ++k) one_row(bp.lone_first[k]);
            continue;
        }
        for (std::int32_t r = first_row; r < last_row; ++r) {
            const std::int32_t mirror_r = bp.mirror_sum - r;
            if (!vector_rows) {
                one_row(r);
                one_row(mirror_r);
            } else if (a.cos_theta < 0) {
                back_project_row_pair<V, true>(angle, one, column_cos, y_sin(r), y_sin(mirror_r), p, bins, empty,
                                               row_of(r), row_of(mirror_r), width);
            } else {
                back_project_row_pair<V, false>(angle, one, column_cos, y_sin(r), y_sin(mirror_r), p, bins, empty,
                                                row_of(r), row_of(mirror_r), width);
            }
        }
    }
}
}  // namespace

std::vector<double> ramp_kernel(std::int32_t bins, double pixel_length) {
    std::vector<double> kernel = take_samples(bins);
    if (bins <= 0) return kernel;
    const double d = pixel_length;
    kernel[0] = 1 / ((d * 4) * d);
    for (std::int32_t n = 1; n < bins; n += 2) {
        const double lag = n;
        kernel[n] = -1 / ((((d * ramp_pi_squared) * d) * lag) * lag);
    }
    return kernel;
}

void ramp_filter(double* sinogram, std::int32_t bins, std::int32_t angles, double pixel_length, CodePath path) {
    if (bins <= 0 || angles <= 0) return;
    const std::vector<double> kernel = ramp_kernel(bins, pixel_length);
    const std::int32_t evens = (bins + 1) / 2;
    const std::int32_t off = evens;
    std::vector<double> odd_lag = take_samples(static_cast<std::int64_t>(off) + evens + 1);
    for (std::int32_t m = -off; m <= evens; ++m) {
        const std::int64_t lag = std::abs(2 * static_cast<std::int64_t>(m) + 1);
        odd_lag[off + m] = lag < bins ? kernel[lag] : 0.0;
    }
    const VectorCode code = vector_code(path);

    // Rows are filtered independently: the threads share them out.
    parallel_for_with_scratch(angles, Schedule::dynamic, [&] {
        return LoopBody([&, out = take_samples(bins), even_sum = take_samples(evens),
                         odd_sum = take_samples(bins / 2)](std::int64_t i) mutable {
            double* p = sinogram + i * bins;
            if (all_finite(p, bins)) {
                with_lanes(code, [&](auto lanes) CT_LANES_LAMBDA {
                    convolve_odd_lags<decltype(lanes)>(p, kernel.data(), odd_lag.data(), off, bins, even_sum.data(),
                                                       odd_sum.data());
                });
                for (std::int32_t j = 0; j < bins; ++j) out[j] = j % 2 == 0 ? even_sum[j / 2] : odd_sum[j / 2];
            } else {
                // 0 × NaN or 0 × ∞ is NaN: here every term counts.
                convolve_every_term(p, kernel.data(), bins, out.data());
            }
            for (std::int32_t j = 0; j < bins; ++j) p[j] = (pixel_length * out[j]) * pixel_length;
        });
    });
}

void back_project(double* image, std::int32_t width, std::int32_t height, const double* sinogram, const CijTable& cij,
                  CodePath path, const RowShares& shares) {
    const std::int64_t pixels = sample_count(width, height);
    std::fill(image, image + std::max<std::int64_t>(pixels, 0), 0.0);
    const std::int32_t bins = cij.bins;
    if (width > 0 && height > 0 && bins > 0 && cij.angles > 0) {
        // An empty entry adds p[k] × 0 for bins 0, 1, 2: ±0 (no change, a
        // pixel sum is never −0) unless one of them is NaN or infinite.
        const std::int32_t empty_bins = std::min(bins, 3);
        std::vector<char> empty_adds_nothing = take_array<char>(cij.angles);
        for (std::int32_t i = 0; i < cij.angles; ++i)
            empty_adds_nothing[i] = all_finite(sinogram + static_cast<std::int64_t>(i) * bins, empty_bins);
        // Fewer than three bins: the portable form alone.
        const VectorCode code = bins >= 3 ? vector_code(path) : VectorCode::none;
        const bool vector = code != VectorCode::none;
        // The vector rows read up to most_lanes − 1 samples past a row's
        // end: the last row gets them from a copy.
        std::vector<double> last_projection =
            take_samples(vector ? static_cast<std::int64_t>(bins) + most_lanes - 1 : 0);
        if (vector)
            std::copy(sinogram + static_cast<std::int64_t>(cij.angles - 1) * bins,
                      sinogram + static_cast<std::int64_t>(cij.angles) * bins, last_projection.begin());
        // Row r and row 2·(H/2) − r hold mirror pixels (−x, −y) and go
        // together: rows pair_first … H/2 − 1 with their mirrors below the
        // middle. The rows without a partner (row 0 when H is even) and the
        // middle row H/2, its own mirror, go on their own as block 0.
        const std::int32_t half_h = height / 2;
        const std::int32_t mirror_sum = 2 * half_h;
        const std::int32_t pair_first = mirror_sum - height + 1;
        const std::int32_t pair_blocks = (half_h - pair_first + pairs_per_block - 1) / pairs_per_block;
        const std::int32_t lone_rows[] = {0, half_h};
        const BackProjection bp{image,
                                width,
                                height,
                                sinogram,
                                cij,
                                empty_adds_nothing,
                                last_projection.data(),
                                half_h,
                                mirror_sum,
                                pair_first,
                                pair_first > 0 ? 2 : 1,
                                pair_first > 0 ? lone_rows : lone_rows + 1};
        // Every pixel takes its angles in order; the threads share out
        // blocks of image rows (a block of rows and their mirrors, or the
        // lone rows), each block small enough to stay in the cache while all
        // angles pass over it. A thread takes the next block when it is done
        // with one, so that a core shared with other programs holds no one up.
        // Row shares: block 0 writes the lone rows, block b the rows of its
        // pairs and their mirrors.
        const std::int64_t blocks = static_cast<std::int64_t>(pair_blocks) + 1;
        const RowShares::UnitRows rows_of = [&](std::int64_t block, std::vector<std::int64_t>& rows) {
            rows.clear();
            if (block == 0) {
                for (std::int32_t k = 0; k < bp.lone_count; ++k) rows.push_back(bp.lone_first[k]);
                return;
            }
            const std::int32_t first_row = pair_first + static_cast<std::int32_t>(block - 1) * pairs_per_block;
            for (std::int32_t r = first_row; r < std::min(first_row + pairs_per_block, half_h); ++r) {
                rows.push_back(r);
                rows.push_back(mirror_sum - r);
            }
        };
        std::vector<char> given;
        if (shares.is_whole_run()) shares.take_given(image, blocks, width, rows_of, given);
        parallel_for_with_scratch(blocks, Schedule::dynamic, [&] {
            return LoopBody([&, column_cos = take_samples(width)](std::int64_t block) mutable {
                if (!shares.computes(block, blocks, given)) return;
                with_lanes(code, [&](auto lanes) CT_LANES_LAMBDA {
                    back_project_block<decltype(lanes)>(bp, block, column_cos.data());
                });
            });
        });
        if (shares.is_share_run()) shares.write_share(image, blocks, width, rows_of);
    }
    const double angular_step = projection_pi / cij.angles;
    for (std::int64_t j = 0; j < pixels; ++j) image[j] = image[j] * angular_step;
}
