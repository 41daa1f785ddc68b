// The window face: a persistent 32 bpp memory bitmap that all drawing goes to, so that the
// window can show its last frame whenever the system asks, without the program's help.
#pragma once

#include <cstdint>

#include "host/runtime/display_scale.h"
#include "host/runtime/face_store.h"
#include "host/twips.h"
#include "host/backends/win32/win32_api.h"

namespace tarvik::win32 {

// Pixels each way of the small bitmap a paint composes in, one tile at a time.
inline constexpr int kPaintTile = 256;

// A top-down 32 bpp DIB section selected into a new memory DC.
struct MemoryBitmap {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ initial = nullptr;
    std::uint32_t* bits = nullptr;
};

class Face final : private PixelStores {
public:
    Face() = default;
    ~Face() override;
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    // Makes the face width x height pixels, keeping what was drawn at its top-left; new parts get
    // back (ResizeFaceStore: the face may come out smaller where memory is short). False if not
    // even a 1 x 1 face could be made; the old face then stays.
    bool Resize(int width, int height, Color back);
    // The memory device context that holds the face.
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixel at (x, y) as 0x00BBGGRR; 0xFFFFFFFF outside the face.
    Color Pixel(int x, int y) const;
    // Copies a rectangle of a layout face onto this device face, each layout pixel filling the
    // device pixels between its edges' device positions, so that neighbours tile without gaps.
    void Enlarge(const Face& layout, const DisplayScale& scale, const PixelRect& area);

private:
    bool MakeStore(StoreSize size) override;
    PixelImage Made() override;
    PixelImage Held() override;
    void UseMade() override;

    MemoryBitmap made_;  // a store just made, not yet in use
    StoreSize madeSize_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ initial_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;  // the face: the store's top-left part
    int storeWidth_ = 0, storeHeight_ = 0;
};

// Creates a memory bitmap of the given size; throws a Failure naming what failed.
MemoryBitmap NewMemoryBitmap(int width, int height);
// Creates a memory bitmap of the given size; false (and nothing made) if the system refuses.
bool TryMemoryBitmap(int width, int height, MemoryBitmap* bitmap);
// Releases a memory bitmap made by NewMemoryBitmap.
void FreeMemoryBitmap(MemoryBitmap& bitmap);

}  // namespace tarvik::win32
