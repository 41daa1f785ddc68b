// The embedded pictures as GDI bitmaps, decoded once, and drawing them onto a device context.
#pragma once

#include <array>
#include <optional>
#include <cstdint>
#include <vector>

#include "host/runtime/display_scale.h"
#include "host/runtime/shown_pictures.h"

#include "host/backends/win32/win32_api.h"

namespace tarvik::win32 {

class Pictures {
public:
    Pictures() = default;
    ~Pictures();
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    // The picture's natural size in pixels; false for Picture::None.
    bool Size(Picture picture, int* width, int* height);
    // Every picture's natural size (decoding each once).
    const PictureSizes& Sizes();
    // Copies a source rectangle of the picture, scaled nearest-neighbour, onto a destination
    // rectangle of dc. An icon's transparent pixels (its AND mask) leave dc as it was.
    void Draw(HDC dc, Picture picture, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
    // Copies the picture's top-left w x h pixels, its top-left at layout pixel (x, y), onto a
    // 32 bpp top-down bitmap of width x height device pixels whose origin is device pixel
    // (originX, originY): each picture pixel fills the device pixels between its layout edges'
    // device positions, as the face is enlarged. Transparent icon pixels leave the bitmap as it was.
    void Enlarge(std::uint32_t* bits, int width, int height, int originX, int originY, Picture picture, int x, int y,
                 int w, int h, const DisplayScale& scale);

private:
    struct Decoded {
        HBITMAP color = nullptr;  // 32 bpp; black where the mask is transparent
        HBITMAP mask = nullptr;   // 1 bpp, white where transparent; none for a BMP
        int width = 0, height = 0;
        const std::uint32_t* bits = nullptr;  // the colour bitmap's pixels, top-down
        std::vector<bool> clear;              // per pixel, whether the mask makes it transparent
    };
    const Decoded& Get(Picture picture);

    std::array<Decoded, kPictureCount> cache_{};
    std::optional<PictureSizes> sizes_;
    HDC sourceDc_ = nullptr;
};

// The embedded window icon (A1) as an icon of size x size pixels: its image of that size, else
// its last one; null if it cannot be made.
HICON EmbeddedWindowIcon(int size);

}  // namespace tarvik::win32
