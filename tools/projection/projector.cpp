#include "tools/projection/projector.h"

#include <algorithm>
#include <cmath>

#include "common/parallel.h"
#include "common/sample_arrays.h"
#include "common/run_events.h"
#include "tools/projection/cij_lanes.h"

CijAngle cij_angle(double theta) {
    CijAngle a;
    a.sin_theta = std::sin(theta);
    a.cos_theta = std::cos(theta);
    a.c = std::min(std::fabs(a.sin_theta), std::fabs(a.cos_theta));
    a.d = std::max(std::fabs(a.sin_theta), std::fabs(a.cos_theta));
    a.m = (a.d - a.c) * 0.5;
    a.T = (a.c + a.d) * 0.5;
    a.flank = a.c / (a.d * 2);
    a.flank_divisor = a.d * 2 * a.c;
    return a;
}

CijTable make_cij(std::int32_t width, std::int32_t height, std::int32_t bins, std::int32_t angles,
                  std::FILE* progress) {
    CijTable cij;
    cij.width = width;
    cij.height = height;
    cij.bins = bins;
    cij.angles = angles;
    cij.angle = take_array<CijAngle>(angles);
    for (std::int32_t i = 0; i < angles; ++i) {
        if (progress != nullptr) std::fprintf(progress, "\r *** Make cij [%3d/%3d]", i, angles);
        run_events::progress("Make cij", i, angles);
        cij.angle[i] = cij_angle(i * projection_pi / angles);
    }
    if (progress != nullptr) std::fprintf(progress, "\r *** Make cij [%3d/%3d]\n", angles, angles);
    run_events::progress("Make cij", angles, angles);
    return cij;
}

void cij_products(const CijAngle& a, std::int32_t width, std::int32_t height, double* column_cos,
                  double* row_sin) {
    const std::int32_t half_w = width / 2;
    const std::int32_t half_h = height / 2;
    for (std::int32_t q = 0; q < width; ++q) column_cos[q] = static_cast<double>(q - half_w) * a.cos_theta;
    for (std::int32_t r = 0; r < height; ++r) row_sin[r] = static_cast<double>(half_h - r) * a.sin_theta;
}

CijRowEntries::CijRowEntries(std::int32_t width)
    : first_bin(take_array<std::int32_t>(width)), w0(take_samples(width)), w1(take_samples(width)), w2(take_samples(width)) {}

namespace {

// The entries of a row; given the row's pixels, each weight w_k becomes the
// term (w_k × value) × Δ that the projector adds to its bin (an empty
// entry's terms are then (0 × value) × Δ).
template <class V>
CT_LANES void cij_lane_row_entries(const CijAngle& a, const double* column_cos, double y_sin, std::int32_t first,
                                   std::int32_t last, std::int32_t bins, CijRowEntries& row,
                                   const double* pixel = nullptr, double pixel_length = 0) {
    using L = Lanes<V>;
    const CijLaneAngle<V> angle = cij_lane_angle<V>(a, bins);
    const V y(y_sin), length(pixel_length);
    std::int32_t q = first;
    for (; q + L::count <= last; q += L::count) {
        const CijLaneEntries<V> e = cij_lane_entries(angle, L::load(column_cos + q) + y);
        V w0 = e.w0, w1 = e.w1, w2 = e.w2;
        if (pixel != nullptr) {
            const V value = L::load(pixel + q);
            w0 = (w0 * value) * length;
            w1 = (w1 * value) * length;
            w2 = (w2 * value) * length;
        }
        L::store(row.w0.data() + q, w0);
        L::store(row.w1.data() + q, w1);
        L::store(row.w2.data() + q, w2);
        L::store_int32(row.first_bin.data() + q, e.first_bin);
    }
    if constexpr (L::count > 1)
        cij_lane_row_entries<double>(a, column_cos, y_sin, q, last, bins, row, pixel, pixel_length);
}

// Columns first … last − 1 of an image row hold every value that is not ±0.
struct ValueSpan {
    std::int32_t first, last;
};

// A pixel of ±0 adds (w × ±0) × Δ = ±0 to its bins, which changes no bin (a
// bin sum starts at +0 and never becomes −0), as long as Δ is finite.
std::vector<ValueSpan> value_spans(const double* image, std::int32_t width, std::int32_t height,
                                   bool zeros_add_nothing) {
    std::vector<ValueSpan> spans(static_cast<std::size_t>(height));
    for (std::int32_t r = 0; r < height; ++r) {
        const double* row = image + static_cast<std::int64_t>(r) * width;
        std::int32_t first = 0, last = width;
        if (zeros_add_nothing) {
            while (first < width && row[first] == 0) ++first;
            while (last > first && row[last - 1] == 0) --last;
        }
        spans[r] = {first, last};
    }
    return spans;
}

// Bins first … first + 2 of a projection held in registers while the
// pixels of a row add to them: every bin gets the very additions in the
// very order, but the sum of one pixel's bin goes straight on to the next
// pixel's instead of through a store and a load, which would chain the
// pixels of a row one after the other. Along a row the first bin moves by
// at most one from pixel to pixel but for jumps over empty entries.
class HeldBins {
  public:
    explicit HeldBins(double* projection) : projection_(projection) {}
    HeldBins(const HeldBins&) = delete;
    HeldBins& operator=(const HeldBins&) = delete;
    ~HeldBins() { release(); }

    // bin[b + k] += term_k, k = 0, 1, 2.
    void add(std::int32_t b, double term0, double term1, double term2) {
        if (b != first_) move_to(b);
        sum0_ += term0;
        sum1_ += term1;
        sum2_ += term2;
    }
    // Stores the held sums: the projection is whole again.
    void release() {
        if (first_ == none) return;
        projection_[first_] = sum0_;
        projection_[first_ + 1] = sum1_;
        projection_[first_ + 2] = sum2_;
        first_ = none;
    }

  private:
    static constexpr std::int32_t none = -8;  // no bins held (b ± 1 is never none)

    void move_to(std::int32_t b) {
        if (b == first_ + 1) {
            projection_[first_] = sum0_;
            sum0_ = sum1_;
            sum1_ = sum2_;
            sum2_ = projection_[b + 2];
        } else if (b == first_ - 1) {
            projection_[first_ + 2] = sum2_;
            sum2_ = sum1_;
            sum1_ = sum0_;
            sum0_ = projection_[b];
        } else {
            release();
            sum0_ = projection_[b];
            sum1_ = projection_[b + 1];
            sum2_ = projection_[b + 2];
        }
        first_ = b;
    }

    double* projection_;
    std::int32_t first_ = none;
    double sum0_ = 0, sum1_ = 0, sum2_ = 0;
};

}  // namespace

void cij_row_entries(const CijAngle& a, const double* column_cos, double y_sin, std::int32_t first,
                     std::int32_t last, std::int32_t bins, CijRowEntries& row, CodePath path) {
    with_lanes(vector_code(path), [&](auto lanes) CT_LANES_LAMBDA {
        cij_lane_row_entries<decltype(lanes)>(a, column_cos, y_sin, first, last, bins, row);
    });
}

void project_image(const double* image, std::int32_t width, std::int32_t height, double pixel_length,
                   const CijTable& cij, double* sinogram, CodePath path, const RowShares& shares) {
    const std::int32_t bins = cij.bins;
    const std::int64_t count = sample_count(bins, cij.angles);
    std::fill(sinogram, sinogram + std::max<std::int64_t>(count, 0), 0.0);
    if (width <= 0 || height <= 0 || bins <= 0) return;
    // The angles other runs computed (a whole run of shares), and the ones this run computes.
    std::vector<char> given;
    if (shares.is_whole_run()) shares.take_given(sinogram, cij.angles, bins, RowShares::one_row, given);
    const std::int32_t empty_bins = std::min(bins, 3);
    const VectorCode code = vector_code(path);
    const std::vector<ValueSpan> spans = value_spans(image, width, height, std::isfinite(pixel_length));
    // Each angle fills its own row of the sinogram: the threads share the
    // angles out.
    parallel_for_with_scratch(cij.angles, Schedule::dynamic, [&] {
        return LoopBody([&, column_cos = take_samples(width), row_sin = take_samples(height),
                         terms = CijRowEntries(width)](std::int64_t i) mutable {
            if (!shares.computes(i, cij.angles, given)) return;
            const CijAngle& a = cij.angle[i];
            double* projection = sinogram + i * bins;
            cij_products(a, width, height, column_cos.data(), row_sin.data());
            for (std::int32_t r = 0; r < height; ++r) {
                const std::int32_t first = spans[r].first, last = spans[r].last;
                if (first >= last) continue;
                const double* pixel = image + static_cast<std::int64_t>(r) * width;
                // The terms of the row's pixels, a lane group at a time.
                with_lanes(code, [&](auto lanes) CT_LANES_LAMBDA {
                    cij_lane_row_entries<decltype(lanes)>(a, column_cos.data(), row_sin[r], first, last, bins,
                                                          terms, pixel, pixel_length);
                });
                HeldBins bins_held(projection);
                for (std::int32_t q = first; q < last; ++q) {
                    const std::int32_t b = terms.first_bin[q];
                    if (b >= 0) {
                        bins_held.add(b, terms.w0[q], terms.w1[q], terms.w2[q]);
                    } else {
                        // The entry's weights are 0: (0 × value) × Δ into bins
                        // 0, 1, 2. Only a NaN (from a NaN or infinite value or
                        // length) changes a bin; ±0 changes none.
                        const double nothing = terms.w0[q];
                        if (nothing != nothing) {
                            bins_held.release();
                            for (std::int32_t k = 0; k < empty_bins; ++k) projection[k] += nothing;
                        }
                    }
                }
            }
        });
    });
    if (shares.is_share_run()) shares.write_share(sinogram, cij.angles, bins, RowShares::one_row);
}
