#include "host/runtime/hit_test.h"

#include "host/twips.h"

namespace tarvik {

// Scans the design order from the top of the z-order down.
std::optional<Elem> HitTest(const ElementTable& elements, int x, int y) {
    for (int i = 0; i < kElemCount; ++i) {
        const ElementState& e = elements[static_cast<std::size_t>(i)];
        if (!e.visible) continue;
        const PixelRect r = TwipsRectToPixels(e.left, e.top, e.width, e.height);
        if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return static_cast<Elem>(i);
    }
    return std::nullopt;
}

}  // namespace tarvik
