#pragma once
// The phantom tools' computations, shared by their mains and the Python
// module: the image (height × width, row major) from the answers.

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/phantom/ellipse.h"
#include "tools/phantom/phantom_questions.h"

// oval_draw: one ellipse in an otherwise empty image.
std::vector<double> draw_oval_image(const OvalDrawParameters& p);

// The ellipses of oval_stack, `count` of them, read when the computation
// reaches them (from the ellipse file by the tool, from a file or a text by
// the Python module).
using EllipseSource = std::function<std::vector<Ellipse>(std::int32_t count)>;

// oval_stack: the sum of the ellipses; the sizes are checked before the
// ellipses are read.
std::vector<double> draw_oval_stack(const OvalStackParameters& p, const EllipseSource& ellipses);
