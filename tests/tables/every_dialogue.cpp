#include "tests/tables/every_dialogue.h"

#include "tools/filters/filters_questions.h"
#include "tools/noise/noise_questions.h"
#include "tools/phantom/phantom_questions.h"
#include "tools/projection/projection_questions.h"
#include "tools/recon/recon_questions.h"
#include "tools/resolution/resolution_questions.h"
#include "tools/viewer/viewer_questions.h"

namespace {

// One record per tool, alive for the whole test run, and its table.
template <typename Record>
ToolDialogue bound(ToolDialogue (*dialogue)(Record&)) {
    static Record record;
    return dialogue(record);
}

}  // namespace

std::vector<ToolDialogue> every_dialogue() {
    return {
        bound(oval_draw_dialogue),          bound(oval_stack_dialogue),       bound(raysum_dialogue),
        bound(attenuate_dialogue),          bound(linearize_dialogue),        bound(quantum_noise_dialogue),
        bound(level_noise_dialogue),        bound(scaled_noise_dialogue),     bound(raysum_quanta_dialogue),
        bound(raysum_normal_dialogue),      bound(reconstruct_dialogue),      bound(step_target_dialogue),
        bound(slant_profile_dialogue),      bound(transfer_curve_dialogue),   bound(noise_spectrum_dialogue),
        bound(noise_spectrum_sweep_dialogue), bound(recon_noise_sweep_dialogue), bound(recon_noise_windows_dialogue),
        bound(recon_noise_diagonal_dialogue), bound(box_smooth_dialogue),     bound(kernel_smooth_dialogue),
        bound(bell_smooth_dialogue),        bound(rank_smooth_dialogue),      bound(edge_preserve_dialogue),
        bound(raw_to_png_dialogue),
    };
}
