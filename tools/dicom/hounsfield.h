#pragma once
// Hounsfield units and display windows: what a learner reads off a real CT
// image. A CT number says how much more (or less) a pixel attenuates than
// water, in thousandths of water's attenuation, so water is 0 HU and air
// (μ = 0) is −1000 HU whatever the beam energy; the water μ of the beam is
// the one number that ties the suite's attenuation images to them.

#include <cstdint>
#include <span>

// HU = 1000·(μ − μw)/μw and back, μ = μw·(1 + HU/1000); μ and μw in one
// unit (1/cm), μw > 0.
double hounsfield_from_mu(double mu, double water_mu);
double mu_from_hounsfield(double hounsfield, double water_mu);

// What a suite image holds: CT numbers, μ in 1/cm, or the attenuation per
// pixel μ·Δ of a reconstruction (Δ the pixel length in cm).
enum class ImageUnit : std::int32_t { hounsfield = 0,
                                      attenuation = 1,
                                      attenuation_per_pixel = 2 };

// A sample of that unit in HU and back; `pixel_cm` is used by the
// attenuation per pixel alone.
double hounsfield_of(double value, ImageUnit unit, double water_mu, double pixel_cm);
double value_of(double hounsfield, ImageUnit unit, double water_mu, double pixel_cm);

// The linear VOI window of DICOM (its "LINEAR" function): a centre c and a
// width w ≥ 1 map x to
//   y_min                                   when x ≤ c − 0.5 − (w − 1)/2,
//   y_max                                   when x > c − 0.5 + (w − 1)/2,
//   ((x − (c − 0.5))/(w − 1) + 0.5)·(y_max − y_min) + y_min   otherwise.
// The −0.5 and w − 1 make a window of integer stored values land on whole
// display levels: width 1 is a threshold at c − 0.5. A width below 1 is not
// a window of DICOM; the caller refuses it.
double voi_linear(double x, double centre, double width, double y_min, double y_max);

// A window in HU as a radiologist names it.
struct WindowPreset {
    const char* name;  // English key: "soft_tissue", "lung" …
    const char* label;  // Japanese, for the console
    double centre, width;  // HU
};

// The named windows. The values are the typical widths and levels that
// radiology teaching uses (Radiopaedia, "Windowing (CT)", the table of
// typical window width and level values; where it gives a range, its
// middle); a site's own presets differ by some tens of HU.
std::span<const WindowPreset> window_presets();

// The preset of that name, or nullptr.
const WindowPreset* window_preset(const char* name);
