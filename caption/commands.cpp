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
        ShowNormalLook();
    } else {
        host_.SetWindowState(kMaximized);
        ShowMaximizedLook();
    }
}

// Both edge grips back, and the tooltip names the maximize that the next click makes.
void Form1::ShowNormalLook() {
    host_.SetVisible(Elem::Pbottom, true);
    host_.SetVisible(Elem::Pright, true);
    host_.SetToolTipText(Elem::Immax, "最大化");
}

// No edge grips, the restore face under the button, and the tooltip names the restore.
void Form1::ShowMaximizedLook() {
    host_.SetVisible(Elem::Pbottom, false);
    host_.SetVisible(Elem::Pright, false);
    PaintRestoreFace();
    host_.SetToolTipText(Elem::Immax, "还原");
}

// One look for one state, whoever changed it. A minimized window keeps the look it had, as
// after the minimize command.
void Form1::FollowWindowState() {
    const int state = host_.WindowState();
    if (state == kMaximized) ShowMaximizedLook();
    if (state == kNormal) ShowNormalLook();
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
