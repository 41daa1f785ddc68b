// Window commands: minimize, maximize or restore, and close.
#include "app/form1.h"

namespace tarvik {

namespace {

constexpr float kFaceCell = 240;
constexpr Color kFaceGround = 0x00FAFAFA;

}  // namespace

void Form1::Immin_Click() { host_.SetWindowState(kMinimized); }

// Maximizes a window that is not maximized and restores a maximized one.
void Form1::Immax_Click() {
    if (host_.WindowState() == kMaximized) {
        host_.SetWindowState(kNormal);  // the layout inside repaints the maximize glyph
        host_.SetVisible(Elem::Pbottom, true);
        host_.SetVisible(Elem::Pright, true);
        host_.SetToolTipText(Elem::Immax, "最大化");
    } else {
        host_.SetWindowState(kMaximized);
        host_.SetVisible(Elem::Pbottom, false);
        host_.SetVisible(Elem::Pright, false);
        PaintRestoreFace();
        host_.SetToolTipText(Elem::Immax, "还原");
    }
}

// Clears Immax's cell to the ground colour and paints the top-left 16 x 16 of the restore glyph.
void Form1::PaintRestoreFace() {
    const float left = host_.ElemLeft(Elem::Immax);
    const float top = host_.ElemTop(Elem::Immax);
    host_.Line(left, top, left + kFaceCell, top + kFaceCell, kFaceGround, LineKind::BoxFill);
    host_.PaintPicture(host_.GetPicture(Elem::IMus0), left, top, kFaceCell, kFaceCell, 0, 0, kFaceCell, kFaceCell);
}

void Form1::Imclose_Click() { host_.Unload(); }

}  // namespace tarvik
