#pragma once
// The parameter records and question tables of the iterative tools: one
// record and one table per tool, shared by its main, its --help text and the
// Python module.
//
// A sinogram file does not know its angles. Both tools describe the views a
// file holds by three answers on the half-turn grid of `full_angles`
// projections (angle index i stands at i × π / full_angles, as raysum
// places its projections): the first view's index, the step between views
// and the number of views (the file's rows). A sinogram straight from
// raysum has first 0, step 1 and as many views as the grid; view_subset
// prints the three answers of the sinogram it writes.

#include <cstdint>
#include <string>

#include "common/dialogue.h"

struct IterativeReconParameters {
    std::string input;
    std::int32_t bins, angles;  // the file: `angles` rows (views) of `bins` samples
    std::int32_t full_angles, first_view, view_step;
    std::string output;  // the image after the last iteration
    std::int32_t width, height;
    double pixel_length;
    std::int32_t method, iterations;
    double relaxation;
    std::int32_t subsets, nonnegative;
    double tv_weight;
    std::int32_t incident, start, save_every;
    std::string table, reference;
};
ToolDialogue iterative_recon_dialogue(IterativeReconParameters& p);

struct ViewSubsetParameters {
    std::string input;
    std::int32_t bins, angles;
    std::string output;
    std::int32_t first_view, view_step, views;
};
ToolDialogue view_subset_dialogue(ViewSubsetParameters& p);

// The methods, as the method answer numbers them.
enum class IterativeMethod { sirt = 1,
                             sart = 2,
                             os_sart = 3,
                             cgls = 4,
                             mlem = 5,
                             os_em = 6 };

// The reference answer that asks for no reference image.
inline constexpr const char* no_reference = "none";

// Iterations beyond this are refused: the saved images are numbered in four digits.
inline constexpr std::int32_t most_iterations = 9999;

// The name of the image saved after `iteration` (not the last): the output
// name with "_" and the iteration in four digits before its extension
// ("ir.img" → "ir_0005.img").
std::string saved_image_name(const std::string& output, std::int32_t iteration);

// The iterations after which an image is saved: every save_every-th and
// the last (save_every 0: the last only).
bool saves_image_after(const IterativeReconParameters& p, std::int32_t iteration);
