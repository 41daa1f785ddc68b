// Caption buttons: hover and pressed looks, and the reset when the pointer reaches the bare face.
#include "app/form1.h"

namespace tarvik {

// Shows the pressed look; a press never touches the Tag marker.
void Form1::ButtonDown(Elem button, Elem pressed) { host_.SetPicture(button, host_.GetPicture(pressed)); }

// Shows the hover look once per entry: only while the marker is clear.
void Form1::ButtonMove(Elem button, Elem hover) {
    if (host_.Tag(button) == "") {
        host_.SetPicture(button, host_.GetPicture(hover));
        host_.SetTag(button, "1");
    }
}

// Back to rest: no picture, marker clear.
void Form1::ButtonUp(Elem button) {
    host_.SetPicture(button, host_.LoadPicture());
    host_.SetTag(button, "");
}

void Form1::Immin_MouseDown() { ButtonDown(Elem::Immin, Elem::ImMin2); }
void Form1::Immin_MouseMove() { ButtonMove(Elem::Immin, Elem::ImMin1); }
void Form1::Immin_MouseUp() { ButtonUp(Elem::Immin); }
void Form1::Imclose_MouseDown() { ButtonDown(Elem::Imclose, Elem::ImClose2); }
void Form1::Imclose_MouseMove() { ButtonMove(Elem::Imclose, Elem::ImClose1); }
void Form1::Imclose_MouseUp() { ButtonUp(Elem::Imclose); }

// Pressed look by the window state at the moment of the press.
void Form1::Immax_MouseDown() {
    if (host_.WindowState() == kNormal) host_.SetPicture(Elem::Immax, host_.GetPicture(Elem::Immax2));
    if (host_.WindowState() == kMaximized) host_.SetPicture(Elem::Immax, host_.GetPicture(Elem::IMus2));
}

// Hover look by the window state; the marker is set whatever the state.
void Form1::Immax_MouseMove() {
    if (host_.Tag(Elem::Immax) == "") {
        if (host_.WindowState() == kNormal) host_.SetPicture(Elem::Immax, host_.GetPicture(Elem::Immax1));
        if (host_.WindowState() == kMaximized) host_.SetPicture(Elem::Immax, host_.GetPicture(Elem::IMus1));
        host_.SetTag(Elem::Immax, "1");
    }
}

void Form1::Immax_MouseUp() { ButtonUp(Elem::Immax); }

// Puts every marked caption button back at rest.
void Form1::Form_MouseMove() {
    for (Elem button : {Elem::Imclose, Elem::Immin, Elem::Immax}) {
        if (host_.Tag(button) != "") {
            host_.SetPicture(button, host_.LoadPicture());
            host_.SetTag(button, "");
        }
    }
}

}  // namespace tarvik
