// The bitmap a backend keeps its face in, and the one resize of a face that keeps its drawing:
// the face is the top-left part of a larger store, so that most sizes of a drag fit it without
// a new bitmap, a copy and a fill of the whole face.
#pragma once

#include <algorithm>
#include <optional>

#include "host/runtime/display_scale.h"
#include "host/twips.h"
#include "host/types.h"

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

// A backend's stores of 32-bit pixels, 0x00RRGGBB (cairo's RGB24 and a 32 bpp DIB alike).
class PixelStores {
public:
    virtual ~PixelStores() = default;
    // Makes a store of that size beside the one in use; false, and nothing made, if the system refuses.
    virtual bool MakeStore(StoreSize size) = 0;
    // The pixels of the store just made, and of the one in use (the face's; none before the first).
    virtual PixelImage Made() = 0;
    virtual PixelImage Held() = 0;
    // The store just made goes into use, and the old one is released.
    virtual void UseMade() = 0;
};

// A face's size in pixels: the part of its store that is drawn on.
struct FaceSize {
    int width = 0, height = 0;
    bool operator==(const FaceSize&) const = default;
};

// Makes a face of width x height (each held to 1..kMaxFaceSide), keeping what was drawn at its
// top-left; what the old face did not cover gets the back colour. face is the old face's size
// in the held store ({0, 0} for none). Where the system cannot give the store, it is made just
// the face's size; where not even that, the face is made smaller (its longer side halved until
// it can be) and the window shows the back colour beyond it. Gives the face's size now, or
// nothing where not even a 1 x 1 face could be made: the old face then stays as it was.
std::optional<FaceSize> ResizeFaceStore(PixelStores& stores, StoreSize held, FaceSize face, int width, int height,
                                        Color back);

}  // namespace tarvik
