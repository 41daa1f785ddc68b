// Helpers for the in-process tests: the real program on the real window, message pumping
// with timeouts, real mouse input, and the embedded pictures' pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/form1.h"
#include "host/twips.h"
#include "host/backends/win32/win32_host.h"

namespace tarvik::test {

// Form1 on a Win32 host, started (Load, first show) with its first frame painted.
struct Program {
    Program();
    ~Program();
    win32::Win32Host host;
    Form1 form;
    // The window's outer rectangle on the screen, in pixels.
    RECT Rect() const;
    // A face pixel as a screen point.
    ::POINT Screen(int x, int y) const;
    // An element's rectangle in face pixels.
    PixelRect ElemPixels(Elem elem) const;
};

// Dispatches pending messages until the condition holds or the time runs out; true if it held.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 3000);
// Dispatches every message now pending, and those that arrive within a short quiet period.
void PumpIdle();

// Real input through SendInput; each waits until the system has taken it.
void MoveMouse(int screenX, int screenY);
void PressLeft();
void ReleaseLeft();

// The colour of picture n's pixel (x, y) as 0x00BBGGRR, read straight from the embedded BMP bytes.
Color BmpPixel(Picture picture, int x, int y);

// The colour of an icon picture's pixel (x, y) and whether its AND mask makes it transparent.
Color IcoPixel(Picture picture, int x, int y, bool* transparent);

// Where the face at (x, y) first differs from the w x h area of picture at (sx, sy), as "at x,y
// want ... got ..."; "" if the face shows the area exactly.
std::string FirstPictureDifference(const Program& p, int x, int y, Picture picture, int sx, int sy, int w, int h);

// A colour as "0xBBGGRR", for messages.
std::string Hex(Color c);

// The desktop's work area.
RECT WorkArea();

// A rectangle as "(left, top, right, bottom)", for messages.
std::string Rect(const RECT& r);

}  // namespace tarvik::test
