#include "tools/iterative/iterative_methods.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>

#include "common/sample_arrays.h"
#include "tools/recon/fbp.h"

namespace {

constexpr double golden_step = 0.6180339887498949;
constexpr std::int32_t tv_steps_per_iteration = 10;
constexpr double tv_smoothing = 1e-16;  // ε² under the root: a flat image has a gradient of 0, not 0/0

// max(v, 0) with std::max's bits (a NaN and −0 stay), without a branch: near
// an object's edge the sign of a pixel is no pattern a predictor learns.
inline double at_least_zero(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits &= std::uint64_t{0} - static_cast<std::uint64_t>(!(v < 0.0));
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double sum_of_squares(const double* v, std::int64_t n) {
    double sum = 0;
    for (std::int64_t i = 0; i < n; ++i) sum += v[i] * v[i];
    return sum;
}

}  // namespace

std::vector<std::int32_t> subset_order(std::int32_t subsets) {
    std::vector<std::int32_t> order(static_cast<std::size_t>(std::max(subsets, 0)));
    std::iota(order.begin(), order.end(), 0);
    auto place = [](std::int32_t s) {
        const double turn = s * golden_step;
        return turn - std::floor(turn);
    };
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) { return place(a) < place(b); });
    return order;
}

IterativeSolver::IterativeSolver(const ViewSet& set, std::vector<double> measured, const IterativeSettings& settings)
    : set_(set), y_(std::move(measured)), s_(settings), pixels_(sample_count(set.width, set.height)), samples_(sample_count(set.views(), set.bins)) {
    x_ = take_samples(pixels_);
    const IterativeMethod m = s_.method;
    std::int32_t subsets = 1;
    if (m == IterativeMethod::sart) subsets = set.views();
    if (m == IterativeMethod::os_sart || m == IterativeMethod::os_em) subsets = s_.subsets;
    if (m != IterativeMethod::cgls) {
        for (std::int32_t s : subset_order(subsets)) {
            std::vector<std::int32_t> views;
            for (std::int32_t v = s; v < set.views(); v += subsets) views.push_back(v);
            subsets_.push_back(std::move(views));
        }
    }
    if (m != IterativeMethod::cgls) {
        std::size_t largest = 0;
        for (const auto& views : subsets_) largest = std::max(largest, views.size());
        if (largest == 1) entries_ = make_view_entries(set);
        rows_ = take_samples(sample_count(static_cast<std::int32_t>(largest), set.bins));
        num_ = take_samples(pixels_);
        den_ = take_samples(pixels_);
        if (m == IterativeMethod::mlem || m == IterativeMethod::os_em) weights_ = take_samples(static_cast<std::int64_t>(rows_.size()));
    }
    if (m == IterativeMethod::sirt || m == IterativeMethod::sart || m == IterativeMethod::os_sart) {
        row_sums_ = take_samples(samples_);
        const std::vector<double> ones(static_cast<std::size_t>(pixels_), 1.0);
        project_all(set, ones.data(), s_.pixel_length, row_sums_.data());
    }
    if (m == IterativeMethod::mlem || m == IterativeMethod::os_em) {
        counts_ = take_samples(samples_);
        for (std::int64_t i = 0; i < samples_; ++i) counts_[i] = s_.incident * std::exp(-y_[i]);
    }
}

void IterativeSolver::start(std::int32_t view_step) {
    std::fill(x_.begin(), x_.end(), 0.0);
    const double delta = s_.pixel_length;
    if (s_.fbp_start) {
        std::vector<double> filtered = y_;
        ramp_filter(filtered.data(), set_.bins, set_.views(), delta);
        // Each view stands for view_step × π / full_angles of the half turn;
        // the filtered FBP gives attenuation per pixel, so 1/Δ makes it 1/cm.
        const double angular_step = view_step * projection_pi / set_.full_angles;
        back_project_all(set_, filtered.data(), angular_step / delta, x_.data());
    }
    if (s_.method == IterativeMethod::mlem || s_.method == IterativeMethod::os_em) {
        std::vector<double> ones(static_cast<std::size_t>(pixels_), 1.0), row_sums = take_samples(samples_);
        project_all(set_, ones.data(), delta, row_sums.data());
        double data = 0, rays = 0;
        for (std::int64_t i = 0; i < samples_; ++i) {
            data += y_[i];
            rays += row_sums[i];
        }
        const double level = rays > 0 && data > 0 ? data / rays : 0.0;
        if (!s_.fbp_start) {
            std::fill(x_.begin(), x_.end(), level);
        } else {
            const double floor_level = level / 1000;
            for (double& v : x_) v = std::max(v, floor_level);
        }
    }
    if (s_.method == IterativeMethod::cgls) {
        r_ = take_samples(samples_);
        project_all(set_, x_.data(), delta, r_.data());
        for (std::int64_t i = 0; i < samples_; ++i) r_[i] = y_[i] - r_[i];
        s_grad_ = take_samples(pixels_);
        back_project_all(set_, r_.data(), delta, s_grad_.data());
        d_ = s_grad_;
        gamma_ = sum_of_squares(s_grad_.data(), pixels_);
    }
}

void IterativeSolver::clamp_if_asked() {
    if (!s_.nonnegative) return;
    for (double& v : x_) v = at_least_zero(v);
}

void IterativeSolver::project_subset(const std::vector<std::int32_t>& views) {
    const std::int32_t count = static_cast<std::int32_t>(views.size());
    if (count == 1) {
        fill_view_entries(set_, views[0], entries_);
        project_entries(set_, views[0], entries_, x_.data(), s_.pixel_length, rows_.data());
    } else {
        project_views(set_, x_.data(), s_.pixel_length, views.data(), count, rows_.data());
    }
}

void IterativeSolver::back_project_subset(const std::vector<std::int32_t>& views, bool weighted) {
    const std::int32_t count = static_cast<std::int32_t>(views.size());
    const double* weights = weighted ? weights_.data() : nullptr;
    if (count == 1)
        back_project_entries(set_, entries_, rows_.data(), weights, num_.data(), den_.data());
    else
        back_project_sums(set_, rows_.data(), weights, views.data(), count, num_.data(), den_.data());
}

void IterativeSolver::sart_subset(const std::vector<std::int32_t>& views) {
    const std::int32_t count = static_cast<std::int32_t>(views.size()), bins = set_.bins;
    project_subset(views);
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int64_t at = static_cast<std::int64_t>(views[k]) * bins;
        double* row = rows_.data() + static_cast<std::int64_t>(k) * bins;
        for (std::int32_t b = 0; b < bins; ++b) {
            const double sum = row_sums_[at + b];
            row[b] = sum > 0 ? (y_[at + b] - row[b]) / sum : 0.0;
        }
    }
    back_project_subset(views, false);
    // C and Aᵀ both carry Δ once: their ratio is that of the unscaled sums.
    // The non-negativity clamp of every pixel goes in the same pass.
    if (s_.nonnegative) {
        for (std::int64_t j = 0; j < pixels_; ++j) {
            double v = x_[j];
            if (den_[j] > 0) v += s_.relaxation * (num_[j] / den_[j]);
            x_[j] = at_least_zero(v);
        }
    } else {
        for (std::int64_t j = 0; j < pixels_; ++j)
            if (den_[j] > 0) x_[j] += s_.relaxation * (num_[j] / den_[j]);
    }
}

void IterativeSolver::em_subset(const std::vector<std::int32_t>& views) {
    const std::int32_t count = static_cast<std::int32_t>(views.size()), bins = set_.bins;
    project_subset(views);
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int64_t at = static_cast<std::int64_t>(views[k]) * bins;
        double* row = rows_.data() + static_cast<std::int64_t>(k) * bins;
        double* weight = weights_.data() + static_cast<std::int64_t>(k) * bins;
        for (std::int32_t b = 0; b < bins; ++b) {
            const double line = row[b];
            const double expected = s_.incident * std::exp(-line);
            row[b] = expected - counts_[at + b];
            weight[b] = line * expected;
        }
    }
    back_project_subset(views, true);
    for (std::int64_t j = 0; j < pixels_; ++j) {
        if (den_[j] > 0) x_[j] += x_[j] * (num_[j] / den_[j]);
        x_[j] = at_least_zero(x_[j]);
    }
}

void IterativeSolver::cgls_step() {
    const double delta = s_.pixel_length;
    std::vector<double> q = take_samples(samples_);
    project_all(set_, d_.data(), delta, q.data());
    const double qq = sum_of_squares(q.data(), samples_);
    if (!(gamma_ > 0) || !(qq > 0)) return;  // already a solution of the normal equations
    const double alpha = gamma_ / qq;
    for (std::int64_t j = 0; j < pixels_; ++j) x_[j] += alpha * d_[j];
    for (std::int64_t i = 0; i < samples_; ++i) r_[i] -= alpha * q[i];
    back_project_all(set_, r_.data(), delta, s_grad_.data());
    const double gamma = sum_of_squares(s_grad_.data(), pixels_);
    const double beta = gamma / gamma_;
    for (std::int64_t j = 0; j < pixels_; ++j) d_[j] = s_grad_[j] + beta * d_[j];
    gamma_ = gamma;
}

void IterativeSolver::tv_steps(const std::vector<double>& before) {
    double moved = 0;
    for (std::int64_t j = 0; j < pixels_; ++j) moved += (x_[j] - before[j]) * (x_[j] - before[j]);
    moved = std::sqrt(moved);
    if (!(moved > 0)) return;
    const std::int32_t w = set_.width, h = set_.height;
    std::vector<double> px = take_samples(pixels_), py = take_samples(pixels_), g = take_samples(pixels_);
    for (std::int32_t step = 0; step < tv_steps_per_iteration; ++step) {
        // The normalised forward differences, then the gradient of Σ sqrt(dx² + dy² + ε²)
        // (a pass far shorter than a projection: on one thread).
        for (std::int32_t r = 0; r < h; ++r) {
            for (std::int32_t q = 0; q < w; ++q) {
                const std::int64_t j = static_cast<std::int64_t>(r) * w + q;
                const double dx = q + 1 < w ? x_[j + 1] - x_[j] : 0.0;
                const double dy = r + 1 < h ? x_[j + w] - x_[j] : 0.0;
                const double norm = std::sqrt((dx * dx + dy * dy) + tv_smoothing);
                px[j] = dx / norm;
                py[j] = dy / norm;
            }
        }
        for (std::int32_t r = 0; r < h; ++r) {
            for (std::int32_t q = 0; q < w; ++q) {
                const std::int64_t j = static_cast<std::int64_t>(r) * w + q;
                double v = -(px[j] + py[j]);
                if (q > 0) v += px[j - 1];
                if (r > 0) v += py[j - w];
                g[j] = v;
            }
        }
        const double norm = std::sqrt(sum_of_squares(g.data(), pixels_));
        if (!(norm > 0)) return;
        const double length = s_.tv_weight * moved / norm;
        for (std::int64_t j = 0; j < pixels_; ++j) x_[j] -= length * g[j];
        if (s_.method == IterativeMethod::mlem || s_.method == IterativeMethod::os_em) {
            for (double& v : x_) v = at_least_zero(v);
        } else {
            clamp_if_asked();
        }
    }
}

void IterativeSolver::iterate() {
    const IterativeMethod m = s_.method;
    if (m == IterativeMethod::cgls) {
        cgls_step();
        return;
    }
    const std::vector<double> before = s_.tv_weight > 0 ? x_ : std::vector<double>{};
    for (const std::vector<std::int32_t>& views : subsets_) {
        if (m == IterativeMethod::mlem || m == IterativeMethod::os_em)
            em_subset(views);
        else
            sart_subset(views);
    }
    if (s_.tv_weight > 0) tv_steps(before);
}

double IterativeSolver::residual() const {
    std::vector<double> projected = take_samples(samples_);
    project_all(set_, x_.data(), s_.pixel_length, projected.data());
    double sum = 0;
    for (std::int64_t i = 0; i < samples_; ++i) sum += (y_[i] - projected[i]) * (y_[i] - projected[i]);
    return std::sqrt(sum);
}

double rmse(const std::vector<double>& image, const std::vector<double>& reference) {
    double sum = 0;
    for (std::size_t j = 0; j < image.size(); ++j) sum += (image[j] - reference[j]) * (image[j] - reference[j]);
    return image.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(image.size()));
}
