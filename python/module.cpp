// cttools: the suite's tools as functions on numpy arrays.

#include "python/module.h"

#include <pybind11/pybind11.h>

#include "common/language.h"

#include "common/tool_start.h"

PYBIND11_MODULE(cttools, m) {
    // Messages and warnings in English, the numpy world's language; CT_LANG=ja gives Japanese.
    set_default_language(Language::english);
    m.doc() =
        "The CT teaching tools as functions on numpy arrays: the same computation as the console tools,\n"
        "so that, cast to float32, every result holds exactly the bytes the tool writes for the same input.\n"
        "Each function is named as its tool and takes the tool's questions as keywords with the tool's\n"
        "defaults; images are float64 arrays of shape (height, width), sinograms (angles, bins).";
    // The docstrings carry signatures built from the tools' question tables.
    m.attr("__version__") = suite_version();  // the project's version, as the tools' --version
    py::options options;
    options.disable_function_signatures();
    register_files(m);
    register_phantom(m);
    register_projection(m);
    register_recon(m);
    register_iterative(m);
    register_fan(m);
    register_resolution(m);
    register_noise(m);
    register_filters(m);
    register_viewer(m);
    register_detectability(m);
    register_detection_trials(m);
    register_observer_study(m);
    register_dicom(m);
}
