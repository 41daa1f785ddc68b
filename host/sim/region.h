// A pixel region with Windows' semantics, for the simulated host.
#pragma once

#include <map>
#include <utility>
#include <vector>

namespace tarvik::sim {

class Region {
public:
    // The pixels x1 <= x < x2, y1 <= y < y2 (empty if the box is empty).
    static Region Rect(int x1, int y1, int x2, int y2);
    // The ellipse inscribed in the box, rasterised as GDI does (right and bottom edges left out).
    static Region Ellipse(int x1, int y1, int x2, int y2);
    // Adds every pixel of the other region.
    void Union(const Region& other);
    // Whether the pixel belongs to the region.
    bool Contains(int x, int y) const;
    bool Empty() const { return rows_.empty(); }
    // Number of pixels.
    long Area() const;

private:
    using Spans = std::vector<std::pair<int, int>>;  // sorted, disjoint [x1, x2)
    void AddSpan(int y, int x1, int x2);
    std::map<int, Spans> rows_;
};

}  // namespace tarvik::sim
