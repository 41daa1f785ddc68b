// The bitmap a backend keeps its face in: larger than the face, so that most sizes of a drag
// fit it without a new bitmap, a copy and a fill of the whole face.
#pragma once

#include <algorithm>

#include "host/twips.h"

namespace tarvik {

struct StoreSize {
    int width = 0, height = 0;
    bool operator==(const StoreSize&) const = default;
};

// The store for a face of width x height (each 1..kMaxFaceSide), given the one held ({0, 0} for
// none): the held one while the face fits and fills more than a quarter of it (a store left
// from a maximized window is given back); else one with room to grow. Rows beyond the face cost
// nothing while it draws; columns beyond it stretch every row apart, and a face that no longer
// fits the processor's cache fills at half the speed, so the width gets only a little room.
inline StoreSize FaceStore(StoreSize held, int width, int height) {
    const long needed = static_cast<long>(width) * height, kept = static_cast<long>(held.width) * held.height;
    const bool oversized = needed * 4 < kept;
    if (width <= held.width && height <= held.height && !oversized) return held;
    if (oversized) held = {};
    return {std::max(width, std::min(held.width + held.width / 32, kMaxFaceSide)),
            std::max(height, std::min(held.height + held.height / 2, kMaxFaceSide))};
}

}  // namespace tarvik
