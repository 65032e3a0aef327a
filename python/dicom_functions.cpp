// DICOM in and out: dicom_to_raw reads one frame of a DICOM image, and
// raw_to_dicom writes an image as a DICOM CT image.

#include <string>

#include "common/output_file.h"
#include "common/raw_file.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"
#include "tools/dicom/dicom_tools.h"

namespace {

std::string path_of(py::handle name) { return py::str(py::module_::import("os").attr("fspath")(name)); }

// The header facts as the run's events give them, with the image's shape.
py::dict header_dict(const run_events::FileInside& inside) {
    py::dict header;
    header["rows"] = inside.rows;
    header["columns"] = inside.columns;
    for (const run_events::HeaderFact& fact : inside.header)
        std::visit([&](const auto& value) { header[py::str(fact.key)] = value; }, fact.value);
    return header;
}

}  // namespace

void register_dicom(py::module_& m) {
    py::object image_type = result_type(m, "DicomImage", {"image", "header"});
    def_tool<DicomToRawParameters>(
        m,
        {"dicom_to_raw", "dicom", {},
         "dicom: the path of a DICOM file. Returns DicomImage(image, header): the frame (rows, columns) in the unit\n"
         "asked for, and the header's facts as a dict (rows, columns, frames, pixel spacing, rescale, window,\n"
         "modality, transfer syntax …), the very facts the tool shows."},
        dicom_to_raw_dialogue, [image_type](DicomToRawParameters& p, py::object dicom) -> py::object {
            p.input = path_of(dicom);
            DicomImage image = run_tool([&](MessageSink& sink) {
                check_dicom_to_raw(p);
                const std::string bytes = whole_file(p.input, std::int64_t{1} << 30);
                return dicom_to_raw_image(p, bytes, sink);
            });
            const run_events::FileInside inside = file_inside(image.facts, p.frame);
            return image_type(plane_result(std::move(image.values), image.facts.rows, image.facts.columns),
                              header_dict(inside));
        });

    const FunctionSignature signature{
        "raw_to_dicom", "image, output", {"width", "height"}, "image: (height, width). Writes the DICOM CT image `output`, the very bytes the tool writes."};
    RawToDicomParameters defaults{};
    const std::string doc = function_doc(signature, raw_to_dicom_dialogue(defaults));
    m.def(
        "raw_to_dicom",
        [](py::handle input, py::handle output, py::kwargs keywords) {
            RawToDicomParameters p{};
            const ToolDialogue table = raw_to_dicom_dialogue(p);
            answer_from_keywords("raw_to_dicom", table, keywords, {"width", "height"});
            const Plane image = plane_argument(input, "image", "(height, width)");
            p.output = path_of(output);
            p.width = image.columns;
            p.height = image.rows;
            run_tool([&](MessageSink& sink) {
                check_raw_to_dicom(p);
                const std::string bytes = raw_to_dicom_bytes(p, array_source(image.samples), sink);
                OutputFile out(p.output);
                std::fwrite(bytes.data(), 1, bytes.size(), out.stream());
                out.close(sink);
            });
        },
        py::arg("image"), py::arg("output"), doc.c_str());
}
