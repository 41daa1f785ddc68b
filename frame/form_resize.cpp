// The frame: placing the elements against the edges and painting the face from the skin atlas.
#include "app/form1.h"

namespace tarvik {

namespace {

constexpr float kTitleBarReserve = 1100;
constexpr float kMinimizeOffset = 1095;
constexpr float kMaximizeOffset = 780;
constexpr float kCloseOffset = 465;
constexpr float kButtonTop = 120;
constexpr float kGripReserve = 240;
constexpr Color kCaptionShadow = 0x00C1A997;
constexpr Color kCaptionColor = 0x00A9601F;

}  // namespace

// Lays out and repaints the whole frame for the current size, then cuts the outline.
// Continues on error: each statement reads what it needs afresh.
void Form1::Form_Resize() {
    Host& h = host_;
    Step([&] { h.SetElemWidth(Elem::IMBar, h.Width() - kTitleBarReserve); });
    Step([&] { h.SetElemTop(Elem::Immax, kButtonTop); });
    Step([&] { h.SetElemLeft(Elem::Immax, h.Width() - kMaximizeOffset); });
    Step([&] { h.SetElemTop(Elem::Immin, kButtonTop); });
    Step([&] { h.SetElemLeft(Elem::Immin, h.Width() - kMinimizeOffset); });
    Step([&] { h.SetElemTop(Elem::Imclose, kButtonTop); });
    Step([&] { h.SetElemLeft(Elem::Imclose, h.Width() - kCloseOffset); });
    Step([&] { h.SetElemTop(Elem::Pbottom, h.Height() - h.ElemHeight(Elem::Pbottom)); });
    Step([&] { h.SetElemWidth(Elem::Pbottom, h.Width() - kGripReserve); });
    Step([&] { h.SetElemLeft(Elem::Pright, h.Width() - h.ElemWidth(Elem::Pright)); });
    Step([&] { h.SetElemHeight(Elem::Pright, h.Height() - kGripReserve); });
    Step([&] { h.SetElemLeft(Elem::Pjiao, h.Width() - h.ElemWidth(Elem::Pjiao)); });
    Step([&] { h.SetElemTop(Elem::Pjiao, h.Height() - h.ElemHeight(Elem::Pjiao)); });

    Step([&] { h.Line(0, 0, h.Width(), h.Height(), h.BackColor(), LineKind::BoxFill); });
    // The bands are stretched across the whole width from 420 twips in; the part past the
    // right edge is clipped.
    Step([&] { h.PaintPicture(h.GetPicture(Elem::Pmain), 420, 0, h.Width(), 600, 420, 0, 120, 600); });
    Step([&] {
        h.PaintPicture(h.GetPicture(Elem::Pmain), 420, h.Height() - 600, h.Width(), 600, 420,
                       h.ElemHeight(Elem::Pmain) - 600, 120, 600);
    });
    Step([&] { h.PaintPicture(h.GetPicture(Elem::Pmain), 0, 0, 200, h.Height(), 0, 880, 200, 40); });
    Step([&] {
        h.PaintPicture(h.GetPicture(Elem::Pmain), h.Width() - 210, 0, 210, h.Height(),
                       h.ElemWidth(Elem::Pmain) - 210, 880, 210, 40);
    });
    Step([&] { h.PaintPicture(h.GetPicture(Elem::Pmain), 0, 0, 450, 600, 0, 0, 450, 600); });
    Step([&] {
        h.PaintPicture(h.GetPicture(Elem::Pmain), 0, h.Height() - 600, 450, 600, 0,
                       h.ElemHeight(Elem::Pmain) - 600, 450, 600);
    });
    Step([&] {
        h.PaintPicture(h.GetPicture(Elem::Pmain), h.Width() - 1665, 0, 1665, 435,
                       h.ElemWidth(Elem::Pmain) - 1665, 0, 1665, 435);
    });
    Step([&] {
        h.PaintPicture(h.GetPicture(Elem::Pmain), h.Width() - 1665, h.Height() - 525, 1665, 525,
                       h.ElemWidth(Elem::Pmain) - 1665, h.ElemHeight(Elem::Pmain) - 525, 1665, 525);
    });
    Step([&] { h.PaintPicture(h.GetPicture(Elem::Imico), 240, 100, 240, 240, 0, 0, 240, 240); });

    Step([&] { h.SetForeColor(kCaptionShadow); });
    Step([&] { h.SetCurrentX(530); });
    Step([&] { h.SetCurrentY(110); });
    Step([&] { h.Print(h.Caption()); });
    Step([&] { h.SetForeColor(kCaptionColor); });
    Step([&] { h.SetCurrentX(540); });
    Step([&] { h.SetCurrentY(120); });
    Step([&] { h.Print(h.Caption()); });

    Step([&] { RMe(); });
    // A maximized window keeps its restore face under Immax whenever the frame is repainted
    // (for instance when it comes back maximized from the taskbar).
    Step([&] {
        if (h.WindowState() == kMaximized) PaintRestoreFace();
    });
}

}  // namespace tarvik
