// The pixels of an ellipse inscribed in a box, rasterised as GDI's CreateEllipticRgn does, for
// the runtime's regions: every backend shows the same outline, whatever its platform would cut.
#pragma once

#include <vector>

#include "host/runtime/display_scale.h"

namespace tarvik {

// One row of an ellipse: the pixels from <= x < to on row y.
struct Span {
    int y, from, to;
};

// The rows of the ellipse inscribed in the box (x1, y1, x2, y2), top to bottom; the box's
// corners may come in any order, and its right and bottom edges are left out, as in GDI.
std::vector<Span> EllipseSpans(int x1, int y1, int x2, int y2);

// The same ellipse (a box in layout pixels) in device pixels: cut at the device's resolution,
// so that its curve stays round, yet never beyond the layout ellipse's pixels enlarged, so
// that nothing the layout outline cuts away (the artwork's corner fill) shows at any scale.
std::vector<Span> EllipseSpans(int x1, int y1, int x2, int y2, const DisplayScale& scale);

}  // namespace tarvik
