#include "host/runtime/region.h"

#include <algorithm>

#include "host/runtime/ellipse.h"

namespace tarvik {

Region Region::Rect(int x1, int y1, int x2, int y2) {
    Region r;
    if (x1 > x2) std::swap(x1, x2);  // GDI normalises the corners
    if (y1 > y2) std::swap(y1, y2);
    const Span span{x1, x2};
    if (x1 < x2 && y1 < y2) r.AddBand(y1, y2, &span, 1);
    return r;
}

// GDI's rasterisation (ellipse.h).
Region Region::Ellipse(int x1, int y1, int x2, int y2, const DisplayScale& scale) {
    Region r;
    for (const tarvik::Span& s : EllipseSpans(x1, y1, x2, y2, scale)) {
        const Span span{s.from, s.to};
        r.AddBand(s.y, s.y + 1, &span, 1);
    }
    return r;
}

void Region::AddBand(int top, int bottom, const Span* spans, int count) {
    if (count == 0 || top >= bottom) return;
    if (!bands_.empty()) {
        Band& last = bands_.back();
        if (last.bottom == top && last.count == count && std::equal(spans, spans + count, spans_.begin() + last.first)) {
            last.bottom = bottom;
            return;
        }
    }
    bands_.push_back({top, bottom, static_cast<int>(spans_.size()), count});
    spans_.insert(spans_.end(), spans, spans + count);
}

// Walks both band lists from the top: between consecutive band edges each row set has one set
// of spans from either side, and their merge becomes one band of the result.
void Region::Union(const Region& other) {
    if (other.Empty()) return;
    if (Empty()) {
        *this = other;
        return;
    }
    Region out;
    out.bands_.reserve(bands_.size() + other.bands_.size());
    out.spans_.reserve(spans_.size() + other.spans_.size());
    std::vector<Span> merged;
    merged.reserve(spans_.size() + other.spans_.size());
    std::size_t i = 0, j = 0;
    int y = std::min(bands_.front().top, other.bands_.front().top);
    while (i < bands_.size() || j < other.bands_.size()) {
        const Band* a = i < bands_.size() ? &bands_[i] : nullptr;
        const Band* b = j < other.bands_.size() ? &other.bands_[j] : nullptr;
        const bool inA = a && a->top <= y, inB = b && b->top <= y;
        if (!inA && !inB) {  // a gap: skip to the next band
            y = std::min(a ? a->top : b->top, b ? b->top : a->top);
            continue;
        }
        // The rows from y down to the nearest edge of either side all look alike.
        int next = inA ? a->bottom : a ? a->top : b->bottom;
        if (inB) next = std::min(next, b->bottom);
        else if (b) next = std::min(next, b->top);
        merged.clear();
        const Span* p = inA ? &spans_[static_cast<std::size_t>(a->first)] : nullptr;
        const Span* pEnd = inA ? p + a->count : nullptr;
        const Span* q = inB ? &other.spans_[static_cast<std::size_t>(b->first)] : nullptr;
        const Span* qEnd = inB ? q + b->count : nullptr;
        while (p != pEnd || q != qEnd) {
            const Span s = (q == qEnd || (p != pEnd && p->x1 <= q->x1)) ? *p++ : *q++;
            if (!merged.empty() && s.x1 <= merged.back().x2)
                merged.back().x2 = std::max(merged.back().x2, s.x2);
            else
                merged.push_back(s);
        }
        out.AddBand(y, next, merged.data(), static_cast<int>(merged.size()));
        y = next;
        if (inA && a->bottom == next) ++i;
        if (inB && b->bottom == next) ++j;
    }
    *this = std::move(out);
}

std::span<const Region::Span> Region::Row(int y) const {
    const auto band = std::upper_bound(bands_.begin(), bands_.end(), y, [](int v, const Band& b) { return v < b.bottom; });
    if (band == bands_.end() || band->top > y) return {};
    return {spans_.data() + band->first, static_cast<std::size_t>(band->count)};
}

bool Region::Contains(int x, int y) const {
    const std::span<const Span> row = Row(y);
    return std::any_of(row.begin(), row.end(), [x](const Span& s) { return x >= s.x1 && x < s.x2; });
}

// Band by band: rows and spans cut to the box, the bands left empty dropped, alike neighbours joined.
void Region::Clip(int width, int height) {
    Region out;
    std::vector<Span> kept;
    for (const Band& b : bands_) {
        const int top = std::max(b.top, 0), bottom = std::min(b.bottom, height);
        if (top >= bottom) continue;
        kept.clear();
        for (int k = 0; k < b.count; ++k) {
            const Span& s = spans_[static_cast<std::size_t>(b.first + k)];
            const int x1 = std::max(s.x1, 0), x2 = std::min(s.x2, width);
            if (x1 < x2) kept.push_back({x1, x2});
        }
        out.AddBand(top, bottom, kept.data(), static_cast<int>(kept.size()));
    }
    *this = std::move(out);
}

// Bands are kept joined and never empty, so the same pixels always give the same bands.
bool Region::operator==(const Region& other) const {
    if (bands_.size() != other.bands_.size() || spans_ != other.spans_) return false;
    for (std::size_t i = 0; i < bands_.size(); ++i)
        if (bands_[i].top != other.bands_[i].top || bands_[i].bottom != other.bands_[i].bottom ||
            bands_[i].count != other.bands_[i].count)
            return false;
    return true;
}

PixelRect Region::Bounds() const {
    if (bands_.empty()) return {0, 0, 0, 0};
    int left = spans_.front().x1, right = spans_.front().x2;
    for (const Band& b : bands_) {
        left = std::min(left, spans_[static_cast<std::size_t>(b.first)].x1);
        right = std::max(right, spans_[static_cast<std::size_t>(b.first + b.count - 1)].x2);
    }
    return {left, bands_.front().top, right - left, bands_.back().bottom - bands_.front().top};
}

std::vector<PixelRect> Region::Rectangles() const {
    std::vector<PixelRect> out;
    out.reserve(spans_.size());
    for (const Band& b : bands_)
        for (int k = 0; k < b.count; ++k) {
            const Span& s = spans_[static_cast<std::size_t>(b.first + k)];
            out.push_back({s.x1, b.top, s.x2 - s.x1, b.bottom - b.top});
        }
    return out;
}

long Region::Area() const {
    long n = 0;
    for (const Band& b : bands_)
        for (int k = 0; k < b.count; ++k) {
            const Span& s = spans_[static_cast<std::size_t>(b.first + k)];
            n += (static_cast<long>(s.x2) - s.x1) * (static_cast<long>(b.bottom) - b.top);
        }
    return n;
}

}  // namespace tarvik
