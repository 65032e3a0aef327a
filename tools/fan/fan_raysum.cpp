// fan_raysum: fan-beam line integrals of an attenuation image (or the exact
// ones of an ellipse phantom) for a curved or a flat detector, and the text
// file that tells the other fan tools how the sinogram was measured.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/tool_start.h"
#include "tools/fan/fan_questions.h"
#include "tools/fan/fan_tools.h"
#include "tools/phantom/ellipse_file.h"

int main(int argc, char** argv) {
    FanRaysumParameters p;
    return tool_main(argc, argv, fan_raysum_dialogue(p), [&] {
        // Every answer first: a refusal writes nothing.
        check_fan_raysum_answers(p);
        std::vector<double> sinogram;
        if (p.input_kind == 2) {
            const std::vector<Ellipse> ellipses = load_ellipses(p.input, p.ellipse_count, nullptr);
            sinogram = fan_raysum_of_ellipses(p, ellipses, console_sink());
        } else {
            require_fan_file_samples(p.input, sample_count(p.width, p.height), "画像の幅 × 高さ");
            sinogram = fan_raysum_of_image(p, raw_file_source(p.input), console_sink());
        }
        // Both files written before either replaces its earlier one: the
        // sinogram put in place first, then its geometry, whose temporary
        // file goes if the sinogram cannot be written.
        OutputFile geometry = fan_geometry_output(p.geometry, fan_raysum_geometry(p));
        write_raw_file(p.output, sinogram, static_cast<std::int64_t>(sinogram.size()));
        geometry.close();
    });
}
