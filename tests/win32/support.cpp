#include "tests/win32/support.h"

#include <cstdio>
#include <stdexcept>

#include "assets/bitmap_file.h"
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

namespace {

// Picture n's bytes as the reader sees them.
bitmap::Bytes PictureBytes(Picture picture) {
    const AssetBytes asset = EmbeddedAsset(static_cast<int>(picture));
    return {asset.data, asset.size};
}

Color ToColor(const bitmap::Rgb& c) { return Rgb(c.r, c.g, c.b); }

}  // namespace

Color BmpPixel(Picture picture, int x, int y) {
    std::string error;
    const auto bmp = bitmap::ReadBmp(PictureBytes(picture), &error);
    if (!bmp) throw std::runtime_error("picture A" + std::to_string(static_cast<int>(picture)) + ": " + error);
    return ToColor(bmp->dib.At(x, y));
}

Color IcoPixel(Picture picture, int x, int y, bool* transparent) {
    std::string error;
    const auto ico = bitmap::ReadIco(PictureBytes(picture), &error);
    const auto image = ico && ico->entries.size() == 1 ? bitmap::ReadIconImage(ico->entries[0].image, &error) : std::nullopt;
    if (!image) throw std::runtime_error("picture A" + std::to_string(static_cast<int>(picture)) + " is not an icon of one image " + error);
    *transparent = image->Clear(x, y);
    return ToColor(image->At(x, y));
}

std::string FirstPictureDifference(const Program& p, int x, int y, Picture picture, int sx, int sy, int w, int h) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const Color want = BmpPixel(picture, sx + i, sy + j), got = p.host.FacePixel(x + i, y + j);
            if (want != got)
                return "at " + std::to_string(x + i) + "," + std::to_string(y + j) + " want " + Hex(want) + " got " + Hex(got);
        }
    return "";
}

std::string Hex(Color c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%06X", static_cast<unsigned>(c));
    return buffer;
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
