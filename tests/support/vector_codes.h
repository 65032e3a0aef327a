#pragma once
// Runs a check once with each vector form this processor runs as the
// fastest path, so that a test comparing the fastest path with the
// portable one compares every lane type with it.

#include <gtest/gtest.h>

#include "common/code_path.h"

// Calls check() with each runnable form made the fastest path in turn (a
// failure names the form); the form chosen before comes back after.
template <typename Check>
void for_each_vector_code(Check check) {
    const VectorCode chosen = vector_code(CodePath::fastest);
    for (VectorCode code : runnable_vector_codes()) {
        if (code == VectorCode::none && vector_code_available()) continue;
        use_vector_code(code);
        SCOPED_TRACE(vector_code_name(code));
        check();
    }
    use_vector_code(chosen);
}
