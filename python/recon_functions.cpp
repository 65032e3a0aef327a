// The reconstruction tool: filtered back projection.

#include "common/sample_arrays.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/projection/projector.h"
#include "tools/recon/fbp.h"
#include "tools/recon/recon_questions.h"

void register_recon(py::module_& m) {
    def_tool<ReconstructParameters>(
        m,
        {"reconstruct",
         "sinogram",
         {"bins", "angles"},
         "sinogram: (angles, bins). Returns the image (height, width) by filtered back projection."},
        reconstruct_dialogue, [](ReconstructParameters& p, py::object input) -> py::object {
            Plane sinogram = plane_argument(input, "sinogram", "(angles, bins)");
            p.angles = sinogram.rows;
            p.bins = sinogram.columns;
            require_side(p.width, "width");
            require_side(p.height, "height");
            std::vector<double> image = run_tool([&] {
                std::vector<double> reconstructed = take_samples(sample_count(p.width, p.height));
                const CijTable cij = make_cij(p.width, p.height, p.bins, p.angles, nullptr);
                ramp_filter(sinogram.samples.data(), p.bins, p.angles, p.pixel_length);
                back_project(reconstructed.data(), p.width, p.height, sinogram.samples.data(), cij);
                return reconstructed;
            });
            return plane_result(std::move(image), p.height, p.width);
        });
}
