#pragma once
// The iterative reconstructions on a matched projector A = Δ × W (Δ the
// pixel length), so that an image in 1/cm projects to the line integrals
// raysum writes:
//
//   SIRT     x ← x + λ C⁻¹ Aᵀ R⁻¹ (y − A x), all views at once;
//   OS-SART  the same over ordered subsets of the views, each subset with
//            its own row sums R and column sums C; SART is one view a subset;
//   CGLS     conjugate gradients on the normal equations AᵀA x = Aᵀy;
//   OS-EM    the transmission (convex) maximum-likelihood update on the
//            counts K = I0 e^(−y): x ← x + x Aᵀ(ŷ − K) / Aᵀ(l ŷ), with l = A x
//            and ŷ = I0 e^(−l), over ordered subsets; MLEM is one subset.
//
// Subset s holds the views s, s + S, s + 2S, …; the subsets are visited in
// the order of the fractional parts of s × 0.6180339887498949 (golden-ratio
// steps), so that consecutive subsets lie far apart in angle.
//
// After each iteration of every method but CGLS an optional TV step:
// ten steps of steepest descent on the total variation (forward
// differences, sqrt(dx² + dy² + 1e-16)), each of length weight × d along the
// normalised gradient, d being how far the iteration's data step moved the
// image (Euclidean norm): the adaptive steepest-descent form of SART-TV.
// Non-negativity, when asked, clamps every pixel at 0 after each subset and
// after each TV step (CGLS has none: clamping would break its conjugacy; the
// OS-EM update keeps its image non-negative always).
//
// Every sum runs in one fixed order (dot products and norms in index order,
// projections as matched_projector.h says), so the bytes never depend on
// the thread count.

#include <cstdint>
#include <vector>

#include "tools/iterative/iterative_questions.h"
#include "tools/iterative/matched_projector.h"

struct IterativeSettings {
    IterativeMethod method = IterativeMethod::sart;
    double pixel_length = 1;
    double relaxation = 1;
    std::int32_t subsets = 1;  // used by OS-SART and OS-EM
    bool nonnegative = false;
    double tv_weight = 0;
    double incident = 0;  // OS-EM and MLEM
    bool fbp_start = false;
};

// The subsets' order of visit (see above) for S subsets.
std::vector<std::int32_t> subset_order(std::int32_t subsets);

class IterativeSolver {
  public:
    // `measured`: the views' sinogram (views × bins, line integrals).
    IterativeSolver(const ViewSet& set, std::vector<double> measured, const IterativeSettings& settings);

    // The start image: zero, or the FBP of the views (ramp filter, then the
    // transposed weights over the views, each view standing for view_step ×
    // π / full_angles of the half turn, in 1/cm). For OS-EM, whose update
    // never lifts a zero, a zero start is the uniform image whose projections
    // have the data's mean, and any pixel of an FBP start below a thousandth
    // of that level is raised to it.
    void start(std::int32_t view_step);
    void iterate();  // one whole iteration
    const std::vector<double>& image() const { return x_; }
    // ‖y − A x‖ of the present image.
    double residual() const;

  private:
    void sart_subset(const std::vector<std::int32_t>& views);
    void em_subset(const std::vector<std::int32_t>& views);
    void cgls_step();
    void tv_steps(const std::vector<double>& before);
    void clamp_if_asked();

    const ViewSet& set_;
    std::vector<double> y_;
    IterativeSettings s_;
    std::int64_t pixels_, samples_;
    std::vector<double> x_;
    std::vector<double> row_sums_;  // A·1 of every view (SART family)
    std::vector<double> counts_;  // I0 e^(−y) (OS-EM)
    std::vector<std::vector<std::int32_t>> subsets_;  // in the order of visit
    // One view's entries, kept between its projection and its update when
    // a subset is a single view (SART); scratch arrays of a subset.
    ViewEntries entries_;
    std::vector<double> rows_, weights_, num_, den_;
    // Projects the subset's views into rows_.
    void project_subset(const std::vector<std::int32_t>& views);
    // The transposed sums of rows_ (and weights_ when `weighted`) into num_ and den_.
    void back_project_subset(const std::vector<std::int32_t>& views, bool weighted);
    // CGLS state
    std::vector<double> r_, d_, s_grad_;
    double gamma_ = 0;
};

// The RMSE of an image against a reference of the same size.
double rmse(const std::vector<double>& image, const std::vector<double>& reference);
