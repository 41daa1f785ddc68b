#include "host/runtime/ellipse.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tarvik {

// GDI rasterises an ellipse a little inside its box; this rule reproduces the platform's spans
// for the outline's corner sizes (52 x 52, 51 x 52, 9 x 9) to within a few pixels: pixel (x, y)
// belongs when its index lies inside the ellipse centred at (x1 + (w - 2) / 2, y1 + (h - 2) / 2)
// with semi-axes (w - 1.25) / 2 and (h - 1.25) / 2.
std::vector<Span> EllipseSpans(int x1, int y1, int x2, int y2) {
    std::vector<Span> spans;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const double w = static_cast<double>(x2) - x1, h = static_cast<double>(y2) - y1;
    const double rx = (w - 1.25) / 2, ry = (h - 1.25) / 2;
    if (rx <= 0 || ry <= 0) return spans;
    const double cx = x1 + (w - 2) / 2, cy = y1 + (h - 2) / 2;
    for (int y = y1; y < y2; ++y) {
        const double dy = (y - cy) / ry;
        if (dy * dy >= 1) continue;
        const double half = rx * std::sqrt(1 - dy * dy);
        // Indices with |x - cx| < half.
        const int from = std::max(static_cast<int>(std::floor(cx - half)) + 1, x1);
        const int to = std::min(static_cast<int>(std::ceil(cx + half)), x2);
        if (from < to) spans.push_back({y, from, to});
    }
    return spans;
}

std::vector<Span> EllipseSpans(int x1, int y1, int x2, int y2, const DisplayScale& scale) {
    if (scale.IsOne()) return EllipseSpans(x1, y1, x2, y2);
    if (y1 > y2) std::swap(y1, y2);
    const std::vector<Span> layout = EllipseSpans(x1, y1, x2, y2);
    std::vector<Span> spans;
    for (const Span& d : EllipseSpans(scale.ToDevice(x1), scale.ToDevice(y1), scale.ToDevice(x2), scale.ToDevice(y2))) {
        const int row = scale.ToLayout(d.y);
        const auto held = std::find_if(layout.begin(), layout.end(), [&](const Span& s) { return s.y == row; });
        if (held == layout.end()) continue;
        const int from = std::max(d.from, scale.ToDevice(held->from)), to = std::min(d.to, scale.ToDevice(held->to));
        if (from < to) spans.push_back({d.y, from, to});
    }
    return spans;
}

}  // namespace tarvik
