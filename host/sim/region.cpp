#include "host/sim/region.h"

#include <algorithm>
#include <cmath>

#include "host/ellipse.h"

namespace tarvik::sim {

Region Region::Rect(int x1, int y1, int x2, int y2) {
    Region r;
    if (x1 > x2) std::swap(x1, x2);  // GDI normalises the corners
    if (y1 > y2) std::swap(y1, y2);
    if (x1 == x2) return r;
    for (int y = y1; y < y2; ++y) r.rows_[y] = {{x1, x2}};
    return r;
}

// GDI's rasterisation, shared with every backend that builds regions itself.
Region Region::Ellipse(int x1, int y1, int x2, int y2) {
    Region r;
    for (const Span& s : EllipseSpans(x1, y1, x2, y2)) r.AddSpan(s.y, s.from, s.to);
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
