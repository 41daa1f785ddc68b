// The one conversion from twips to whole device pixels, used by every backend.
#pragma once

#include <cmath>

namespace tarvik {

inline constexpr float kTwipsPerPixel = 15.0f;

// A rectangle in whole device pixels.
struct PixelRect {
    int x, y, w, h;
};

// The pixel edge nearest to a twips position (halves round up).
inline int TwipsToPixels(double twips) {
    return static_cast<int>(std::floor(twips / kTwipsPerPixel + 0.5));
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
