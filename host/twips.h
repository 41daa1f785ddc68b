// Twips and pixels: the one scale between them (the core's outline and grips use it too) and
// the one rounding of twips to whole pixels that every backend uses.
#pragma once

#include <cmath>

namespace tarvik {

inline constexpr float kTwipsPerPixel = 15.0f;
// The layout's dots per inch: 1440 twips an inch at 15 twips a pixel (fonts are sized for it).
inline constexpr double kLayoutDpi = 1440.0 / kTwipsPerPixel;
// A window's face holds at most this many pixels each way (enough for an 8K screen); a larger
// window shows the back colour beyond it, so that no size can ask for unbounded memory.
inline constexpr int kMaxFaceSide = 8192;

// Pixel edges are held within +-kPixelLimit, so that a width (right - left) and an edge plus a
// width stay within int: no conversion or sum overflows, whatever a window or pointer holds.
inline constexpr int kPixelLimit = (1 << 30) - 1;

// A rectangle in whole device pixels.
struct PixelRect {
    int x, y, w, h;
};

// The pixel edge nearest to a twips position (halves round up), held within +-kPixelLimit; NaN gives 0.
inline int TwipsToPixels(double twips) {
    const double pixels = std::floor(twips / kTwipsPerPixel + 0.5);
    if (!(pixels == pixels)) return 0;
    if (pixels <= -kPixelLimit) return -kPixelLimit;
    if (pixels >= kPixelLimit) return kPixelLimit;
    return static_cast<int>(pixels);
}

// A twips rectangle in pixels: each edge rounded on its own, so that neighbours tile without gaps.
inline PixelRect TwipsRectToPixels(double x, double y, double w, double h) {
    const int left = TwipsToPixels(x);
    const int top = TwipsToPixels(y);
    return {left, top, TwipsToPixels(x + w) - left, TwipsToPixels(y + h) - top};
}

// Pixels as twips.
inline float PixelsToTwips(int pixels) { return static_cast<float>(pixels) * kTwipsPerPixel; }

}  // namespace tarvik
