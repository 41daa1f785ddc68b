#include "tests/win32/support.h"

#include <cassert>

#include "assets/embedded.h"
#include "host/twips.h"

namespace tarvik::test {

namespace {

constexpr int kQuietMs = 50;

void Dispatch() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // an ended program's quit: the tests go on
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Send(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
}

}  // namespace

Program::Program() : host(Form1Design(), GetModuleHandleW(nullptr)), form(host) {
    host.QuietFailures();
    host.Attach(&form);
    host.Start();
    UpdateWindow(host.Window());
    PumpIdle();
}

Program::~Program() { PumpIdle(); }

RECT Program::Rect() const {
    RECT r{};
    GetWindowRect(host.Window(), &r);
    return r;
}

::POINT Program::Screen(int x, int y) const {
    ::POINT p{x, y};
    ClientToScreen(host.Window(), &p);
    return p;
}

PixelRect Program::ElemPixels(Elem elem) const {
    const ElementState& e = host.Elements()[static_cast<std::size_t>(elem)];
    return TwipsRectToPixels(e.left, e.top, e.width, e.height);
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        Dispatch();
        if (condition()) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpIdle() {
    DWORD quietSince = GetTickCount();
    for (;;) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            Dispatch();
            quietSince = GetTickCount();
            continue;
        }
        if (GetTickCount() - quietSince > static_cast<DWORD>(kQuietMs)) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void MoveMouse(int x, int y) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    // Absolute input is in 1/65536 of the screen; aim at the pixel's middle.
    Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, static_cast<LONG>((x * 65536LL + 32768) / w),
         static_cast<LONG>((y * 65536LL + 32768) / h));
    PumpUntil([&] {
        ::POINT p{};
        ::GetCursorPos(&p);
        return p.x == x && p.y == y;
    });
    PumpIdle();
}

void PressLeft() {
    Send(MOUSEEVENTF_LEFTDOWN);
    PumpUntil([] { return GetAsyncKeyState(VK_LBUTTON) < 0; });
    PumpIdle();
}

void ReleaseLeft() {
    Send(MOUSEEVENTF_LEFTUP);
    PumpUntil([] { return GetAsyncKeyState(VK_LBUTTON) >= 0; });
    PumpIdle();
}

Color BmpPixel(Picture picture, int x, int y) {
    const AssetBytes bytes = EmbeddedAsset(static_cast<int>(picture));
    const unsigned char* p = bytes.data;
    assert(p[0] == 'B' && p[1] == 'M' && "picture is not a BMP");
    const auto read32 = [](const unsigned char* q) { return q[0] | (q[1] << 8) | (q[2] << 16) | (q[3] << 24); };
    const int width = read32(p + 18), height = read32(p + 22), offset = read32(p + 10);
    assert((p[28] | (p[29] << 8)) == 24 && "picture is not 24-bit");
    const int stride = (width * 3 + 3) / 4 * 4;
    const unsigned char* px = p + offset + static_cast<std::size_t>(stride) * (height - 1 - y) + x * 3;
    return Rgb(px[2], px[1], px[0]);
}

Color IcoPixel(Picture picture, int x, int y, bool* transparent) {
    const AssetBytes bytes = EmbeddedAsset(static_cast<int>(picture));
    const unsigned char* p = bytes.data;
    const auto read32 = [](const unsigned char* q) { return q[0] | (q[1] << 8) | (q[2] << 16) | (q[3] << 24); };
    assert(p[2] == 1 && p[4] == 1 && "picture is not an icon of one image");
    const unsigned char* header = p + read32(p + 18);
    const int width = read32(header + 4), height = read32(header + 8) / 2;
    assert((header[14] | (header[15] << 8)) == 24 && "icon is not 24-bit");
    const int stride = (width * 3 + 3) / 4 * 4, maskStride = (width + 31) / 32 * 4;
    const unsigned char* colors = header + read32(header);
    const unsigned char* px = colors + static_cast<std::size_t>(stride) * (height - 1 - y) + x * 3;
    const unsigned char* mask = colors + static_cast<std::size_t>(stride) * height + static_cast<std::size_t>(maskStride) * (height - 1 - y);
    *transparent = (mask[x / 8] & (0x80 >> (x % 8))) != 0;
    return Rgb(px[2], px[1], px[0]);
}

std::string Rect(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

RECT WorkArea() {
    RECT r{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

}  // namespace tarvik::test
