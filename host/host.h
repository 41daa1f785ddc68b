// The one interface between the window logic and the platform.
//
// Commands go from the core to the host (class Host); events come from the host to the
// core (class FormEvents, every method named On...). Lengths are twips in single precision
// unless a name says pixels. Any command may fail: it then throws tarvik::Failure, whose
// message names the backend and what failed.
#pragma once

#include <cstdint>
#include <string>

#include "host/types.h"

namespace tarvik {

// How Line draws between its two corners.
enum class LineKind : int { Line, Box, BoxFill };

// Mouse arguments as an event procedure receives them; x and y are twips in the target.
struct MouseArgs {
    int button = 0;
    int shift = 0;
    float x = 0;
    float y = 0;
};

// Events the host raises on the core, one at a time on the user-interface thread.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    // The window and its elements exist, hidden; raised once.
    virtual void OnLoad() = 0;
    // The window's size or state changed (or it was first shown); completes before the change returns.
    virtual void OnResize() = 0;
    // The pointer moved over the bare window face.
    virtual void OnFormMouseMove(const MouseArgs& args) = 0;
    // A mouse button went down on a visible element.
    virtual void OnMouseDown(Elem elem, const MouseArgs& args) = 0;
    // The pointer moved over a visible element, or anywhere while that element holds the capture.
    virtual void OnMouseMove(Elem elem, const MouseArgs& args) = 0;
    // A mouse button pressed on the element was released.
    virtual void OnMouseUp(Elem elem, const MouseArgs& args) = 0;
    // A press and release of the left button on the same element.
    virtual void OnClick(Elem elem) = 0;
    // The second left press of a double-click on an element that handles it (instead of its OnMouseDown).
    virtual void OnDblClick(Elem elem) = 0;
    // The system changed the window's state on its own (system menu, keyboard, taskbar, window
    // manager); raised after that change's Resize, never for the core's own SetWindowState.
    virtual void OnWindowStateChanged() = 0;
    // Whether the element has a DblClick procedure: only such an element gets double-clicks.
    virtual bool HandlesDblClick(Elem elem) const = 0;
};

// Everything the core asks of the window system. Pure virtual: a backend that misses one fails to compile.
class Host {
public:
    virtual ~Host() = default;

    // --- The window -----------------------------------------------------------------------
    // Outer left edge on the screen.
    virtual float Left() = 0;
    // Outer top edge on the screen.
    virtual float Top() = 0;
    // Outer width.
    virtual float Width() = 0;
    // Outer height.
    virtual float Height() = 0;
    // Sets the outer width; a change raises OnResize before returning; may be refused.
    virtual void SetWidth(float width) = 0;
    // Sets the outer height; a change raises OnResize before returning; may be refused.
    virtual void SetHeight(float height) = 0;
    // Moves the outer top-left corner; never raises OnResize.
    virtual void Move(float left, float top) = 0;
    // 0 normal, 1 minimized, 2 maximized.
    virtual int WindowState() = 0;
    // Changes the state; raises OnResize before returning.
    virtual void SetWindowState(int state) = 0;
    // The window's platform handle.
    virtual HWND hWnd() = 0;
    // The window's caption text (UTF-8).
    virtual std::string Caption() = 0;
    // The face's back colour.
    virtual Color BackColor() = 0;
    // The colour Print and Line use next.
    virtual void SetForeColor(Color color) = 0;
    // Where Print puts the text's left edge.
    virtual void SetCurrentX(float x) = 0;
    // Where Print puts the text's top edge.
    virtual void SetCurrentY(float y) = 0;
    // Draws a line, box or filled box between two corners on the face in the given colour.
    virtual void Line(float x1, float y1, float x2, float y2, Color color, LineKind kind) = 0;
    // Copies a source rectangle of a picture, scaled, opaque, onto a destination rectangle of the face.
    virtual void PaintPicture(Picture picture, float dx, float dy, float dw, float dh,
                              float sx, float sy, float sw, float sh) = 0;
    // Draws text with the window's font in ForeColor, top-left at CurrentX, CurrentY, no background.
    virtual void Print(const std::string& text) = 0;

    // --- Elements -------------------------------------------------------------------------
    // The element's left edge on the face.
    virtual float ElemLeft(Elem elem) = 0;
    // The element's top edge on the face.
    virtual float ElemTop(Elem elem) = 0;
    // The element's width.
    virtual float ElemWidth(Elem elem) = 0;
    // The element's height.
    virtual float ElemHeight(Elem elem) = 0;
    // Moves the element's left edge.
    virtual void SetElemLeft(Elem elem, float left) = 0;
    // Moves the element's top edge.
    virtual void SetElemTop(Elem elem, float top) = 0;
    // Sets the element's width; a negative width is refused and the old one stays.
    virtual void SetElemWidth(Elem elem, float width) = 0;
    // Sets the element's height; a negative height is refused and the old one stays.
    virtual void SetElemHeight(Elem elem, float height) = 0;
    // Shows or hides the element; a hidden element receives no mouse events.
    virtual void SetVisible(Elem elem, bool visible) = 0;
    // Sets the text shown when the pointer rests on the element.
    virtual void SetToolTipText(Elem elem, const std::string& text) = 0;
    // The picture the element holds.
    virtual Picture GetPicture(Elem elem) = 0;
    // Shows the picture on the element at its natural size (None: draws nothing).
    virtual void SetPicture(Elem elem, Picture picture) = 0;
    // The element's Tag text.
    virtual std::string Tag(Elem elem) = 0;
    // Sets the element's Tag text.
    virtual void SetTag(Elem elem, const std::string& tag) = 0;

    // --- The runtime ----------------------------------------------------------------------
    // An empty picture.
    virtual Picture LoadPicture() = 0;
    // The screen's width in twips.
    virtual float ScreenWidth() = 0;
    // The screen's height in twips.
    virtual float ScreenHeight() = 0;
    // Closes the window; with it the program ends once the current event returns.
    virtual void Unload() = 0;

    // --- user32 and gdi32, pixels ---------------------------------------------------------
    // The pointer's screen position.
    virtual int GetCursorPos(POINT* point) = 0;
    // Ends the pointer capture.
    virtual int ReleaseCapture() = 0;
    // Sends a window message; (hWnd, 0xA1, 2, 0) starts the system's move of the window.
    virtual std::intptr_t SendMessageA(HWND hwnd, unsigned msg, std::uintptr_t wparam,
                                       std::intptr_t lparam) = 0;
    // A rectangle region covering x1 <= x < x2, y1 <= y < y2; 0 on failure.
    virtual HRGN CreateRectRgn(int x1, int y1, int x2, int y2) = 0;
    // The ellipse region inscribed in the box; 0 on failure.
    virtual HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2) = 0;
    // dst = src1 combined with src2 by mode (RGN_OR); 0 on failure.
    virtual int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) = 0;
    // Gives the region to the window (which then owns it) and redraws if asked; 0 on failure.
    virtual int SetWindowRgn(HWND hwnd, HRGN region, int redraw) = 0;
    // Releases a region the program still owns; 0 on failure.
    virtual int DeleteObject(HRGN region) = 0;
};

}  // namespace tarvik
