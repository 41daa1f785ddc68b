// A pixel region with Windows' semantics, for the simulated host.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "host/runtime/display_scale.h"

namespace tarvik::sim {

class Region {
public:
    struct Span {
        int x1, x2;  // [x1, x2)
        bool operator==(const Span&) const = default;
    };

    // The pixels x1 <= x < x2, y1 <= y < y2 (empty if the box is empty).
    static Region Rect(int x1, int y1, int x2, int y2);
    // The ellipse inscribed in the box, rasterised as GDI does (right and bottom edges left out);
    // a box in layout pixels, cut in device pixels at a display scale (ellipse.h).
    static Region Ellipse(int x1, int y1, int x2, int y2, const DisplayScale& scale = DisplayScale());
    // Adds every pixel of the other region.
    void Union(const Region& other);
    // Whether the pixel belongs to the region.
    bool Contains(int x, int y) const;
    // The spans of row y, left to right; none where the row is empty.
    std::span<const Span> Row(int y) const;
    bool Empty() const { return bands_.empty(); }
    // Number of pixels.
    long Area() const;
    // Number of bands: memory and time go by these, not by pixel rows.
    std::size_t Bands() const { return bands_.size(); }

private:
    // Rows top <= y < bottom that share the same spans, as GDI keeps a region: a rectangle is
    // one band whatever its height. Bands are sorted, disjoint and never empty.
    struct Band {
        int top, bottom;
        int first, count;  // their spans in spans_
    };
    // Appends rows top <= y < bottom with the given sorted, disjoint spans, joining the band above if alike.
    void AddBand(int top, int bottom, const Span* spans, int count);
    std::vector<Band> bands_;
    std::vector<Span> spans_;
};

}  // namespace tarvik::sim
