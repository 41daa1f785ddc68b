#include "host/runtime/face_store.h"

#include <algorithm>
#include <cstring>

namespace tarvik {

namespace {

// A colour (0x00BBGGRR) as a store's pixel (0x00RRGGBB).
std::uint32_t StorePixel(Color c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// Fills the rectangle from (x1, y1) to (x2, y2) of the image with one pixel value.
void Fill(const PixelImage& image, int x1, int y1, int x2, int y2, std::uint32_t value) {
    if (x2 <= x1 || y2 <= y1) return;
    for (int y = y1; y < y2; ++y) std::fill(image.Row(y) + x1, image.Row(y) + x2, value);
}

}  // namespace

std::optional<FaceSize> ResizeFaceStore(PixelStores& stores, StoreSize held, FaceSize face, int width, int height,
                                        Color back) {
    width = std::clamp(width, 1, kMaxFaceSide);
    height = std::clamp(height, 1, kMaxFaceSide);
    const bool drawn = face.width > 0 && face.height > 0;
    if (drawn && width == face.width && height == face.height) return face;
    const std::uint32_t fill = StorePixel(back);
    StoreSize store = FaceStore(held, width, height);
    if (drawn && store == held) {
        // What a smaller face left in the store is not the face's: only the uncovered strips change.
        const PixelImage pixels = stores.Held();
        Fill(pixels, face.width, 0, width, height, fill);
        Fill(pixels, 0, face.height, std::min(width, face.width), height, fill);
        return FaceSize{width, height};
    }
    while (!stores.MakeStore(store)) {
        if (store.width > width || store.height > height) {
            store = {width, height};  // no room, then
            continue;
        }
        if (width == 1 && height == 1) return std::nullopt;
        if (width >= height)
            width = std::max(1, width / 2);
        else
            height = std::max(1, height / 2);
        store = {width, height};
    }
    const PixelImage made = stores.Made();
    const int keepW = drawn ? std::min(width, face.width) : 0, keepH = drawn ? std::min(height, face.height) : 0;
    if (keepW > 0) {
        const PixelImage old = stores.Held();
        for (int y = 0; y < keepH; ++y) std::memcpy(made.Row(y), old.Row(y), static_cast<std::size_t>(keepW) * 4);
    }
    Fill(made, keepW, 0, width, keepH, fill);
    Fill(made, 0, keepH, width, height, fill);
    stores.UseMade();
    return FaceSize{width, height};
}

}  // namespace tarvik
