#pragma once
// raw_to_png's window in Hounsfield units: the image's samples turned into
// HU (its unit, water's μ, the pixel length) and shown through the linear
// VOI window of DICOM, as a CT viewer shows a real image.

#include <cstdint>

#include "tools/dicom/hounsfield.h"
#include "tools/viewer/grey_window.h"
#include "tools/viewer/viewer_questions.h"

struct HuWindow {
    ImageUnit unit;
    double water_mu, pixel_cm;
    double centre, width;  // HU, width ≥ 1
    const WindowPreset* preset;  // the named window, or nullptr for centre and width
};

// Whether the answers ask for an HU window: a preset named, or a width
// other than 0 (0, the default, keeps the plain low/high window).
bool hu_window_asked(const RawToPngParameters& p);

// The HU window of the answers, refusing (exit 1, before any file) an
// unknown preset, a width below 1, a centre that is not finite, a unit
// other than 0, 1 or 2, water's μ or (for μ·Δ) the pixel length not
// positive, and a grey bar answer other than 0 or 1 or asked without an
// HU window.
HuWindow hu_window_of(const RawToPngParameters& p);

// The grey level of one sample: its HU through voi_linear onto 0 … 255,
// rounded to the nearest level with halves going up. NaN is black.
unsigned char hu_grey_level(double value, const HuWindow& w);
unsigned char hu_grey_level_of_hounsfield(double hounsfield, const HuWindow& w);

// The sample values where the grey ramp begins (black) and ends (white).
DisplayWindow hu_display_range(const HuWindow& w);
