// The resize grips: the bottom edge, the right edge and the bottom-right corner follow the pointer.
#include <cstdint>
#include <limits>

#include "app/form1.h"
#include "host/design.h"
#include "host/twips.h"

namespace tarvik {

namespace {

constexpr double kMinHeight = kGripMinHeightTwips;  // a new height is applied only above this
constexpr double kMinWidth = kGripMinWidthTwips;    // a new width is applied only above this

// Pointer pixels as twips, as a checked signed 32-bit product.
double PointerTwips(std::int32_t pixels) {
    const std::int64_t product = static_cast<std::int64_t>(pixels) * static_cast<std::int64_t>(kTwipsPerPixel);
    if (product > std::numeric_limits<std::int32_t>::max() || product < std::numeric_limits<std::int32_t>::min())
        throw Failure("grip: pointer position overflows");
    return static_cast<double>(product);
}

}  // namespace

void Form1::Pbottom_MouseDown() { host_.SetTag(Elem::Pbottom, "1"); }
void Form1::Pbottom_MouseUp() { host_.SetTag(Elem::Pbottom, ""); }
void Form1::Pbottom_MouseMove() { GripMove(Elem::Pbottom, false, true); }
void Form1::Pright_MouseDown() { host_.SetTag(Elem::Pright, "1"); }
void Form1::Pright_MouseUp() { host_.SetTag(Elem::Pright, ""); }
void Form1::Pright_MouseMove() { GripMove(Elem::Pright, true, false); }
void Form1::Pjiao_MouseDown() { host_.SetTag(Elem::Pjiao, "1"); }
void Form1::Pjiao_MouseUp() { host_.SetTag(Elem::Pjiao, ""); }
void Form1::Pjiao_MouseMove() { GripMove(Elem::Pjiao, true, true); }

// While armed, moves the right and/or bottom edge to the pointer; width first. Continues on error.
void Form1::GripMove(Elem grip, bool width, bool height) {
    bool armed = false;
    Step([&] { armed = host_.Tag(grip) != ""; });
    if (!armed) return;
    POINT p{0, 0};
    Step([&] { host_.GetCursorPos(&p); });
    // Both values are computed before either is set; a failed computation leaves its dimension alone.
    bool haveWidth = false, haveHeight = false;
    double newWidth = 0, newHeight = 0;
    if (width) Step([&] {
        newWidth = PointerTwips(p.x) - host_.Left();
        haveWidth = true;
    });
    if (height) Step([&] {
        newHeight = PointerTwips(p.y) - host_.Top();
        haveHeight = true;
    });
    if (haveWidth) Step([&] {
        if (newWidth > kMinWidth) host_.SetWidth(static_cast<float>(newWidth));
    });
    if (haveHeight) Step([&] {
        if (newHeight > kMinHeight) host_.SetHeight(static_cast<float>(newHeight));
    });
}

}  // namespace tarvik
