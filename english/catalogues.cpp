#include "english/catalogue.h"

std::span<const Catalogue> english_catalogues() {
    static const Catalogue all[] = {
        {"common", common_texts()},
        {"tools/phantom", phantom_texts()},
        {"tools/projection", projection_texts()},
        {"tools/recon", recon_texts()},
        {"tools/iterative", iterative_texts()},
        {"tools/fan", fan_texts()},
        {"tools/resolution", resolution_texts()},
        {"tools/noise", noise_texts()},
        {"tools/filters", filters_texts()},
        {"tools/viewer", viewer_texts()},
        {"tools/detectability", detectability_texts()},
        {"tools/dicom", dicom_texts()},
        {"python", python_texts()},
    };
    return all;
}
