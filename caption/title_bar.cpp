// The title bar: a left press hands the drag to the system's move; a double-click maximizes or restores.
#include "app/form1.h"

namespace tarvik {

void Form1::IMBar_MouseDown(int button) {
    if (button != kLeftButton) return;
    host_.ReleaseCapture();
    const HWND hwnd = host_.hWnd();
    host_.SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void Form1::IMBar_DblClick() { Immax_Click(); }

}  // namespace tarvik
