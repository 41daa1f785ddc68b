#include "host/win32/face.h"

#include <algorithm>

namespace tarvik::win32 {

MemoryBitmap NewMemoryBitmap(int width, int height) {
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
    if (!m.bitmap) throw Failure("win32: CreateDIBSection failed" + LastError());
    m.dc = CreateCompatibleDC(nullptr);
    if (!m.dc) {
        ::DeleteObject(m.bitmap);
        throw Failure("win32: CreateCompatibleDC failed" + LastError());
    }
    m.initial = SelectObject(m.dc, m.bitmap);
    m.bits = static_cast<std::uint32_t*>(bits);
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

void Face::Resize(int width, int height, Color back) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (dc_ && width == width_ && height == height_) return;
    MemoryBitmap next = NewMemoryBitmap(width, height);
    HBRUSH brush = CreateSolidBrush(back);
    RECT all{0, 0, width, height};
    FillRect(next.dc, &all, brush);
    ::DeleteObject(brush);
    if (dc_) BitBlt(next.dc, 0, 0, std::min(width, width_), std::min(height, height_), dc_, 0, 0, SRCCOPY);
    MemoryBitmap old{dc_, bitmap_, initial_, bits_};
    FreeMemoryBitmap(old);
    dc_ = next.dc;
    bitmap_ = next.bitmap;
    initial_ = next.initial;
    bits_ = next.bits;
    width_ = width;
    height_ = height;
}

Color Face::Pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFFu;
    GdiFlush();
    const std::uint32_t p = bits_[static_cast<std::size_t>(y) * width_ + x];  // 0x00RRGGBB in memory order B, G, R
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

}  // namespace tarvik::win32
