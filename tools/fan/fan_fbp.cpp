#include "tools/fan/fan_fbp.h"

#include <cmath>

#include "common/fft.h"
#include "common/lanes.h"
#include "common/parallel.h"
#include "common/sample_arrays.h"
#include "tools/recon/fbp.h"

namespace {

// ∫ |f| e^{2πifs} df over |f| ≤ ½: sin(πs)/(2πs) + (cos(πs) − 1)/(2π²s²), ¼ at s = 0.
double ramp_at(double s) {
    if (s == 0) return 0.25;
    const double a = fan_pi * s;
    return std::sin(a) / (2 * a) + (std::cos(a) - 1) / (2 * a * a);
}

}  // namespace

std::vector<double> windowed_ramp(std::int32_t count, std::int32_t window, double band) {
    if (window == no_window && band == 1) return ramp_kernel(count, 1.0);
    // The ramp up to band × ½ cycles per sample is band² × ramp(band × n);
    // cos(2πf·c) is the mean of two shifted exponentials, so the window
    // makes it ½ ramp(x) + ¼ ramp(x + c) + ¼ ramp(x − c), c = 1/(w + 1).
    const double c = window == no_window ? 0.0 : 1.0 / (window + 1);
    std::vector<double> kernel = take_samples(count);
    for (std::int32_t n = 0; n < count; ++n) {
        const double x = band * n;
        const double shaped = window == no_window ? ramp_at(x)
                                                  : 0.5 * ramp_at(x) + 0.25 * ramp_at(x + c) + 0.25 * ramp_at(x - c);
        kernel[n] = (band * band) * shaped;
    }
    return kernel;
}

double filter_band(const FanGeometry& g, double pixel_length) {
    const double at_isocentre = g.detector == FanDetector::curved
                                    ? g.spacing * g.source_distance
                                    : g.spacing * g.source_distance / g.detector_distance;
    return at_isocentre < pixel_length ? at_isocentre / pixel_length : 1.0;
}

std::vector<double> fan_kernel(const FanGeometry& g, std::int32_t window, double band) {
    std::vector<double> kernel = windowed_ramp(g.bins, window, band);
    if (g.detector == FanDetector::curved) {
        const double alpha = g.spacing;
        for (std::int32_t n = 0; n < g.bins; ++n) {
            // (nα / sin nα)² → 1 at n = 0.
            const double angle = n * alpha;
            const double ratio = n == 0 ? 1.0 : angle / std::sin(angle);
            kernel[n] = 0.5 * (ratio * ratio) * kernel[n] / (alpha * alpha);
        }
    } else {
        const double a = g.spacing * g.source_distance / g.detector_distance;
        for (std::int32_t n = 0; n < g.bins; ++n) kernel[n] = 0.5 * kernel[n] / (a * a);
    }
    return kernel;
}

double parker_weight(double beta, double gamma, double delta) {
    const double quarter_pi = fan_pi / 4;
    if (beta < 0 || beta > fan_pi + 2 * delta) return 0;
    if (beta < 2 * (delta - gamma)) {
        const double s = std::sin(quarter_pi * beta / (delta - gamma));
        return s * s;
    }
    if (beta <= fan_pi - 2 * gamma) return 1;
    const double s = std::sin(quarter_pi * (fan_pi + 2 * delta - beta) / (delta + gamma));
    return s * s;
}

bool parker_possible(const FanGeometry& g) { return g.range >= short_scan_range(g) - 1e-9; }

std::vector<double> fan_ray_weights(const FanGeometry& g, bool parker) {
    std::vector<double> weights = take_samples(sample_count(g.bins, g.views));
    const bool full = full_turn(g);
    // A range wider than the short scan takes Parker's weights of a wider
    // virtual fan: they still sum to 1 over the two ends of every line and
    // change more gently.
    const double delta = (g.range - fan_pi) / 2;
    const double uniform = fan_two_pi / g.range;
    for (std::int32_t i = 0; i < g.views; ++i) {
        const double beta = view_angle(g, i);
        for (std::int32_t b = 0; b < g.bins; ++b) {
            const double gamma = bin_fan_angle(g, b);
            double cosine;
            if (g.detector == FanDetector::curved) {
                cosine = g.source_distance * std::cos(gamma);
            } else {
                const double s = bin_position(g, b) * g.spacing * g.source_distance / g.detector_distance;
                cosine = g.source_distance / std::sqrt(g.source_distance * g.source_distance + s * s);
            }
            const double redundancy = full ? 1.0 : parker ? 2 * parker_weight(beta, gamma, delta)
                                                          : uniform;
            weights[static_cast<std::int64_t>(i) * g.bins + b] = cosine * redundancy;
        }
    }
    return weights;
}

namespace {

// The weighted views convolved with the kernel, each row padded with one
// 0 after its last bin (so that a pixel on the last bin reads a neighbour):
//   out[j] = step × Σ_k kernel[|j − k|] × weight[k] × p[k].
// The convolution goes through the FFT: the kernel laid out circularly over
// a power of two at least 2n − 1 long (so that no lag wraps onto another)
// has a real spectrum, being even, so two views go through one complex
// transform, one as its real part and one as its imaginary part.
std::vector<double> filtered_views(const std::vector<double>& sinogram, const FanGeometry& g,
                                   const std::vector<double>& kernel, const std::vector<double>& weights) {
    const std::int32_t n = g.bins;
    const std::int64_t stride = static_cast<std::int64_t>(n) + 1;
    const double step = g.detector == FanDetector::curved ? g.spacing
                                                          : g.spacing * g.source_distance / g.detector_distance;
    std::int32_t length = 4;
    while (length < 2 * n - 1) length *= 2;
    const FftTables tables = fft_make_tables(length);
    const auto transform = [&](int direction, double* re, double* im) {
        fft_transform(direction, length, re, im, tables.sin_table.data(), tables.cos_table.data(),
                      tables.bitrev.data());
    };
    // The kernel's spectrum: its imaginary part is 0 but for rounding.
    std::vector<double> spectrum = take_samples(length), unused = take_samples(length);
    for (std::int32_t m = 0; m < n; ++m) {
        spectrum[m] = kernel[m];
        if (m > 0) spectrum[length - m] = kernel[m];
    }
    transform(1, spectrum.data(), unused.data());

    std::vector<double> filtered = take_samples(stride * g.views);
    const std::int64_t pairs = (static_cast<std::int64_t>(g.views) + 1) / 2;
    parallel_for_with_scratch(pairs, Schedule::dynamic, [&] {
        return LoopBody([&, re = take_samples(length), im = take_samples(length)](std::int64_t pair) mutable {
            const std::int64_t first = 2 * pair;
            const bool both = first + 1 < g.views;
            std::fill(re.begin(), re.end(), 0.0);
            std::fill(im.begin(), im.end(), 0.0);
            for (std::int32_t k = 0; k < n; ++k) re[k] = sinogram[first * n + k] * weights[first * n + k];
            if (both)
                for (std::int32_t k = 0; k < n; ++k) im[k] = sinogram[(first + 1) * n + k] * weights[(first + 1) * n + k];
            transform(1, re.data(), im.data());
            for (std::int32_t m = 0; m < length; ++m) {
                re[m] = re[m] * spectrum[m];
                im[m] = im[m] * spectrum[m];
            }
            transform(-1, re.data(), im.data());
            double* out = filtered.data() + first * stride;
            for (std::int32_t j = 0; j < n; ++j) out[j] = re[j] * step;
            out[n] = 0.0;
            if (both) {
                out += stride;
                for (std::int32_t j = 0; j < n; ++j) out[j] = im[j] * step;
                out[n] = 0.0;
            }
        });
    });
    return filtered;
}

// The fan angle of a ray through a pixel is atan(across / along). Rather
// than an arc tangent per pixel and view, each filtered view of a curved
// detector is resampled once on even steps of tan γ (the bin of each step
// from a table of atan, the view linearly between its bins), and a pixel
// reads that resampled view at its tan γ, linearly: one lookup per pixel,
// as on the flat detector. With at least 4096 steps across the detector
// and four a bin, the table's bins are off by less than 10⁻⁵ of a bin.
struct Projection {
    bool curved;
    double r, centre;
    double flat_scale;  // R / a: from across/along to bins (flat)
    double tan_low, tan_step, per_step;  // the tables' first tan γ, step and 1/step (curved)
    std::int32_t steps;
    std::vector<double> index_at;  // steps + 1 entries (curved): the bin at each step of tan γ
    std::int32_t last_bin;
};

constexpr std::int32_t table_steps = 2048, steps_per_bin = 2;

// Rows per task of the back projection (pairs count two).
constexpr std::int32_t rows_per_block = 16;

Projection make_projection(const FanGeometry& g) {
    Projection p;
    p.curved = g.detector == FanDetector::curved;
    p.r = g.source_distance;
    p.centre = g.bins / 2 - g.offset;
    p.last_bin = g.bins - 1;
    p.flat_scale = g.detector_distance / g.spacing;  // (R·across/along) / (Δu·R/D)
    p.steps = std::max(table_steps, steps_per_bin * g.bins);
    if (p.curved) {
        const double low = std::tan(bin_fan_angle(g, 0)), high = std::tan(bin_fan_angle(g, g.bins - 1));
        p.tan_low = low;
        p.tan_step = (high - low) / p.steps;
        p.per_step = 1 / p.tan_step;
        p.index_at = take_samples(p.steps + 1);
        for (std::int32_t m = 0; m <= p.steps; ++m) {
            const double tangent = m == p.steps ? high : low + m * p.tan_step;
            const double index = std::atan(tangent) / g.spacing + p.centre;
            // The ends are the outer bins themselves.
            p.index_at[m] = m == 0 ? 0.0 : m == p.steps ? p.last_bin
                                                        : std::min(std::max(index, 0.0), 1.0 * p.last_bin);
        }
    }
    return p;
}

// Each filtered view (bins + 1 samples) read at the table's bins: steps + 1
// samples a view, linearly between bins.
std::vector<double> resampled_views(const std::vector<double>& filtered, const FanGeometry& g, const Projection& pr) {
    const std::int64_t stride = static_cast<std::int64_t>(g.bins) + 1, out_stride = static_cast<std::int64_t>(pr.steps) + 1;
    std::vector<double> out = take_samples(out_stride * g.views);
    parallel_for(g.views, Schedule::static_runs, [&](std::int64_t i) {
        const double* f = filtered.data() + i * stride;
        double* row = out.data() + i * out_stride;
        for (std::int32_t m = 0; m <= pr.steps; ++m) {
            const double place = pr.index_at[m];
            const std::int32_t n = static_cast<std::int32_t>(place);
            const double t = place - n;
            row[m] = (1 - t) * f[n] + t * f[n + 1];
        }
    });
    return out;
}

// One view over pixels first … last − 1 of a row: each pixel gains the
// filtered view f, interpolated linearly where its ray meets the detector,
// times its weight; a pixel off the detector gains +0, which changes no
// sum. With mirror_f, the pixel at column mirror_q − q of the mirror row
// gains mirror_f at the same place with the same weight. A lane group at a
// time, the last columns one by one with the very same operations.
template <class V>
CT_LANES void back_project_view(const Projection& pr, double sin_beta, double cos_beta, double y, const double* xs,
                                std::int32_t first, std::int32_t last, const double* f, double* sum,
                                const double* mirror_f, double* mirror_sum, std::int32_t mirror_q) {
    using L = Lanes<V>;
    constexpr std::int32_t n = L::count;
    const V sb(sin_beta), cb(cos_beta), along_y(pr.r - y * cos_beta), across_y(y * sin_beta);
    const V one(1.0), zero(0.0), r(pr.r), tan_low(pr.tan_low), per_step(pr.per_step), steps(1.0 * pr.steps);
    const V flat_scale(pr.flat_scale), centre(pr.centre), last_bin(1.0 * pr.last_bin);
    std::int32_t q = first;
    for (; q + n <= last; q += n) {
        const V x = L::load(xs + q);
        const V along = x * sb + along_y, across = x * cb + across_y;
        V index, weight;
        typename L::Mask inside;
        if (pr.curved) {
            // One division for both 1/along and 1/L² = 1/(along² + across²).
            const V square = along * along + across * across;
            const V both = one / (along * square);
            const V tangent = across * (both * square);
            weight = both * along;
            // The place on the view resampled over tan γ.
            index = (tangent - tan_low) * per_step;
            inside = (index >= zero) & (steps > index);
        } else {
            const V inverse = one / along;
            index = (across * inverse) * flat_scale + centre;
            const V u = r * inverse;
            weight = u * u;
            inside = (index >= zero) & (last_bin >= index);
        }
        const V place = L::keep(inside, index);
        const typename L::Pair bins = L::truncated_pair(f, place);
        const V t = place - bins.whole;
        L::store(sum + q, L::load(sum + q) + L::keep(inside, ((one - t) * bins.left + t * bins.right) * weight));
        if (mirror_f != nullptr) {
            const typename L::Pair other = L::truncated_pair(mirror_f, place);
            double* at = mirror_sum + (mirror_q - q - (n - 1));
            const V value = L::keep(inside, ((one - t) * other.left + t * other.right) * weight);
            L::store(at, L::load(at) + L::reversed(value));
        }
    }
    if constexpr (n > 1)
        back_project_view<double>(pr, sin_beta, cos_beta, y, xs, q, last, f, sum, mirror_f, mirror_sum, mirror_q);
}

}  // namespace

std::vector<double> fan_reconstruct_image(const std::vector<double>& sinogram, const FanGeometry& g,
                                          std::int32_t width, std::int32_t height, double pixel_length,
                                          std::int32_t window, bool parker, CodePath path, const RowShares& shares) {
    const std::int64_t stride = static_cast<std::int64_t>(g.bins) + 1;
    const std::vector<double> filtered =
        filtered_views(sinogram, g, fan_kernel(g, window, filter_band(g, pixel_length)), fan_ray_weights(g, parker));
    const Projection pr = make_projection(g);
    const std::vector<double> views_read = pr.curved ? resampled_views(filtered, g, pr) : filtered;
    const std::int64_t read_stride = pr.curved ? static_cast<std::int64_t>(pr.steps) + 1 : stride;
    struct View {
        double sin_beta, cos_beta;
    };
    std::vector<View> views(static_cast<std::size_t>(g.views));
    for (std::int32_t i = 0; i < g.views; ++i) {
        const double beta = view_angle(g, i);
        views[i] = {std::sin(beta), std::cos(beta)};
    }
    const std::int32_t half_w = width / 2, half_h = height / 2;
    std::vector<double> xs = take_samples(width);
    for (std::int32_t q = 0; q < width; ++q) xs[q] = (q - half_w) * pixel_length;
    auto y_of = [&](std::int32_t r) { return (half_h - r) * pixel_length; };

    // On a full turn of an even number of views, view i + P/2 stands opposite
    // view i, and the pixel at (−x, −y) sees it exactly as the pixel at
    // (x, y) sees view i: the same along and across. So one set of entries
    // serves a pixel at view i and its mirror at view i + P/2, and rows r and
    // 2·(H/2) − r go together (columns q and 2·(W/2) − q). Each pixel keeps
    // two sums, of the first half of the views and of the second, each in
    // view order, and adds them at the end; the rows without a mirror and the
    // middle row take every view directly into the same two sums.
    const bool mirrored = full_turn(g) && g.views % 2 == 0;
    const std::int32_t half_views = mirrored ? g.views / 2 : g.views;
    const std::int32_t mirror_r = 2 * half_h, mirror_q = 2 * half_w;
    // Rows paired below the middle: pair_first … half_h − 1 with their mirrors.
    const std::int32_t pair_first = mirrored ? std::max(0, mirror_r - height + 1) : half_h;
    // The rows above the first pair (row 0 when H is even) and the middle
    // row, its own mirror, go on their own.
    std::vector<std::int32_t> lone_rows;
    for (std::int32_t r = 0; r < height; ++r)
        if (!mirrored || r < pair_first || r == half_h) lone_rows.push_back(r);
    const std::int32_t pairs = mirrored ? half_h - pair_first : 0;
    // Columns whose mirror column lies in the image.
    const std::int32_t mirror_first = std::max(0, mirror_q - width + 1);

    std::vector<double> low = take_samples(sample_count(width, height));
    std::vector<double> high = take_samples(sample_count(width, height));
    // A task is a block of rows (lone ones, or pairs with their mirrors)
    // over every view, the views outermost, so that each filtered view is
    // read once for the whole block while the block's sums stay in the cache.
    const std::int32_t lone_count = static_cast<std::int32_t>(lone_rows.size());
    const std::int32_t lone_blocks = (lone_count + rows_per_block - 1) / rows_per_block;
    const std::int32_t pair_blocks = (pairs + rows_per_block / 2 - 1) / (rows_per_block / 2);
    const VectorCode code = vector_code(path);
    const auto view_row = [&](std::int32_t i) { return views_read.data() + i * read_stride; };
    const auto sums_of = [&](std::vector<double>& sums, std::int32_t r) {
        return sums.data() + static_cast<std::int64_t>(r) * width;
    };
    // Row shares: a task writes both sums of its rows. A share file holds
    // them as rows of one array of 2H rows, the low sums above the high.
    const std::int64_t tasks = static_cast<std::int64_t>(lone_blocks) + pair_blocks;
    const RowShares::UnitRows rows_of = [&](std::int64_t task, std::vector<std::int64_t>& rows) {
        rows.clear();
        const auto both = [&](std::int32_t r) {
            rows.push_back(r);
            rows.push_back(static_cast<std::int64_t>(height) + r);
        };
        if (task < lone_blocks) {
            const std::int32_t first = static_cast<std::int32_t>(task) * rows_per_block;
            for (std::int32_t k = first; k < std::min(first + rows_per_block, lone_count); ++k) both(lone_rows[k]);
            return;
        }
        const std::int32_t first = pair_first + static_cast<std::int32_t>(task - lone_blocks) * (rows_per_block / 2);
        for (std::int32_t r = first; r < std::min(first + rows_per_block / 2, half_h); ++r) {
            both(r);
            both(mirror_r - r);
        }
    };
    const std::int64_t pixels = sample_count(width, height);
    std::vector<char> given;
    if (shares.is_whole_run()) {
        std::vector<double> sums = take_samples(2 * pixels);
        shares.take_given(sums.data(), tasks, width, rows_of, given);
        std::copy(sums.begin(), sums.begin() + pixels, low.begin());
        std::copy(sums.begin() + pixels, sums.end(), high.begin());
    }
    parallel_for(tasks, Schedule::dynamic, [&](std::int64_t task) {
        if (!shares.computes(task, tasks, given)) return;
        with_lanes(code, [&](auto lanes) CT_LANES_LAMBDA {
            using V = decltype(lanes);
            if (task < lone_blocks) {
                // Lone rows: every view directly.
                const std::int32_t first = static_cast<std::int32_t>(task) * rows_per_block;
                const std::int32_t last = std::min(first + rows_per_block, lone_count);
                const std::int32_t split = mirrored ? half_views : g.views;
                for (std::int32_t i = 0; i < g.views; ++i) {
                    const View& v = views[i];
                    for (std::int32_t k = first; k < last; ++k) {
                        const std::int32_t r = lone_rows[k];
                        back_project_view<V>(pr, v.sin_beta, v.cos_beta, y_of(r), xs.data(), 0, width, view_row(i),
                                             sums_of(i < split ? low : high, r), nullptr, nullptr, 0);
                    }
                }
                return;
            }
            const std::int32_t first = pair_first + static_cast<std::int32_t>(task - lone_blocks) * (rows_per_block / 2);
            const std::int32_t last = std::min(first + rows_per_block / 2, half_h);
            for (std::int32_t i = 0; i < half_views; ++i) {
                const View& v = views[i];
                for (std::int32_t r = first; r < last; ++r) {
                    for (const std::int32_t row : {r, mirror_r - r}) {
                        const std::int32_t other = mirror_r - row;
                        back_project_view<V>(pr, v.sin_beta, v.cos_beta, y_of(row), xs.data(), 0, mirror_first,
                                             view_row(i), sums_of(low, row), nullptr, nullptr, 0);
                        back_project_view<V>(pr, v.sin_beta, v.cos_beta, y_of(row), xs.data(), mirror_first, width,
                                             view_row(i), sums_of(low, row), view_row(i + half_views),
                                             sums_of(high, other), mirror_q);
                    }
                }
            }
            // Columns without a mirror take the second half directly.
            for (std::int32_t i = half_views; i < g.views && mirror_first > 0; ++i) {
                const View& v = views[i];
                for (std::int32_t r = first; r < last; ++r)
                    for (const std::int32_t row : {r, mirror_r - r})
                        back_project_view<V>(pr, v.sin_beta, v.cos_beta, y_of(row), xs.data(), 0, mirror_first,
                                             view_row(i), sums_of(high, row), nullptr, nullptr, 0);
            }
        });
    });
    if (shares.is_share_run()) {
        std::vector<double> sums = take_samples(2 * pixels);
        std::copy(low.begin(), low.end(), sums.begin());
        std::copy(high.begin(), high.end(), sums.begin() + pixels);
        shares.write_share(sums.data(), tasks, width, rows_of);
    }
    const double angular_step = g.range / g.views;
    for (std::size_t j = 0; j < low.size(); ++j) low[j] = (low[j] + high[j]) * angular_step;
    return low;
}
