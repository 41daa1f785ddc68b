#include "host/win32/win32_host.h"

#include <objbase.h>

#include <algorithm>
#include <cmath>

#include "assets/embedded.h"
#include "host/twips.h"

namespace tarvik::win32 {

namespace {

constexpr const char* kBackend = "win32";
constexpr const wchar_t* kClassName = L"TarvikForm1";
constexpr int kIconResource = 1;
constexpr double kScreenDpi = 96.0;

::HRGN ToRgn(tarvik::HRGN region) { return reinterpret_cast<::HRGN>(region); }
::HWND ToHwnd(tarvik::HWND hwnd) { return reinterpret_cast<::HWND>(hwnd); }

// The window icon at one size: from the executable's icon group, else from the embedded A1 bytes.
HICON LoadWindowIcon(HINSTANCE instance, int size) {
    if (HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, 0)))
        return icon;
    const AssetBytes ico = EmbeddedAsset(static_cast<int>(Picture::A1));
    const int count = ico.data[4] | (ico.data[5] << 8);
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = ico.data + 6 + 16 * i;
        const int width = e[0] ? e[0] : 256;
        if (width != size && i + 1 < count) continue;
        const DWORD bytes = e[8] | (e[9] << 8) | (e[10] << 16) | (DWORD(e[11]) << 24);
        const DWORD offset = e[12] | (e[13] << 8) | (e[14] << 16) | (DWORD(e[15]) << 24);
        return CreateIconFromResourceEx(const_cast<BYTE*>(ico.data + offset), bytes, TRUE, 0x00030000, size, size, 0);
    }
    return nullptr;
}

}  // namespace

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string LastError() { return " (error " + std::to_string(GetLastError()) + ")"; }

// --- Creation and the message loop -------------------------------------------------------

Win32Host::Win32Host(const FormDesign& design, HINSTANCE instance, CreationFault fault)
    : FormsRuntime(design, kBackend), instance_(instance), foreColor_(design.foreColor) {
    // The destructor does not run for a constructor that throws: what was made goes here, and
    // first the window, whose procedure would otherwise reach this half-made object.
    try {
        Create(fault);
    } catch (...) {
        Release();
        throw;
    }
}

void Win32Host::Create(CreationFault fault) {
    const FormDesign& design = Design();
    // Screen readers reach the window's accessible object through COM marshalling.
    comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    bigIcon_ = LoadWindowIcon(instance_, GetSystemMetrics(SM_CXICON));
    smallIcon_ = LoadWindowIcon(instance_, GetSystemMetrics(SM_CXSMICON));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Win32Host::WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = bigIcon_;
    wc.hIconSm = smallIcon_;
    wc.lpszClassName = kClassName;
    // A second host in the same process (the tests) finds the class already there.
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        Fail("RegisterClassExW failed" + LastError());

    const int width = TwipsToPixels(design.clientWidth), height = TwipsToPixels(design.clientHeight);
    font_ = CreateFontW(-static_cast<int>(std::lround(design.font.points * kScreenDpi / 72.0)), 0, 0, 0,
                        design.font.weight, FALSE, FALSE, FALSE, static_cast<DWORD>(design.font.charset),
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        Widen(design.font.face).c_str());
    if (!font_) Fail("CreateFontW failed" + LastError());
    if (!face_.Resize(width, height, design.backColor)) Fail("CreateDIBSection for the face failed" + LastError());
    paintTile_ = NewMemoryBitmap(kPaintTile, kPaintTile);
    // No border and no caption: the whole window is client area (WM_NCCALCSIZE), and its size is
    // the design's client size. WS_THICKFRAME declares it sizable, as a window that can be
    // maximized must be for a window manager (Wine turns a frame that cannot size into equal
    // minimum and maximum size hints) and for Windows' snap; no sizing border comes with it,
    // since every point of the window is client area (WM_NCHITTEST).
    hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, kClassName, Widen(design.caption).c_str(),
                            WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, 0, 0, width,
                            height, nullptr, nullptr, instance_, this);
    if (!hwnd_) Fail("CreateWindowExW failed" + LastError());
    // The grips alone size the window: the system menu offers no Size.
    DeleteMenu(GetSystemMenu(hwnd_, FALSE), SC_SIZE, MF_BYCOMMAND);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    GetWindowRect(hwnd_, &lastRestoredRect_);
    scratchRegion_ = ::CreateRectRgn(0, 0, 0, 0);
    if (!scratchRegion_ || fault == CreationFault::AfterWindow) Fail("CreateRectRgn failed" + LastError());
    tips_ = std::make_unique<ToolTips>(hwnd_);
    for (int i = 0; i < kElemCount; ++i) tips_->Sync(static_cast<Elem>(i), Elements()[static_cast<std::size_t>(i)]);
}

Win32Host::~Win32Host() { Release(); }

// Gives back the window and every system object the host made; safe on a half-made host.
void Win32Host::Release() {
    tips_.reset();
    if (hwnd_) {
        // No more messages reach this object while it goes.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        destroying_ = true;
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    FreeMemoryBitmap(paintTile_);
    if (scratchRegion_) ::DeleteObject(scratchRegion_);
    if (font_) ::DeleteObject(font_);
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (comReady_) CoUninitialize();
    comReady_ = false;
    scratchRegion_ = nullptr;
    font_ = nullptr;
    bigIcon_ = smallIcon_ = nullptr;
}

// The program has ended: the window goes, and with it the message loop (WM_DESTROY posts the quit).
void Win32Host::EndIfStopped() {
    if (Running() || !hwnd_ || destroying_ || depth_ > 0) return;
    destroying_ = true;
    DestroyWindow(hwnd_);
}

AccessibleWindow Win32Host::AccessibleView() const {
    RECT client{};
    if (hwnd_) GetClientRect(hwnd_, &client);
    return {Design().caption, client.right - client.left, client.bottom - client.top, !hwnd_ || IsIconic(hwnd_) != FALSE};
}

void Win32Host::ReportUnhandled(const UnhandledFailure& failure) {
    failureMessage_ = "Tarvik (" + std::string(kBackend) + "): unhandled failure in " + failure.what();
    if (quietFailures_) return;
    // The box pumps messages; the window must outlive it, so it counts as an event in progress.
    ++depth_;
    MessageBoxW(hwnd_, Widen(failureMessage_).c_str(), L"Tarvik", MB_OK | MB_ICONERROR);
    --depth_;
}

// --- Geometry and state --------------------------------------------------------------------

RECT Win32Host::OuterRect() const {
    if (IsIconic(hwnd_)) return lastRestoredRect_;
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
}

Win32Host::Shape Win32Host::CurrentShape() const {
    const RECT r = OuterRect();
    const int state = IsIconic(hwnd_) ? kMinimized : IsZoomed(hwnd_) ? kMaximized : kNormal;
    return {state, r.right - r.left, r.bottom - r.top};
}

float Win32Host::Left() {
    const RECT r = OuterRect();
    return setLeft_ && TwipsToPixels(*setLeft_) == r.left ? *setLeft_ : PixelsToTwips(r.left);
}

float Win32Host::Top() {
    const RECT r = OuterRect();
    return setTop_ && TwipsToPixels(*setTop_) == r.top ? *setTop_ : PixelsToTwips(r.top);
}

float Win32Host::Width() {
    const RECT r = OuterRect();
    return setWidth_ && TwipsToPixels(*setWidth_) == r.right - r.left ? *setWidth_ : PixelsToTwips(r.right - r.left);
}

float Win32Host::Height() {
    const RECT r = OuterRect();
    return setHeight_ && TwipsToPixels(*setHeight_) == r.bottom - r.top ? *setHeight_ : PixelsToTwips(r.bottom - r.top);
}

// The forms toolkit refuses to size or move a minimized or maximized window.
void Win32Host::CheckSizable(const char* what) const {
    if (IsIconic(hwnd_) || IsZoomed(hwnd_)) Fail(std::string("a minimized or maximized window cannot be ") + what);
}

void Win32Host::SetWindowPixels(int x, int y, int width, int height, UINT flags) {
    ownChange_ = true;
    const BOOL ok = SetWindowPos(hwnd_, nullptr, x, y, width, height, flags | SWP_NOZORDER | SWP_NOACTIVATE);
    ownChange_ = false;
    if (!ok) Fail("SetWindowPos failed" + LastError());
    if (!IsIconic(hwnd_)) GetWindowRect(hwnd_, &lastRestoredRect_);
}

// Follows a new size or state: the face keeps its drawing, and Resize runs before this returns;
// a new state is then reported to the runtime, which answers the system's own changes.
void Win32Host::SizeChanged(bool raise) {
    const int from = shape_.state;
    accessibility_.MarkChanged();
    shape_ = CurrentShape();
    if (shape_.state != kMinimized) face_.Resize(shape_.width, shape_.height, Design().backColor);
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (!raise) return;
    ++resizeCount_;
    RaiseResize();
    if (from >= 0) WindowStateChanged(from, shape_.state);
}

// Sets the outer size in twips; the window moves only when the pixel size changes.
void Win32Host::SetOuterSize(float width, float height) {
    CheckSizable("sized");
    if (!(width >= 0 && height >= 0)) Fail("refused window size " + std::to_string(width) + " x " + std::to_string(height));
    if (width == Width() && height == Height()) return;
    const RECT r = OuterRect();
    setWidth_ = width;
    setHeight_ = height;
    const int w = TwipsToPixels(width), h = TwipsToPixels(height);
    if (w != r.right - r.left || h != r.bottom - r.top) SetWindowPixels(0, 0, w, h, SWP_NOMOVE);
    SizeChanged(true);
}

void Win32Host::SetWidth(float width) { SetOuterSize(width, Height()); }
void Win32Host::SetHeight(float height) { SetOuterSize(Width(), height); }

void Win32Host::Move(float left, float top) {
    CheckSizable("moved");
    setLeft_ = left;
    setTop_ = top;
    SetWindowPixels(TwipsToPixels(left), TwipsToPixels(top), 0, 0, SWP_NOSIZE);
}

int Win32Host::WindowState() { return IsIconic(hwnd_) ? kMinimized : IsZoomed(hwnd_) ? kMaximized : kNormal; }

void Win32Host::ApplyWindowState(int state) {
    if (state < kNormal || state > kMaximized) Fail("invalid window state " + std::to_string(state));
    if (state == WindowState()) return;
    ownChange_ = true;
    ::ShowWindow(hwnd_, state == kMinimized ? SW_MINIMIZE : state == kMaximized ? SW_MAXIMIZE : SW_RESTORE);
    // A window minimized from maximized first comes back maximized; normal is one more step.
    if (state == kNormal && IsZoomed(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
    ownChange_ = false;
    if (!IsIconic(hwnd_)) GetWindowRect(hwnd_, &lastRestoredRect_);
    if (WindowState() != state) Fail("ShowWindow did not change the window state to " + std::to_string(state));
    SizeChanged(true);
}

void Win32Host::ShowWindow() {
    ownChange_ = true;
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    ownChange_ = false;
    shown_ = true;
    SizeChanged(true);
}

void Win32Host::Unload() {
    EndProgram(0);
    EndIfStopped();
}

tarvik::HWND Win32Host::hWnd() { return reinterpret_cast<tarvik::HWND>(hwnd_); }
std::string Win32Host::Caption() { return Design().caption; }
Color Win32Host::BackColor() { return Design().backColor; }
void Win32Host::SetForeColor(Color color) { foreColor_ = color; }
void Win32Host::SetCurrentX(float x) { currentX_ = x; }
void Win32Host::SetCurrentY(float y) { currentY_ = y; }
DoubleClickMetrics Win32Host::DoubleClickRule() const {
    return {GetDoubleClickTime(), GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK)};
}

float Win32Host::ScreenWidth() { return PixelsToTwips(GetSystemMetrics(SM_CXSCREEN)); }
float Win32Host::ScreenHeight() { return PixelsToTwips(GetSystemMetrics(SM_CYSCREEN)); }

// --- The platform calls, forwarded unchanged -------------------------------------------------

int Win32Host::GetCursorPos(tarvik::POINT* point) {
    ::POINT p{};
    if (!::GetCursorPos(&p)) return 0;
    point->x = p.x;
    point->y = p.y;
    return 1;
}

// The system's move of a window whose left button is already up would outlive the press: Wine
// hands it to the window manager, which then takes the next click, the second of a quick
// double-click. Such a move is not started (on Windows it would end at once all the same).
std::intptr_t Win32Host::SendMessageA(tarvik::HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
    if (msg == WM_NCLBUTTONDOWN && wparam == HTCAPTION && !LeftButtonHeld()) return 0;
    return ::SendMessageA(ToHwnd(hwnd), msg, wparam, lparam);
}

// Whether the left button is still down: no release waits in the queue (looking also takes in
// the input the system has not yet queued) and the button's state says so.
bool Win32Host::LeftButtonHeld() const {
    MSG pending;
    if (PeekMessageW(&pending, hwnd_, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE | PM_NOYIELD)) return false;
    const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(button) & 0x8000) != 0;
}

// The system menu at the window's top-left corner, as Alt+Space shows it; the chosen command
// goes to the window as the system's own would. Left to Wine, the keyboard's system menu draws
// the small icon on the face where a caption would hold it, and leaves it there.
// The system menu, items enabled for the state, at a screen point or else at the window's corner;
// the chosen command is posted as WM_SYSCOMMAND.
void Win32Host::ShowSystemMenu(std::optional<::POINT> at) {
    HMENU menu = GetSystemMenu(hwnd_, FALSE);
    if (!menu) return;
    const bool zoomed = IsZoomed(hwnd_) != FALSE, iconic = IsIconic(hwnd_) != FALSE;
    const auto enable = [&](UINT command, bool on) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(SC_RESTORE, zoomed || iconic);
    enable(SC_MOVE, !zoomed && !iconic);
    enable(SC_MINIMIZE, !iconic);
    enable(SC_MAXIMIZE, !zoomed);
    SetMenuDefaultItem(menu, SC_CLOSE, FALSE);
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const ::POINT p = at.value_or(::POINT{r.left, r.top});
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd_, nullptr));
    if (command) PostMessageW(hwnd_, WM_SYSCOMMAND, command, 0);
}

// A right click on the title bar: the system menu at the pointer.
void Win32Host::ShowWindowMenu(int x, int y) {
    ::POINT p{x, y};
    ClientToScreen(hwnd_, &p);
    ShowSystemMenu(p);
}

tarvik::HRGN Win32Host::CreateRectRgn(int x1, int y1, int x2, int y2) {
    return reinterpret_cast<tarvik::HRGN>(::CreateRectRgn(x1, y1, x2, y2));
}

tarvik::HRGN Win32Host::CreateEllipticRgn(int x1, int y1, int x2, int y2) {
    return reinterpret_cast<tarvik::HRGN>(::CreateEllipticRgn(x1, y1, x2, y2));
}

int Win32Host::CombineRgn(tarvik::HRGN dst, tarvik::HRGN src1, tarvik::HRGN src2, int mode) {
    return ::CombineRgn(ToRgn(dst), ToRgn(src1), ToRgn(src2), mode);
}

// A region the system refused stays the caller's: it is released here, or each refusal would
// leak one until the process runs out of GDI objects.
int Win32Host::SetWindowRgn(tarvik::HWND hwnd, tarvik::HRGN region, int redraw) {
    const int taken = ::SetWindowRgn(ToHwnd(hwnd), ToRgn(region), redraw);
    if (!taken && region) ::DeleteObject(ToRgn(region));
    return taken;
}

int Win32Host::DeleteObject(tarvik::HRGN region) { return ::DeleteObject(ToRgn(region)); }

}  // namespace tarvik::win32
