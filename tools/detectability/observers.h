#pragma once
// Detectability of a round lesson from the resolution and the noise of an
// imaging chain: the task's spectrum, the eye filter, and the non-prewhitening
// observers NPW, NPWE and NPWEi summed over the frequencies that a W × H image
// of pixel Δ holds (the centred grid of the two-dimensional transform, up to
// the Nyquist frequency 1/(2Δ) along each axis).
//
// Units throughout: lengths in mm, spatial frequencies in cycles/mm, the task
// spectrum in (contrast unit)·mm², the NPS in (contrast unit)²·mm².
//
// d'² of the observers, with T = task spectrum, M = MTF, N = NPS, E = eye filter:
//   NPW    (Σ T²M²)² / Σ T²M²N
//   NPWE   (Σ T²M²E²)² / Σ T²M²E⁴N
//   NPWEi  (Σ T²M²E²)² / (Σ T²M²E⁴N + Σ T²M²E²·Ni)
// The internal noise Ni is added to the image the eye has already filtered,
// so it meets the template E·T·M once: hence E² and not E⁴ beside it.

#include <cstdint>
#include <functional>
#include <vector>

inline constexpr double detect_pi = 3.14159265358979;

// Γ(μ+1)·(2/a)^μ·J_μ(a): the Bessel function of the first kind of order μ
// (0 ≤ μ ≤ 8), scaled to 1 at a = 0. Power series below a = 20, Hankel's
// asymptotic expansion from there on.
double scaled_bessel_j(double mu, double a);
// J_μ(a) itself.
double bessel_j(double mu, double a);

enum class TaskShape : std::int32_t { flat_disc = 0,
                                      designer_disc = 1,
                                      blurred_disc = 2 };

struct Task {
    TaskShape shape = TaskShape::flat_disc;
    double diameter = 5;  // mm
    double contrast = 1;  // the disc's height above the background
    double exponent = 1;  // designer disc: C·(1 − (r/R)²)^n inside R
    double blur = 0;  // blurred disc: σ of the Gaussian that blurs the flat disc, mm
};

// The task's two-dimensional Fourier transform at radial frequency rho
// (cycles/mm): flat disc C·πR²·2J1(a)/a with a = 2πRρ; designer disc
// C·πR²/(n+1)·Γ(n+2)(2/a)^(n+1)·J_(n+1)(a); blurred disc the flat one times
// exp(−2π²s²ρ²).
double task_spectrum(const Task& task, double rho);

// The eye filter E(f) = f^n·exp(−c·f²), f in cycles per degree of visual
// angle, with c = n/(2·peak²) so that it peaks at `peak`, and scaled to 1
// there. An image frequency ρ (cycles/mm) reaches the eye at
// f = ρ · Δ/(zoom·pitch) · D·π/180: one image pixel spans `zoom` display
// pixels of `pitch` mm, and one degree spans D·π/180 mm of the display seen
// from the distance D (small angles).
struct EyeFilter {
    double exponent = 1.3;
    double peak = 4;  // cycles/degree
    double viewing_distance = 500;  // mm
    double display_pitch = 0.25;  // mm per display pixel
    double zoom = 1;  // display pixels per image pixel
    double pixel = 1;  // image pixel, mm
    double scale = 1;  // E's value at the peak: NPWE does not depend on it, NPWEi does

    double c() const { return exponent / (2.0 * peak * peak); }
    double degrees_per_image_mm() const;  // how many degrees one mm of the image spans
    double cycles_per_degree(double rho) const { return rho / degrees_per_image_mm(); }
    double peak_cycles_per_mm() const { return peak * degrees_per_image_mm(); }
    double operator()(double rho) const;
};

// An MTF over radial frequency (cycles/mm).
using RadialFunction = std::function<double(double rho)>;

// The frequencies of a W × H image with pixel Δ and its NPS there: nps[y·W + x]
// stands at u = (x − W/2)/(WΔ), v = (H/2 − y)/(HΔ), as fft2_centered lays the
// spectrum out. W and H are even.
struct FrequencyGrid {
    std::int32_t width = 0, height = 0;
    double pixel = 1;  // Δ, mm
    std::vector<double> nps;  // W·H values, mm²
    double cell() const;  // du·dv
    double radius(std::int32_t y, std::int32_t x) const;
    double mean_nps() const;  // Σ N / (W·H): the NPS of white noise with the same pixel variance
};

struct ObserverValues {
    double npw = 0, npwe = 0, npwei = 0;
};

// The radial parts that do not depend on the task, once per grid: M² and E²
// at every point of one quadrant of the grid (|u|, |v|).
class GridObservers {
  public:
    GridObservers(const FrequencyGrid& grid, const RadialFunction& mtf, const EyeFilter& eye, double internal_alpha);
    ObserverValues d_prime(const Task& task) const;
    // The same for any round task spectrum T(ρ).
    ObserverValues d_prime(const RadialFunction& task_spectrum) const;
    // d' of each task: several tasks share the threads, each summed alone.
    std::vector<ObserverValues> d_prime(const std::vector<Task>& tasks) const;
    // Annular means of T²M², T²M²N, T²M²E² and T²M²E⁴N in `bins` bins of
    // width `bin_width` (cycles/mm), bin k holding the points with
    // |ρ − k·bin_width| < bin_width/2; rows of `bins` values, in that order.
    std::vector<double> integrand_profiles(const Task& task, std::int32_t bins, double bin_width) const;
    double internal_noise() const { return internal_noise_; }

  private:
    std::int32_t index(std::int32_t y, std::int32_t x) const;  // into the quadrant tables
    const FrequencyGrid& grid_;
    std::int32_t half_w_, half_h_;
    std::vector<double> radius_, mtf2_, eye2_;
    double internal_noise_;
};

// The same observers as radial integrals from 0 to rho_max by Simpson's rule
// over `steps` (even) intervals, for inputs that are round: d'² with the sums
// replaced by ∫ … 2πρ dρ. With rho_max far beyond the task's spectrum this
// is the continuous integral; with rho_max = 1/(2Δ) the one limited to the
// Nyquist circle.
ObserverValues radial_d_prime(const Task& task, const RadialFunction& mtf, const RadialFunction& nps,
                              const EyeFilter& eye, double internal_noise, double rho_max, std::int64_t steps);

// The diameter where d' first reaches 3 over a table of diameters, linear
// between the two table diameters that bracket it; negative when the table
// never reaches it from below.
double diameter_at_three(const std::vector<double>& diameters, const std::vector<double>& d_primes);
