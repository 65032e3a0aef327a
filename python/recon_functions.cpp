// The reconstruction tool: filtered back projection.

#include "common/raw_file.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/recon/recon_questions.h"
#include "tools/recon/reconstruction.h"

void register_recon(py::module_& m) {
    def_tool<ReconstructParameters>(
        m,
        {"reconstruct",
         "sinogram",
         {"bins", "angles"},
         "sinogram: (angles, bins). Returns the image (height, width) by filtered back projection."},
        reconstruct_dialogue, [](ReconstructParameters& p, py::object input) -> py::object {
            const Plane sinogram = plane_argument(input, "sinogram", "(angles, bins)");
            p.angles = sinogram.rows;
            p.bins = sinogram.columns;
            require_side(p.width, "width");
            require_side(p.height, "height");
            std::vector<double> image = run_tool([&](MessageSink& sink) {
                return reconstruct_image(p, array_source(sinogram.samples), sink).samples;
            });
            return plane_result(std::move(image), p.height, p.width);
        });
}
