#include "host/backends/win32/win32_face.h"

#include <algorithm>
#include <string>

#include "host/runtime/face_store.h"

namespace tarvik::win32 {

bool TryMemoryBitmap(int width, int height, MemoryBitmap* bitmap) {
    MemoryBitmap m;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m.bitmap) return false;
    m.dc = CreateCompatibleDC(nullptr);
    if (!m.dc) {
        ::DeleteObject(m.bitmap);
        return false;
    }
    m.initial = SelectObject(m.dc, m.bitmap);
    m.bits = static_cast<std::uint32_t*>(bits);
    *bitmap = m;
    return true;
}

MemoryBitmap NewMemoryBitmap(int width, int height) {
    MemoryBitmap m;
    if (!TryMemoryBitmap(width, height, &m))
        throw Failure("win32: a " + std::to_string(width) + " x " + std::to_string(height) + " memory bitmap failed" +
                      LastError());
    return m;
}

void FreeMemoryBitmap(MemoryBitmap& m) {
    if (m.dc) {
        SelectObject(m.dc, m.initial);
        DeleteDC(m.dc);
    }
    if (m.bitmap) ::DeleteObject(m.bitmap);
    m = MemoryBitmap{};
}

Face::~Face() {
    FreeMemoryBitmap(made_);
    MemoryBitmap m{dc_, bitmap_, initial_, bits_};
    FreeMemoryBitmap(m);
}

bool Face::Resize(int width, int height, Color back) {
    const std::optional<FaceSize> face =
        ResizeFaceStore(*this, {storeWidth_, storeHeight_}, {dc_ ? width_ : 0, dc_ ? height_ : 0}, width, height, back);
    if (!face) return false;
    width_ = face->width;
    height_ = face->height;
    return true;
}

bool Face::MakeStore(StoreSize size) {
    FreeMemoryBitmap(made_);
    if (!TryMemoryBitmap(size.width, size.height, &made_)) return false;
    madeSize_ = size;
    return true;
}

// The bits are written straight: whatever GDI still holds back for them goes first.
PixelImage Face::Made() {
    GdiFlush();
    return {made_.bits, madeSize_.width, madeSize_.width, madeSize_.height};
}

PixelImage Face::Held() {
    GdiFlush();
    return {bits_, storeWidth_, storeWidth_, storeHeight_};
}

void Face::UseMade() {
    MemoryBitmap old{dc_, bitmap_, initial_, bits_};
    FreeMemoryBitmap(old);
    dc_ = made_.dc;
    bitmap_ = made_.bitmap;
    initial_ = made_.initial;
    bits_ = made_.bits;
    storeWidth_ = madeSize_.width;
    storeHeight_ = madeSize_.height;
    made_ = MemoryBitmap{};
}

Color Face::Pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFFu;
    GdiFlush();
    const std::uint32_t p = bits_[static_cast<std::size_t>(y) * storeWidth_ + x];  // 0x00RRGGBB in memory order B, G, R
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

void Face::Enlarge(const Face& layout, const DisplayScale& scale, const PixelRect& area) {
    if (!bits_ || !layout.bits_) return;
    GdiFlush();
    EnlargePixels({layout.bits_, layout.storeWidth_, layout.width_, layout.height_}, {bits_, storeWidth_, width_, height_},
                  area, scale);
}

}  // namespace tarvik::win32
