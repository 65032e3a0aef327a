#include "tools/iterative/matched_projector.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>

#include "common/parallel.h"
#include "common/sample_arrays.h"

ViewSet make_view_set(std::int32_t width, std::int32_t height, std::int32_t bins, std::int32_t full_angles,
                      std::int32_t first, std::int32_t step, std::int32_t count) {
    ViewSet set;
    set.width = width;
    set.height = height;
    set.bins = bins;
    set.full_angles = full_angles;
    set.index = take_array<std::int32_t>(count);
    set.angle = take_array<CijAngle>(count);
    set.column_cos = take_samples(sample_count(count, width));
    set.row_sin = take_samples(sample_count(count, height));
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int32_t i = first + k * step;
        set.index[k] = i;
        // The angle and its shares as make_cij forms them, so that every
        // weight has the bits of raysum's.
        CijAngle& a = set.angle[k];
        a = cij_angle(i * projection_pi / full_angles);
        cij_products(a, width, height, set.column_cos.data() + static_cast<std::int64_t>(k) * width,
                     set.row_sin.data() + static_cast<std::int64_t>(k) * height);
    }
    return set;
}

namespace {

// when ? a : b without a branch: the first bin's steps along a row follow
// the angle, not a pattern a branch predictor could learn.
inline double pick(bool when, double a, double b) {
    std::uint64_t ua, ub;
    std::memcpy(&ua, &a, sizeof ua);
    std::memcpy(&ub, &b, sizeof ub);
    const std::uint64_t mask = std::uint64_t{0} - static_cast<std::uint64_t>(when);
    const std::uint64_t bits = (ua & mask) | (ub & ~mask);
    double out;
    std::memcpy(&out, &bits, sizeof out);
    return out;
}

// The running sums of one stream of image rows: three consecutive bins
// held in registers while the pixels of a row add to them.
struct HeldWindow {
    std::int32_t held = -1;
    double s0 = 0, s1 = 0, s2 = 0;

    void release(double* row) {
        if (held < 0) return;
        row[held] = s0;
        row[held + 1] = s1;
        row[held + 2] = s2;
        held = -1;
    }
    // row[b + k] += w_k × x, k = 0, 1, 2. Along a row taken in the order in
    // which the first bin never falls, b rises by 0 or 1 a pixel: the
    // window slides by a selection, not a branch.
    void add(double* row, std::int32_t b, double w0, double w1, double w2, double x) {
        const std::int32_t step = b - held;
        if (held >= 0 && (step == 0 || step == 1)) {
            row[held] = s0;  // final when the window moves on, rewritten later when not
            const double next = row[b + 2];
            const bool moves = step == 1;
            s0 = pick(moves, s1, s0);
            s1 = pick(moves, s2, s1);
            s2 = pick(moves, next, s2);
        } else {
            release(row);
            s0 = row[b];
            s1 = row[b + 1];
            s2 = row[b + 2];
        }
        held = b;
        s0 += w0 * x;
        s1 += w1 * x;
        s2 += w2 * x;
    }
};

// The image rows of a view are taken in `streams` streams (row r into
// stream r mod streams), each summing into a projection of its own, and the
// view's projection is their sum in stream order: independent chains of
// additions where the processor gains from them (one stream measured as fast
// as four here). Within a row the pixels go in the order in which the first
// bin never falls (increasing columns where cos θ ≥ 0, decreasing where it
// is negative). The order depends on nothing but the view.
constexpr std::int32_t streams = 1;

template <typename EntriesOfRow>
void forward_view(const ViewSet& set, bool falling, const double* image, double* row, double* partial,
                  EntriesOfRow entries_of_row) {
    const std::int32_t width = set.width, bins = set.bins;
    std::fill(partial, partial + static_cast<std::int64_t>(streams) * bins, 0.0);
    for (std::int32_t r0 = 0; r0 < set.height; r0 += streams) {
        const std::int32_t count = std::min(streams, set.height - r0);
        const CijRowEntries* e[streams];
        const double* pixel[streams];
        HeldWindow window[streams];
        for (std::int32_t s = 0; s < count; ++s) {
            e[s] = &entries_of_row(r0 + s, s);
            pixel[s] = image + static_cast<std::int64_t>(r0 + s) * width;
        }
        for (std::int32_t n = 0; n < width; ++n) {
            const std::int32_t q = falling ? width - 1 - n : n;
            for (std::int32_t s = 0; s < count; ++s) {
                const std::int32_t b = e[s]->first_bin[q];
                if (b >= 0)
                    window[s].add(partial + static_cast<std::int64_t>(s) * bins, b, e[s]->w0[q], e[s]->w1[q],
                                  e[s]->w2[q], pixel[s][q]);
            }
        }
        for (std::int32_t s = 0; s < count; ++s) window[s].release(partial + static_cast<std::int64_t>(s) * bins);
    }
    for (std::int32_t b = 0; b < bins; ++b) {
        double sum = partial[b];
        for (std::int32_t s = 1; s < streams; ++s) sum += partial[static_cast<std::int64_t>(s) * bins + b];
        row[b] = sum;
    }
}

// One view's transposed terms added to one image row's sums.
void gather_row(const CijRowEntries& e, const double* p, const double* c, std::int32_t width, double* num,
                double* den) {
    if (den == nullptr) {
        for (std::int32_t q = 0; q < width; ++q) {
            const std::int32_t b = e.first_bin[q];
            if (b >= 0) num[q] += (e.w0[q] * p[b] + e.w1[q] * p[b + 1]) + e.w2[q] * p[b + 2];
        }
    } else if (c == nullptr) {
        for (std::int32_t q = 0; q < width; ++q) {
            const std::int32_t b = e.first_bin[q];
            if (b < 0) continue;
            num[q] += (e.w0[q] * p[b] + e.w1[q] * p[b + 1]) + e.w2[q] * p[b + 2];
            den[q] += (e.w0[q] + e.w1[q]) + e.w2[q];
        }
    } else {
        for (std::int32_t q = 0; q < width; ++q) {
            const std::int32_t b = e.first_bin[q];
            if (b < 0) continue;
            num[q] += (e.w0[q] * p[b] + e.w1[q] * p[b + 1]) + e.w2[q] * p[b + 2];
            den[q] += (e.w0[q] * c[b] + e.w1[q] * c[b + 1]) + e.w2[q] * c[b + 2];
        }
    }
}

// Threads only for work of a few milliseconds at least: a parallel loop
// costs its start and its wait for the last thread, which on cores shared
// with other programs outweighs a single view's pass over a small image.
constexpr std::int64_t entries_worth_threads = std::int64_t{1} << 20;

bool worth_threads(const ViewSet& set, std::int64_t views) {
    return views * sample_count(set.width, set.height) >= entries_worth_threads;
}

// body(i) for i = 0 … count − 1, on the threads when `threads`, else here in order.
void share_out(bool threads, std::int64_t count, const std::function<LoopBody()>& make_body) {
    if (threads) {
        parallel_for_with_scratch(count, Schedule::static_runs, make_body);
        return;
    }
    const LoopBody body = make_body();
    for (std::int64_t i = 0; i < count; ++i) body(i);
}

const double* view_column_cos(const ViewSet& set, std::int32_t v) {
    return set.column_cos.data() + static_cast<std::int64_t>(v) * set.width;
}
double view_row_sin(const ViewSet& set, std::int32_t v, std::int64_t r) {
    return set.row_sin[static_cast<std::int64_t>(v) * set.height + r];
}

}  // namespace

ViewEntries make_view_entries(const ViewSet& set) {
    ViewEntries entries;
    entries.rows.reserve(static_cast<std::size_t>(std::max(set.height, 0)));
    for (std::int32_t r = 0; r < set.height; ++r) entries.rows.emplace_back(set.width);
    return entries;
}

void fill_view_entries(const ViewSet& set, std::int32_t view, ViewEntries& entries) {
    share_out(worth_threads(set, 1), set.height, [&] {
        return LoopBody([&](std::int64_t r) {
            cij_row_entries(set.angle[view], view_column_cos(set, view), view_row_sin(set, view, r), 0, set.width,
                            set.bins, entries.rows[r]);
        });
    });
}

void project_entries(const ViewSet& set, std::int32_t view, const ViewEntries& entries, const double* image,
                     double scale, double* row) {
    std::vector<double> partial = take_samples(sample_count(streams, set.bins));
    forward_view(set, set.angle[view].cos_theta < 0, image, row, partial.data(),
                 [&](std::int32_t r, std::int32_t) -> const CijRowEntries& { return entries.rows[r]; });
    for (std::int32_t b = 0; b < set.bins; ++b) row[b] *= scale;
}

void back_project_entries(const ViewSet& set, const ViewEntries& entries, const double* row, const double* weights,
                          double* numerator, double* denominator) {
    const std::int32_t width = set.width;
    share_out(worth_threads(set, 1), set.height, [&] {
        return LoopBody([&](std::int64_t r) {
            double* num = numerator + r * width;
            double* den = denominator == nullptr ? nullptr : denominator + r * width;
            std::fill(num, num + width, 0.0);
            if (den != nullptr) std::fill(den, den + width, 0.0);
            gather_row(entries.rows[r], row, weights, width, num, den);
        });
    });
}

void project_views(const ViewSet& set, const double* image, double scale, const std::int32_t* views,
                   std::int32_t count, double* rows) {
    const std::int32_t bins = set.bins, width = set.width;
    // Each view fills its own row: the threads share out the views.
    share_out(worth_threads(set, count), count, [&] {
        std::vector<CijRowEntries> e;
        for (std::int32_t s = 0; s < streams; ++s) e.emplace_back(std::max(width, 0));
        return LoopBody([&, e = std::move(e), partial = take_samples(sample_count(streams, bins))](
                            std::int64_t k) mutable {
            const std::int32_t v = views[k];
            double* row = rows + k * bins;
            forward_view(set, set.angle[v].cos_theta < 0, image, row, partial.data(),
                         [&](std::int32_t r, std::int32_t s) -> const CijRowEntries& {
                             cij_row_entries(set.angle[v], view_column_cos(set, v), view_row_sin(set, v, r), 0,
                                             width, bins, e[s]);
                             return e[s];
                         });
            for (std::int32_t b = 0; b < bins; ++b) row[b] *= scale;
        });
    });
}

void project_all(const ViewSet& set, const double* image, double scale, double* sinogram) {
    std::vector<std::int32_t> all(static_cast<std::size_t>(set.views()));
    std::iota(all.begin(), all.end(), 0);
    project_views(set, image, scale, all.data(), set.views(), sinogram);
}

void back_project_sums(const ViewSet& set, const double* rows, const double* weights, const std::int32_t* views,
                       std::int32_t count, double* numerator, double* denominator) {
    const std::int32_t width = set.width, bins = set.bins;
    // Each image row takes its own pixels' sums: the threads share out rows.
    share_out(worth_threads(set, count), set.height, [&] {
        return LoopBody([&, e = CijRowEntries(std::max(width, 0))](std::int64_t r) mutable {
            double* num = numerator + r * width;
            double* den = denominator == nullptr ? nullptr : denominator + r * width;
            std::fill(num, num + width, 0.0);
            if (den != nullptr) std::fill(den, den + width, 0.0);
            for (std::int32_t k = 0; k < count; ++k) {
                const std::int32_t v = views[k];
                cij_row_entries(set.angle[v], view_column_cos(set, v), view_row_sin(set, v, r), 0, width, bins, e);
                const std::int64_t at = static_cast<std::int64_t>(k) * bins;
                gather_row(e, rows + at, weights == nullptr ? nullptr : weights + at, width, num, den);
            }
        });
    });
}

void back_project_all(const ViewSet& set, const double* sinogram, double scale, double* image) {
    std::vector<std::int32_t> all(static_cast<std::size_t>(set.views()));
    std::iota(all.begin(), all.end(), 0);
    back_project_sums(set, sinogram, nullptr, all.data(), set.views(), image, nullptr);
    const std::int64_t pixels = sample_count(set.width, set.height);
    for (std::int64_t j = 0; j < pixels; ++j) image[j] *= scale;
}
