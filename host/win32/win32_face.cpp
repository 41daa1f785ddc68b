#include "host/win32/win32_face.h"

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
    MemoryBitmap m{dc_, bitmap_, initial_, bits_};
    FreeMemoryBitmap(m);
}

namespace {

// Fills a rectangle with the back colour; the stock DC brush allocates nothing, so it cannot fail.
void FillBack(HDC dc, Color back, int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1) return;
    SetDCBrushColor(dc, back);
    const RECT r{x1, y1, x2, y2};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

}  // namespace

bool Face::Resize(int width, int height, Color back) {
    width = std::clamp(width, 1, kMaxFaceSide);
    height = std::clamp(height, 1, kMaxFaceSide);
    if (dc_ && width == width_ && height == height_) return true;
    const StoreSize held{storeWidth_, storeHeight_};
    StoreSize store = FaceStore(held, width, height);
    if (dc_ && store == held) {
        // What a smaller face left in the store is not the face's: only the uncovered strips change.
        FillBack(dc_, back, width_, 0, width, height);
        FillBack(dc_, back, 0, height_, std::min(width, width_), height);
        width_ = width;
        height_ = height;
        return true;
    }
    MemoryBitmap next;
    while (!TryMemoryBitmap(store.width, store.height, &next)) {
        if (store.width > width || store.height > height) {
            store = {width, height};  // no room, then
            continue;
        }
        if (width == 1 && height == 1) return false;
        if (width >= height)
            width = std::max(1, width / 2);
        else
            height = std::max(1, height / 2);
        store = {width, height};
    }
    FillBack(next.dc, back, 0, 0, width, height);
    if (dc_) BitBlt(next.dc, 0, 0, std::min(width, width_), std::min(height, height_), dc_, 0, 0, SRCCOPY);
    MemoryBitmap old{dc_, bitmap_, initial_, bits_};
    FreeMemoryBitmap(old);
    dc_ = next.dc;
    bitmap_ = next.bitmap;
    initial_ = next.initial;
    bits_ = next.bits;
    width_ = width;
    height_ = height;
    storeWidth_ = store.width;
    storeHeight_ = store.height;
    return true;
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
