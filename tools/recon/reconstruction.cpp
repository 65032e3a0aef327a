#include "tools/recon/reconstruction.h"

#include <string>
#include <vector>

#include "common/console_text.h"
#include "common/sample_arrays.h"
#include "tools/projection/projector.h"
#include "tools/recon/fbp.h"

Measured reconstruct_image(const ReconstructParameters& p, const SampleSource& source, MessageSink& sink) {
    const std::int64_t samples = sample_count(p.bins, p.angles);
    require_sample_count(samples, "投影の幅 × 投影数");
    const std::int64_t pixels = sample_count(p.width, p.height);
    require_sample_count(pixels, "画像の幅 × 高さ");
    std::vector<double> sinogram = take_samples(samples);
    Measured image{take_samples(pixels), {}};
    const CijTable cij = make_cij(p.width, p.height, p.bins, p.angles, sink.progress());
    sink.show(Message(" *** Read projection data ***\n"));
    const std::int64_t non_finite = source(sinogram, samples);
    sink.show(Message(" *** Reconstruction ***\n"));
    ramp_filter(sinogram.data(), p.bins, p.angles, p.pixel_length);
    // reconstruct alone takes row shares: a host that splits its run over several workers.
    back_project(image.samples.data(), p.width, p.height, sinogram.data(), cij, CodePath::fastest,
                 RowShares::from_environment());
    sink.show(Message(" *** Write image data ***\n"));
    // The ramp filter spreads one NaN over its whole projection, and back
    // projection that projection over the whole image.
    if (non_finite != 0) {
        image.non_finite_cause = text_format(
            "原因：投影データの有限でない値 %lld 個をランプフィルタが投影全体に、"
            "逆投影が画像全体に広げました。",
            static_cast<long long>(non_finite));
    }
    return image;
}
