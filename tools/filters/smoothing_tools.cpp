#include "tools/filters/smoothing_tools.h"

#include "common/row_progress.h"
#include "common/sample_arrays.h"
#include "tools/filters/bilateral.h"
#include "tools/filters/gaussian.h"
#include "tools/filters/median.h"
#include "tools/filters/three_by_three.h"

namespace {

// Every filter: the input and output images taken, the input read, then
// the filter from one into the other.
template <typename Filter>
std::vector<double> filtered(std::int32_t width, std::int32_t height, const SampleSource& source, Filter filter) {
    const std::int64_t count = sample_count(width, height);
    require_sample_count(count, "画像の幅 × 高さ");
    std::vector<double> input = take_samples(count);
    std::vector<double> output = take_samples(count);
    source(input, count);
    filter(input.data(), output.data());
    return output;
}

}  // namespace

std::vector<double> box_smoothed(const BoxSmoothParameters& p, const SampleSource& image) {
    return filtered(p.width, p.height, image,
                    [&](const double* in, double* out) { moving_average_3x3(in, out, p.width, p.height); });
}

std::vector<double> kernel_smoothed(const KernelSmoothParameters& p, const SampleSource& image, MessageSink& sink) {
    // Question 5 sets the corners and question 7 the centre, whatever their
    // labels say: so the defaults 1, 2, 4 make 1 2 1 / 2 4 2 / 1 2 1.
    const SmoothingKernel kernel = make_smoothing_kernel(p.corner, p.side, p.centre);
    sink.show(smoothing_kernel_lines(kernel));
    return filtered(p.width, p.height, image,
                    [&](const double* in, double* out) { weighted_average_3x3(in, out, p.width, p.height, kernel); });
}

std::vector<double> bell_smoothed(const BellSmoothParameters& p, const SampleSource& image) {
    return filtered(p.width, p.height, image,
                    [&](const double* in, double* out) { gaussian_smooth(in, out, p.width, p.height, p.fwhm); });
}

std::vector<double> rank_smoothed(const RankSmoothParameters& p, const SampleSource& image, MessageSink& sink) {
    // An empty window has no median: refuse it before any file is touched.
    require_median_window(p.window_width);
    return filtered(p.width, p.height, image, [&](const double* in, double* out) {
        RowProgress progress = RowProgress::on_terminal("Median filter", p.height, sink.progress());
        median_smooth(in, out, p.width, p.height, p.window_width, &progress);
    });
}

std::vector<double> edge_preserved(const EdgePreserveParameters& p, const SampleSource& image, MessageSink& sink) {
    return filtered(p.width, p.height, image, [&](const double* in, double* out) {
        RowProgress progress = RowProgress::on_terminal("Bilateral filter", p.height, sink.progress());
        bilateral_smooth(in, out, p.width, p.height, p.window_width, p.spatial_width, p.range_width, &progress);
    });
}
