// The iterative tools: iterative_recon and view_subset.

#include <map>
#include <string>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/iterative/iterative_questions.h"
#include "tools/iterative/iterative_tools.h"

void register_iterative(py::module_& m) {
    // The reference image is an argument of its own, as the tool's optional file.
    const FunctionSignature signature{
        "iterative_recon",
        "sinogram, reference=None",
        {"bins", "angles"},
        "sinogram: (angles, bins), the views the keywords full_angles, first_view and view_step describe;\n"
        "reference: None or an image (height, width). Returns IterativeRecon(image, saved, table): the image\n"
        "after the last iteration, a dict of the images the tool saves under other names (iteration: image),\n"
        "and the table as an array of rows (iteration, residual[, rmse]), iteration 0 the start image."};
    IterativeReconParameters defaults{};
    const std::string doc = function_doc(signature, iterative_recon_dialogue(defaults));
    py::object result = result_type(m, "IterativeRecon", {"image", "saved", "table"});
    m.def(
        "iterative_recon",
        [result](py::handle input, py::object reference, py::kwargs keywords) -> py::object {
            IterativeReconParameters p{};
            const ToolDialogue table = iterative_recon_dialogue(p);
            answer_from_keywords("iterative_recon", table, keywords, {"bins", "angles"});
            const Plane sinogram = plane_argument(input, "sinogram", "(angles, bins)");
            p.angles = sinogram.rows;
            p.bins = sinogram.columns;
            Plane truth;
            const bool with_reference = !reference.is_none();
            if (with_reference) {
                truth = plane_argument(reference, "reference", "(height, width)");
                if (truth.rows != p.height || truth.columns != p.width)
                    throw py::value_error("reference: its shape (" + std::to_string(truth.rows) + ", " +
                                          std::to_string(truth.columns) + ") is not (height, width) = (" +
                                          std::to_string(p.height) + ", " + std::to_string(p.width) + ")");
            }
            std::map<std::int32_t, std::vector<double>> saved;
            IterativeOutcome outcome = run_tool([&](MessageSink& sink) {
                const SampleSource source = array_source(sinogram.samples);
                const SampleSource reference_source = array_source(truth.samples);
                return iterative_reconstruction(p, source, with_reference ? &reference_source : nullptr, sink,
                                                [&](std::int32_t iteration, const std::vector<double>& image) {
                                                    saved[iteration] = image;
                                                });
            });
            py::dict images;
            for (auto& [iteration, image] : saved)
                images[py::int_(iteration)] = plane_result(std::move(image), p.height, p.width);
            const py::ssize_t columns = with_reference ? 3 : 2;
            std::vector<double> rows;
            for (const IterationRecord& r : outcome.table) {
                rows.push_back(r.iteration);
                rows.push_back(r.residual);
                if (with_reference) rows.push_back(r.rmse);
            }
            const py::ssize_t count = static_cast<py::ssize_t>(outcome.table.size());
            return result(plane_result(std::move(outcome.image), p.height, p.width), images,
                          array_result(std::move(rows), {count, columns}));
        },
        py::arg("sinogram"), py::arg("reference") = py::none(), doc.c_str());

    def_tool<ViewSubsetParameters>(
        m,
        {"view_subset", "sinogram", {"bins", "angles"},
         "sinogram: (angles, bins). Returns the views first_view, first_view + view_step, … (views of them),\n"
         "shape (views, bins)."},
        view_subset_dialogue, [](ViewSubsetParameters& p, py::object input) -> py::object {
            const Plane sinogram = plane_argument(input, "sinogram", "(angles, bins)");
            p.angles = sinogram.rows;
            p.bins = sinogram.columns;
            std::vector<double> subset =
                run_tool([&](MessageSink&) { return take_view_subset(p, array_source(sinogram.samples)); });
            return plane_result(std::move(subset), p.views, p.bins);
        });
}
