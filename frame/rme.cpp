// The window's outline: a rounded region rebuilt for the current size.
#include <cmath>
#include <cstdint>

#include "app/form1.h"
#include "host/twips.h"

namespace tarvik {

namespace {

// Rounds a pixel coordinate to the nearest integer, halves to even, as a signed 32-bit value.
int Px(float value) {
    const float r = std::nearbyint(value);  // the default rounding mode is to nearest, ties to even
    if (!(r >= -2147483648.0f && r < 2147483648.0f)) throw Failure("RMe: coordinate overflow");
    return static_cast<std::int32_t>(r);
}

}  // namespace

// Cuts the window to rounded corners: radius 26 top-left, top-right and bottom-left, 4.5 bottom-right.
// Each merged shape is released after its merge; the base goes to the window.
void Form1::RMe() {
    Host& h = host_;
    const float w = h.Width() / kTwipsPerPixel;
    const float hh = h.Height() / kTwipsPerPixel;
    const HRGN base = h.CreateRectRgn(0, 26, Px(w), Px(hh - 26));
    const auto merge = [&](HRGN shape) {
        h.CombineRgn(base, base, shape, RGN_OR);
        h.DeleteObject(shape);
    };
    merge(h.CreateRectRgn(23, 0, Px(w - 23), Px(hh)));
    merge(h.CreateRectRgn(23, 52, Px(w), Px(hh - 6)));
    merge(h.CreateRectRgn(52, 52, Px(w - 6), Px(hh)));
    merge(h.CreateEllipticRgn(0, 0, 52, 52));
    merge(h.CreateEllipticRgn(Px(w - 50), 0, Px(w + 1), 52));
    merge(h.CreateEllipticRgn(0, Px(hh - 52), 52, Px(hh)));
    merge(h.CreateEllipticRgn(Px(w - 9), Px(hh - 9), Px(w), Px(hh)));
    h.SetWindowRgn(h.hWnd(), base, -1);
}

}  // namespace tarvik
