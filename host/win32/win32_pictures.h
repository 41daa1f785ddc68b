// The embedded pictures as GDI bitmaps, decoded once, and drawing them onto a device context.
#pragma once

#include <array>

#include "host/win32/win32_api.h"

namespace tarvik::win32 {

class Pictures {
public:
    Pictures() = default;
    ~Pictures();
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    // The picture's natural size in pixels; false for Picture::None.
    bool Size(Picture picture, int* width, int* height);
    // Copies a source rectangle of the picture, scaled nearest-neighbour, onto a destination
    // rectangle of dc. An icon's transparent pixels (its AND mask) leave dc as it was.
    void Draw(HDC dc, Picture picture, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);

private:
    struct Decoded {
        HBITMAP color = nullptr;  // 32 bpp; black where the mask is transparent
        HBITMAP mask = nullptr;   // 1 bpp, white where transparent; none for a BMP
        int width = 0, height = 0;
    };
    const Decoded& Get(Picture picture);

    std::array<Decoded, 13> cache_{};
    HDC sourceDc_ = nullptr;
};

// The embedded window icon (A1) as an icon of size x size pixels: its image of that size, else
// its last one; null if it cannot be made.
HICON EmbeddedWindowIcon(int size);

}  // namespace tarvik::win32
