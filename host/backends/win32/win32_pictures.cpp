#include "host/backends/win32/win32_pictures.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "assets/bitmap_file.h"
#include "assets/embedded.h"

namespace tarvik::win32 {

namespace {

// A top-down 32 bpp DIB section of the given size; bits receives its pixels.
HBITMAP NewColorBitmap(int width, int height, std::uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap) throw Failure("win32: CreateDIBSection for a picture failed" + LastError());
    *bits = static_cast<std::uint32_t*>(pixels);
    return bitmap;
}

// Renders device-independent bits (any format GDI reads) into a new 32 bpp bitmap.
HBITMAP RenderDib(HDC dc, const BITMAPINFO* info, const void* bits, int width, int height, std::uint32_t** pixels) {
    HBITMAP bitmap = NewColorBitmap(width, height, pixels);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), bits, info, DIB_RGB_COLORS);
    SelectObject(dc, old);
    GdiFlush();
    return bitmap;
}

}  // namespace

Pictures::~Pictures() {
    for (Decoded& d : cache_) {
        if (d.color) ::DeleteObject(d.color);
        if (d.mask) ::DeleteObject(d.mask);
    }
    if (sourceDc_) DeleteDC(sourceDc_);
}

// Decodes a BMP, or the largest image of an ICO with its AND mask, on first use.
const Pictures::Decoded& Pictures::Get(Picture picture) {
    const int n = static_cast<int>(picture);
    assert(n >= 1 && n <= 12 && "no such picture");
    Decoded& d = cache_[static_cast<std::size_t>(n)];
    if (d.color) return d;
    if (!sourceDc_) {
        sourceDc_ = CreateCompatibleDC(nullptr);
        if (!sourceDc_) throw Failure("win32: CreateCompatibleDC for pictures failed" + LastError());
    }
    const AssetBytes asset = EmbeddedAsset(n);
    const bitmap::Bytes bytes(asset.data, asset.size);
    std::string error;
    const auto refuse = [&] { return Failure("win32: picture A" + std::to_string(n) + " cannot be read: " + error); };
    std::uint32_t* pixels = nullptr;
    if (bitmap::IsBmp(bytes)) {
        const auto bmp = bitmap::ReadBmp(bytes, &error);
        if (!bmp) throw refuse();
        d.width = bmp->dib.width;
        d.height = bmp->dib.height;
        d.color = RenderDib(sourceDc_, reinterpret_cast<const BITMAPINFO*>(bmp->dib.info), bmp->dib.bits, d.width,
                            d.height, &pixels);
        d.bits = pixels;
        return d;
    }
    // ICO: the largest image; its header gives twice the height (colour rows, then mask rows).
    const auto ico = bitmap::ReadIco(bytes, &error);
    if (!ico || ico->entries.empty()) throw refuse();
    const bitmap::IconEntry* best = &ico->entries[0];
    for (const bitmap::IconEntry& e : ico->entries)
        if (e.width > best->width) best = &e;
    const auto image = bitmap::ReadIconImage(best->image, &error);
    if (!image) throw refuse();
    d.width = image->width;
    d.height = image->height;
    std::vector<unsigned char> info(image->info, image->info + image->infoSize);
    const std::int32_t halfHeight = d.height;
    std::memcpy(info.data() + 8, &halfHeight, 4);
    d.color = RenderDib(sourceDc_, reinterpret_cast<const BITMAPINFO*>(info.data()), image->bits, d.width, d.height,
                        &pixels);
    // CreateBitmap wants top-down rows padded to 16 bits.
    const int monoStride = (d.width + 15) / 16 * 2;
    std::vector<unsigned char> mono(static_cast<std::size_t>(monoStride) * d.height, 0);
    d.bits = pixels;
    d.clear.assign(static_cast<std::size_t>(d.width) * d.height, false);
    for (int y = 0; y < d.height; ++y) {
        for (int x = 0; x < d.width; ++x) {
            if (!image->Clear(x, y)) continue;
            mono[static_cast<std::size_t>(monoStride) * y + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
            d.clear[static_cast<std::size_t>(y) * d.width + x] = true;
            pixels[static_cast<std::size_t>(y) * d.width + x] = 0;  // OR-ed onto the masked face: no change
        }
    }
    d.mask = CreateBitmap(d.width, d.height, 1, 1, mono.data());
    if (!d.mask) throw Failure("win32: CreateBitmap for an icon mask failed" + LastError());
    return d;
}

const PictureSizes& Pictures::Sizes() {
    if (!sizes_) {
        PictureSizes all{};
        for (int n = 1; n < kPictureCount; ++n) {
            PictureSize& size = all[static_cast<std::size_t>(n)];
            Size(static_cast<Picture>(n), &size.width, &size.height);
        }
        sizes_ = all;
    }
    return *sizes_;
}

bool Pictures::Size(Picture picture, int* width, int* height) {
    if (picture == Picture::None) return false;
    const Decoded& d = Get(picture);
    *width = d.width;
    *height = d.height;
    return true;
}

void Pictures::Draw(HDC dc, Picture picture, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    const Decoded& d = Get(picture);
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    if (d.mask) {
        // Mask bits 1 (transparent) become the background colour white, 0 the text colour black.
        const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(sourceDc_, d.mask);
        StretchBlt(dc, dx, dy, dw, dh, sourceDc_, sx, sy, sw, sh, SRCAND);
        SelectObject(sourceDc_, d.color);
        StretchBlt(dc, dx, dy, dw, dh, sourceDc_, sx, sy, sw, sh, SRCPAINT);
        SelectObject(sourceDc_, old);
        SetBkColor(dc, oldBk);
        SetTextColor(dc, oldText);
    } else {
        HGDIOBJ old = SelectObject(sourceDc_, d.color);
        StretchBlt(dc, dx, dy, dw, dh, sourceDc_, sx, sy, sw, sh, SRCCOPY);
        SelectObject(sourceDc_, old);
    }
    SetStretchBltMode(dc, oldMode);
}

void Pictures::Enlarge(std::uint32_t* bits, int width, int height, int originX, int originY, Picture picture, int x,
                       int y, int w, int h, const DisplayScale& scale) {
    const Decoded& d = Get(picture);
    w = std::min(w, d.width);
    h = std::min(h, d.height);
    const PixelRect all = scale.ToDevice(PixelRect{x, y, w, h});
    if (all.x - originX >= width || all.y - originY >= height || all.x + all.w <= originX || all.y + all.h <= originY)
        return;
    GdiFlush();
    for (int py = 0; py < h; ++py) {
        const int top = std::max(scale.ToDevice(y + py) - originY, 0);
        const int bottom = std::min(scale.ToDevice(y + py + 1) - originY, height);
        if (top >= bottom) continue;
        for (int px = 0; px < w; ++px) {
            const std::size_t at = static_cast<std::size_t>(py) * d.width + px;
            if (!d.clear.empty() && d.clear[at]) continue;
            const int left = std::max(scale.ToDevice(x + px) - originX, 0);
            const int right = std::min(scale.ToDevice(x + px + 1) - originX, width);
            for (int row = top; row < bottom; ++row)
                for (int column = left; column < right; ++column) bits[static_cast<std::size_t>(row) * width + column] = d.bits[at];
        }
    }
}

HICON EmbeddedWindowIcon(int size) {
    const AssetBytes asset = EmbeddedAsset(static_cast<int>(Picture::A1));
    const auto ico = bitmap::ReadIco({asset.data, asset.size}, nullptr);
    if (!ico || ico->entries.empty()) return nullptr;
    const bitmap::IconEntry* pick = &ico->entries.back();
    for (const bitmap::IconEntry& e : ico->entries)
        if (e.width == size) {
            pick = &e;
            break;
        }
    return CreateIconFromResourceEx(const_cast<BYTE*>(pick->image.data()), pick->size, TRUE, 0x00030000, size, size, 0);
}

}  // namespace tarvik::win32
