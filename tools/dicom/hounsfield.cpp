#include "tools/dicom/hounsfield.h"

#include <cstring>

double hounsfield_from_mu(double mu, double water_mu) { return 1000.0 * (mu - water_mu) / water_mu; }

double mu_from_hounsfield(double hounsfield, double water_mu) { return water_mu * (1.0 + hounsfield / 1000.0); }

double hounsfield_of(double value, ImageUnit unit, double water_mu, double pixel_cm) {
    switch (unit) {
        case ImageUnit::hounsfield: return value;
        case ImageUnit::attenuation: return hounsfield_from_mu(value, water_mu);
        case ImageUnit::attenuation_per_pixel: return hounsfield_from_mu(value / pixel_cm, water_mu);
    }
    return value;
}

double value_of(double hounsfield, ImageUnit unit, double water_mu, double pixel_cm) {
    switch (unit) {
        case ImageUnit::hounsfield: return hounsfield;
        case ImageUnit::attenuation: return mu_from_hounsfield(hounsfield, water_mu);
        case ImageUnit::attenuation_per_pixel: return mu_from_hounsfield(hounsfield, water_mu) * pixel_cm;
    }
    return hounsfield;
}

double voi_linear(double x, double centre, double width, double y_min, double y_max) {
    const double middle = centre - 0.5, half = (width - 1.0) / 2.0;
    if (x <= middle - half) return y_min;
    if (x > middle + half) return y_max;
    // Only reached for a width above 1: at width 1 the two tests cover every x.
    return ((x - middle) / (width - 1.0) + 0.5) * (y_max - y_min) + y_min;
}

std::span<const WindowPreset> window_presets() {
    static const WindowPreset presets[] = {
        {"brain", "脳", 40, 80},
        {"subdural", "硬膜下", 75, 215},
        {"stroke", "脳梗塞", 32, 8},
        {"temporal_bone", "側頭骨", 600, 2800},
        {"head_soft_tissue", "頭頸部の軟部組織", 40, 375},
        {"lung", "肺", -600, 1500},
        {"mediastinum", "縦隔", 50, 350},
        {"soft_tissue", "腹部の軟部組織", 50, 400},
        {"liver", "肝臓", 30, 150},
        {"spine_soft_tissue", "脊椎の軟部組織", 50, 250},
        {"bone", "骨", 400, 1800},
    };
    return presets;
}

const WindowPreset* window_preset(const char* name) {
    for (const WindowPreset& p : window_presets())
        if (std::strcmp(p.name, name) == 0) return &p;
    return nullptr;
}
