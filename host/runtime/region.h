// A pixel region as GDI keeps one: the outline's shapes, cut and merged once for every backend.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "host/runtime/display_scale.h"
#include "host/twips.h"

namespace tarvik {

// What CombineRgn reports, as GDI numbers it: ERROR, NULLREGION, SIMPLEREGION, COMPLEXREGION.
inline constexpr int kRegionError = 0, kNullRegion = 1, kSimpleRegion = 2, kComplexRegion = 3;

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
    // Keeps only the pixels 0 <= x < width, 0 <= y < height.
    void Clip(int width, int height);
    // Whether both hold the same pixels (a region is kept in one form only).
    bool operator==(const Region& other) const;
    // Whether the pixel belongs to the region.
    bool Contains(int x, int y) const;
    // The spans of row y, left to right; none where the row is empty.
    std::span<const Span> Row(int y) const;
    bool Empty() const { return bands_.empty(); }
    // Number of pixels.
    long Area() const;
    // Number of bands: memory and time go by these, not by pixel rows.
    std::size_t Bands() const { return bands_.size(); }
    // Whether the region is one rectangle (GDI's SIMPLEREGION).
    bool IsRectangle() const { return bands_.size() == 1 && bands_.front().count == 1; }
    // The smallest rectangle holding every pixel; empty (0 x 0) for an empty region.
    PixelRect Bounds() const;
    // The region as rectangles, band by band from the top and left to right within a band (the
    // order X's YXBanded shapes and Win32's region data take).
    std::vector<PixelRect> Rectangles() const;

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

}  // namespace tarvik
