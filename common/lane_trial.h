#pragma once
// A short timed trial of two vector forms on the operations the inner
// loops are made of, on this processor as it runs now.

#include "common/code_path.h"

// Whichever of a and b ran the trial in less time (best of three rounds,
// taken in turn); a on a tie.
VectorCode faster_vector_code(VectorCode a, VectorCode b);
