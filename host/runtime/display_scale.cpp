#include "host/runtime/display_scale.h"

#include <algorithm>

namespace tarvik {

void EnlargePixels(const PixelImage& layout, const PixelImage& device, const PixelRect& area, const DisplayScale& scale) {
    const int x0 = std::max(area.x, 0), x1 = std::min(area.x + area.w, layout.width);
    const int y0 = std::max(area.y, 0), y1 = std::min(area.y + area.h, layout.height);
    if (x0 >= x1 || y0 >= y1) return;
    const auto edge = [&](int l, int limit) { return std::clamp(scale.ToDevice(l), 0, limit); };
    const int dx0 = edge(x0, device.width), dx1 = edge(x1, device.width);
    for (int ly = y0; ly < y1; ++ly) {
        const int dy0 = edge(ly, device.height), dy1 = edge(ly + 1, device.height);
        if (dy0 >= dy1) continue;
        const std::uint32_t* from = layout.Row(ly);
        std::uint32_t* to = device.Row(dy0);
        for (int lx = x0; lx < x1; ++lx) {
            const int a = edge(lx, device.width), b = edge(lx + 1, device.width);
            std::fill(to + a, to + std::max(a, b), from[lx]);
        }
        // The other device rows of this layout row are the same.
        for (int dy = dy0 + 1; dy < dy1; ++dy) std::copy(to + dx0, to + dx1, device.Row(dy) + dx0);
    }
}

}  // namespace tarvik
