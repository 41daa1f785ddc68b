// A display scale: how many device pixels one layout pixel (15 twips) takes. The core and the
// runtime work in layout pixels; each backend maps them to its device pixels with this, so that
// every backend rounds alike and a scale-1 window is pixel for pixel what it always was.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "host/twips.h"

namespace tarvik {

class DisplayScale {
public:
    DisplayScale() = default;
    // A scale of factor device pixels per layout pixel (96 DPI = 1, 120 = 1.25, 144 = 1.5, 192 = 2).
    explicit DisplayScale(double factor) : factor_(factor > 0 && factor == factor ? factor : 1.0) {}
    // The scale of a display of dpi dots per inch.
    static DisplayScale FromDpi(int dpi) { return DisplayScale(dpi / kLayoutDpi); }

    double Factor() const { return factor_; }
    bool IsOne() const { return factor_ == 1.0; }

    // The device edge of a layout edge, whole or not (a window's place keeps its half pixels of
    // twips until here): the nearest one, halves up, held within the pixel limit. Rounded once,
    // so that it is within half a device pixel of the exact position.
    int ToDevice(double layout) const { return Held(std::floor(layout * factor_ + 0.5)); }
    // The layout pixel that holds a device pixel (pointer positions): the last one whose device
    // edge lies at or before it, so that it inverts ToDevice's edges at every scale.
    int ToLayout(int device) const { return Held(std::ceil((device + 0.5) / factor_) - 1); }
    // The layout length nearest to a device length (window sizes the system gives).
    int ToLayoutLength(int device) const { return Held(std::floor(device / factor_ + 0.5)); }
    // A layout rectangle in device pixels, each edge on its own, so that neighbours tile.
    PixelRect ToDevice(const PixelRect& r) const {
        const int x = ToDevice(r.x), y = ToDevice(r.y);
        return {x, y, ToDevice(r.x + r.w) - x, ToDevice(r.y + r.h) - y};
    }
    // The device edge of a twips position: twips to layout pixels (twips.h), then to the device.
    int TwipsToDevice(double twips) const { return ToDevice(TwipsToPixels(twips)); }
    // A twips rectangle in device pixels.
    PixelRect TwipsRectToDevice(double x, double y, double w, double h) const {
        return ToDevice(TwipsRectToPixels(x, y, w, h));
    }

private:
    static int Held(double pixels) {
        if (!(pixels == pixels)) return 0;
        if (pixels <= -kPixelLimit) return -kPixelLimit;
        if (pixels >= kPixelLimit) return kPixelLimit;
        return static_cast<int>(pixels);
    }

    double factor_ = 1.0;
};

// 32-bit pixels in rows stride pixels apart (a face or a bitmap of any backend).
struct PixelImage {
    std::uint32_t* pixels;
    std::ptrdiff_t stride;
    int width, height;
    std::uint32_t* Row(int y) const { return pixels + y * stride; }
};

// Copies a rectangle of a layout image onto a device image, each layout pixel filling the
// device pixels between its edges' device positions, so that neighbours tile without gaps.
void EnlargePixels(const PixelImage& layout, const PixelImage& device, const PixelRect& area, const DisplayScale& scale);

}  // namespace tarvik
