#include "host/sim/region.h"

#include <algorithm>
#include <cmath>

namespace tarvik::sim {

Region Region::Rect(int x1, int y1, int x2, int y2) {
    Region r;
    if (x1 > x2) std::swap(x1, x2);  // GDI normalises the corners
    if (y1 > y2) std::swap(y1, y2);
    if (x1 == x2) return r;
    for (int y = y1; y < y2; ++y) r.rows_[y] = {{x1, x2}};
    return r;
}

// GDI leaves an ellipse's right and bottom edge out and rasterises it a little inside its box;
// this rule reproduces the platform's spans for the outline's corner sizes (52 x 52, 51 x 52, 9 x 9)
// to within a few pixels: pixel (x, y) belongs when its index lies inside the ellipse centred at
// (x1 + (w - 2) / 2, y1 + (h - 2) / 2) with semi-axes (w - 1.25) / 2 and (h - 1.25) / 2.
Region Region::Ellipse(int x1, int y1, int x2, int y2) {
    Region r;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const double w = x2 - x1, h = y2 - y1;
    const double rx = (w - 1.25) / 2, ry = (h - 1.25) / 2;
    if (rx <= 0 || ry <= 0) return r;
    const double cx = x1 + (w - 2) / 2, cy = y1 + (h - 2) / 2;
    for (int y = y1; y < y2; ++y) {
        const double dy = (y - cy) / ry;
        if (dy * dy >= 1) continue;
        const double half = rx * std::sqrt(1 - dy * dy);
        // Indices with |x - cx| < half.
        const int from = static_cast<int>(std::floor(cx - half)) + 1;
        const int to = static_cast<int>(std::ceil(cx + half));
        if (from < to) r.AddSpan(y, std::max(from, x1), std::min(to, x2));
    }
    return r;
}

void Region::AddSpan(int y, int x1, int x2) {
    if (x1 >= x2) return;
    Spans& spans = rows_[y];
    spans.emplace_back(x1, x2);
    std::sort(spans.begin(), spans.end());
    Spans merged;
    for (const auto& s : spans) {
        if (!merged.empty() && s.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, s.second);
        else
            merged.push_back(s);
    }
    spans = std::move(merged);
}

void Region::Union(const Region& other) {
    for (const auto& [y, spans] : other.rows_)
        for (const auto& s : spans) AddSpan(y, s.first, s.second);
}

bool Region::Contains(int x, int y) const {
    const auto row = rows_.find(y);
    if (row == rows_.end()) return false;
    for (const auto& s : row->second)
        if (x >= s.first && x < s.second) return true;
    return false;
}

long Region::Area() const {
    long n = 0;
    for (const auto& [y, spans] : rows_)
        for (const auto& s : spans) n += s.second - s.first;
    return n;
}

}  // namespace tarvik::sim
