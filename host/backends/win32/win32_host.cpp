#include "host/backends/win32/win32_host.h"

#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "assets/embedded.h"
#include "host/twips.h"

namespace tarvik::win32 {

namespace {

constexpr const char* kBackend = "win32";
constexpr const wchar_t* kClassName = L"TarvikForm1";
constexpr int kIconResource = 1;

::HWND ToHwnd(tarvik::HWND hwnd) { return reinterpret_cast<::HWND>(hwnd); }

// The window icon at one size: from the executable's icon group, else from the embedded A1 bytes.
HICON LoadWindowIcon(HINSTANCE instance, int size) {
    if (HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, 0)))
        return icon;
    return EmbeddedWindowIcon(size);
}

// A user32 function that older systems lack, or null there.
template <class F> F User32Function(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

// A system metric (a size in device pixels) for a DPI: GetSystemMetricsForDpi from Windows 10
// 1607 on; before that the system's own DPI is the only one.
int MetricForDpi(int metric, int dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    static const Fn forDpi = User32Function<Fn>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(metric, static_cast<UINT>(dpi)) : GetSystemMetrics(metric);
}

// The design's font with its point size at a DPI: the layout's 96, or the window's for sharp text.
HFONT NewFont(const FontDesign& font, int dpi) {
    return CreateFontW(-static_cast<int>(std::lround(font.points * dpi / 72.0)), 0, 0, 0, font.weight, FALSE, FALSE,
                       FALSE, static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Widen(font.face).c_str());
}

// The outline as a GDI region, cut to the window's width x height: at scales like 1.5 the
// layout's edge can lie a device pixel beyond the window's. Null if the system refuses one.
::HRGN GdiRegion(const Region& outline, int width, int height) {
    Region clipped = outline;
    clipped.Clip(width, height);
    const std::vector<PixelRect> boxes = clipped.Rectangles();
    const PixelRect bounds = clipped.Bounds();
    std::vector<unsigned char> bytes(sizeof(RGNDATAHEADER) + boxes.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(boxes.size());
    data->rdh.nRgnSize = static_cast<DWORD>(boxes.size() * sizeof(RECT));
    data->rdh.rcBound = {bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        rects[i] = {boxes[i].x, boxes[i].y, boxes[i].x + boxes[i].w, boxes[i].y + boxes[i].h};
    return ExtCreateRegion(nullptr, static_cast<DWORD>(bytes.size()), data);
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
    : FormsRuntime(design, kBackend), instance_(instance) {
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
    // The system's DPI until the window is there to say its own.
    dpi_ = WindowDpi();
    scale_ = DisplayScale::FromDpi(dpi_);
    LoadIcons(dpi_);
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
    font_ = NewFont(design.font, static_cast<int>(kLayoutDpi));
    if (!font_) Fail("CreateFontW failed" + LastError());
    if (!face_.Resize(width, height, design.backColor)) Fail("CreateDIBSection for the face failed" + LastError());
    paintTile_ = NewMemoryBitmap(kPaintTile, kPaintTile);
    // No border and no caption: the whole window is client area (WM_NCCALCSIZE), and its size is
    // the design's client size. WS_THICKFRAME declares it sizable, as a window that can be
    // maximized must be for a window manager (Wine turns a frame that cannot size into equal
    // minimum and maximum size hints) and for Windows' snap; no sizing border comes with it,
    // since every point of the window is client area (WM_NCHITTEST).
    hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, kClassName, Widen(design.caption).c_str(),
                            WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, 0, 0,
                            scale_.ToDevice(width), scale_.ToDevice(height), nullptr, nullptr, instance_, this);
    if (!hwnd_) Fail("CreateWindowExW failed" + LastError());
    // The window's own DPI (its monitor's) may differ from the system's.
    const int created = dpi_;
    ApplyDpi(WindowDpi());
    if (dpi_ != created)
        SetWindowPos(hwnd_, nullptr, 0, 0, scale_.ToDevice(width), scale_.ToDevice(height),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The grips alone size the window: the system menu offers no Size.
    DeleteMenu(GetSystemMenu(hwnd_, FALSE), SC_SIZE, MF_BYCOMMAND);
    FollowPlace();
    scratchRegion_ = ::CreateRectRgn(0, 0, 0, 0);
    if (!scratchRegion_ || fault == CreationFault::AfterWindow) Fail("CreateRectRgn failed" + LastError());
    tips_ = std::make_unique<ToolTips>(hwnd_);
    for (int i = 0; i < kElemCount; ++i)
        tips_->Sync(static_cast<Elem>(i), Elements()[static_cast<std::size_t>(i)], scale_);
}

// The DPI of the window's monitor: GetDpiForWindow where the system has it (Windows 10 1607
// on), else the screen's LOGPIXELSX (the system's DPI, the one a window has there).
int Win32Host::WindowDpi() const {
    using Fn = UINT(WINAPI*)(::HWND);
    static const Fn forWindow = User32Function<Fn>("GetDpiForWindow");
    if (forWindow && hwnd_)
        if (const UINT dpi = forWindow(hwnd_)) return static_cast<int>(dpi);
    int dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : static_cast<int>(kLayoutDpi);
}

// Takes a DPI for the window: its scale, the caption font at the scaled size, the icons at the
// system's sizes for it, the face at device resolution and the tooltips' rectangles. The
// window's size and the layout are the caller's.
void Win32Host::ApplyDpi(int dpi) {
    dpi_ = dpi;
    scale_ = DisplayScale::FromDpi(dpi);
    LoadIcons(dpi);
    if (deviceFont_) ::DeleteObject(deviceFont_);
    deviceFont_ = nullptr;
    if (!scale_.IsOne()) {
        deviceFont_ = NewFont(Design().font, dpi);
        if (!deviceFont_) Fail("CreateFontW at " + std::to_string(dpi) + " DPI failed" + LastError());
        deviceFace_.Resize(scale_.ToDevice(face_.Width()), scale_.ToDevice(face_.Height()), Design().backColor);
        deviceFace_.Enlarge(face_, scale_, {0, 0, face_.Width(), face_.Height()});
    }
    accessibility_.MarkChanged();
    if (tips_)
        for (int i = 0; i < kElemCount; ++i)
            tips_->Sync(static_cast<Elem>(i), Elements()[static_cast<std::size_t>(i)], scale_);
    for (int i = 0; i < kElemCount; ++i) pictureShown_[static_cast<std::size_t>(i)].rect = ShownRect(static_cast<Elem>(i));
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// The window icons at the system's sizes for the DPI; the ones they replace go once replaced.
void Win32Host::LoadIcons(int dpi) {
    if (!bigIcon_ || dpi != iconDpi_) {
        HICON big = LoadWindowIcon(instance_, MetricForDpi(SM_CXICON, dpi));
        HICON small = LoadWindowIcon(instance_, MetricForDpi(SM_CXSMICON, dpi));
        if (hwnd_) {
            // The class would otherwise keep pointing at the icons destroyed below.
            SetClassLongPtrW(hwnd_, GCLP_HICON, reinterpret_cast<LONG_PTR>(big));
            SetClassLongPtrW(hwnd_, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(small));
            SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
            SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
        }
        if (bigIcon_) DestroyIcon(bigIcon_);
        if (smallIcon_) DestroyIcon(smallIcon_);
        bigIcon_ = big;
        smallIcon_ = small;
        iconDpi_ = dpi;
        return;
    }
    if (!hwnd_) return;
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

// The window moved to a monitor of another DPI (or the user changed it): the suggested
// rectangle keeps its layout size, and everything is laid out and drawn again at the new scale.
void Win32Host::DpiChanged(int dpi, const RECT& suggested) {
    ApplyPending(true);  // asked for in device pixels of the old DPI
    ApplyDpi(dpi);
    {
        const Scope request = Request();
        SetWindowPixels(suggested.left, suggested.top, suggested.right - suggested.left,
                        suggested.bottom - suggested.top, 0);
    }
    WindowChanged();
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
    DiscardPending();
    if (scratchRegion_) ::DeleteObject(scratchRegion_);
    if (font_) ::DeleteObject(font_);
    if (deviceFont_) ::DeleteObject(deviceFont_);
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (comReady_) CoUninitialize();
    comReady_ = false;
    scratchRegion_ = nullptr;
    font_ = deviceFont_ = nullptr;
    bigIcon_ = smallIcon_ = nullptr;
}

// The program has ended: the window goes, and with it the message loop (WM_DESTROY posts the quit).
void Win32Host::CloseWindow() {
    if (!hwnd_ || destroying_) return;
    destroying_ = true;
    DestroyWindow(hwnd_);
}

// The box pumps messages; the window outlives it, since the runtime counts it as an event.
void Win32Host::ShowFailure(const std::string& message) {
    if (quietFailures_) return;
    ApplyPending(true);
    MessageBoxW(hwnd_, Widen(message).c_str(), L"Tarvik", MB_OK | MB_ICONERROR);
}

// --- Geometry and state --------------------------------------------------------------------

// The outer rectangle, with the size asked for in this event though not yet given to the system.
RECT Win32Host::OuterRect() const {
    if (IsIconic(hwnd_)) return restore_.BeforeMinimize();
    RECT r{};
    GetWindowRect(hwnd_, &r);
    if (pendingSize_) {
        r.right = r.left + pendingSize_->cx;
        r.bottom = r.top + pendingSize_->cy;
    }
    return r;
}

// In layout pixels: the device rectangle's edges at the nearest layout pixel, which gives back
// every edge that ToDevice made.
PixelRect Win32Host::WindowPixels() const {
    const RECT r = OuterRect();
    const int x = scale_.ToLayoutLength(r.left), y = scale_.ToLayoutLength(r.top);
    return {x, y, scale_.ToLayoutLength(r.right - r.left), scale_.ToLayoutLength(r.bottom - r.top)};
}

int Win32Host::PlatformState() const { return IsIconic(hwnd_) ? kMinimized : IsZoomed(hwnd_) ? kMaximized : kNormal; }

LayoutSize Win32Host::ScreenPixels() const {
    return {GetSystemMetrics(SM_CXSCREEN) / scale_.Factor(), GetSystemMetrics(SM_CYSCREEN) / scale_.Factor()};
}

void Win32Host::SetWindowPixels(int x, int y, int width, int height, UINT flags) {
    const BOOL ok = SetWindowPos(hwnd_, nullptr, x, y, width, height, flags | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!ok) Fail("SetWindowPos failed" + LastError());
    FollowPlace();
}

void Win32Host::FollowPlace() {
    RECT r{};
    if (GetWindowRect(hwnd_, &r)) restore_.Follow(PlatformState(), r);
}

// The window's new size or state, before its Resize: the face keeps its drawing, and all of
// the window is shown again.
bool Win32Host::ResizeFace(int width, int height) {
    accessibility_.MarkChanged();
    if (!face_.Resize(width, height, Design().backColor)) return false;
    if (!scale_.IsOne()) {
        // Form_Resize draws the whole face again, the text sharp; until then it shows enlarged.
        if (!deviceFace_.Resize(scale_.ToDevice(face_.Width()), scale_.ToDevice(face_.Height()), Design().backColor))
            return false;
        deviceFace_.Enlarge(face_, scale_, {0, 0, face_.Width(), face_.Height()});
    }
    // A size still to be given to the system is painted once given: a paint now would only
    // show the new face cut to the old window.
    if (!pendingSize_) InvalidateRect(hwnd_, nullptr, FALSE);
    wholeInvalid_ = true;
    return true;
}

// Inside an event the size waits for the event's end (ApplyPending); outside one (a caller of
// the host's own, such as a test) it is given to the system at once, and one still waiting
// is superseded.
void Win32Host::ResizeWindow(int width, int height) {
    const SIZE size{scale_.ToDevice(width), scale_.ToDevice(height)};
    if (InEvent()) {
        pendingSize_ = size;
        return;
    }
    pendingSize_.reset();
    SetWindowPixels(0, 0, size.cx, size.cy, SWP_NOMOVE);
}

// Gives the system the size and the outline that the events just handled asked for, the size
// first, once each; at most one size a frame unless forced, the rest waiting for the frame timer.
// Under Wine each size is a round trip through the window manager, which a pointer faster than
// the frame rate would flood, so that the window would trail the pointer by seconds.
void Win32Host::ApplyPending(bool force) {
    FlushOutline();  // the outline the event has cut so far goes with its size
    if (!pendingSize_ && !pendingRegion_) return;
    if (!hwnd_ || destroying_) {
        DiscardPending();
        return;
    }
    const DWORD now = GetTickCount();
    // The timer's deadline stays one frame after the last size, however often it is set again.
    if (!force && pendingSize_) {
        const DWORD frame = FrameMs();
        if (now - lastSizeTicks_ < frame && SetTimer(hwnd_, kFrameTimer, frame - (now - lastSizeTicks_), nullptr)) return;
    }
    KillTimer(hwnd_, kFrameTimer);
    const std::optional<SIZE> size = std::exchange(pendingSize_, std::nullopt);
    const std::optional<::HRGN> cut = std::exchange(pendingRegion_, std::nullopt);
    const Scope request = Request();
    // SetWindowRgn makes a SetWindowPos of its own, and under Wine each SetWindowPos sends the
    // window manager all of the window's hints and states again (a dozen messages): a size that
    // goes with an outline rides in the outline's (CarrySize), so that a frame costs one.
    if (size && cut) carriedSize_ = size;
    // The outline needs no redraw of its own while the whole window waits for its paint anyway.
    if (cut && !::SetWindowRgn(hwnd_, *cut, wholeInvalid_ ? FALSE : pendingRedraw_) && *cut) ::DeleteObject(*cut);
    carriedSize_.reset();
    // With no outline to ride in, or where the outline's change did not take it, the size goes alone.
    RECT got{};
    const bool carried = size && cut && GetWindowRect(hwnd_, &got) && got.right - got.left == size->cx &&
                         got.bottom - got.top == size->cy;
    const BOOL sized = !size || carried || SetWindowPos(hwnd_, nullptr, 0, 0, size->cx, size->cy, kSizeFlags);
    if (size) {
        lastSizeTicks_ = now;
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    if (size) FollowPlace();
    if (!sized) Fail("SetWindowPos failed" + LastError());
    // A paint waits for an empty queue, which a drag's moves seldom leave: the size is shown now.
    if (size) UpdateWindow(hwnd_);
}

// The refresh rate's frame, whole milliseconds, within what a timer can keep and a drag can bear.
DWORD FrameMsAt(DWORD hz) {
    constexpr DWORD kDefaultHz = 60, kMinMs = 4, kMaxMs = 33;
    return std::clamp<DWORD>(1000 / (hz > 1 ? hz : kDefaultHz), kMinMs, kMaxMs);
}

// Read again only when the window is on another monitor or the displays changed.
DWORD Win32Host::FrameMs() {
    const ::HMONITOR monitor = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
    if (monitor == frameMonitor_) return frameMs_;
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    const bool known = GetMonitorInfoW(monitor, &info) && EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode);
    frameMonitor_ = monitor;
    frameMs_ = FrameMsAt(known ? mode.dmDisplayFrequency : 0);
    return frameMs_;
}

// The outline's change keeps the window where it is and takes the size; the size is a change
// of the client area, and what it uncovers is drawn again.
void Win32Host::CarrySize(WINDOWPOS* pos) {
    constexpr UINT kNoClientSize = 0x0800;  // the system's own flag: the client area keeps its size
    if (!carriedSize_ || !(pos->flags & SWP_FRAMECHANGED) || !(pos->flags & SWP_NOSIZE)) return;
    pos->cx = carriedSize_->cx;
    pos->cy = carriedSize_->cy;
    pos->flags &= ~(SWP_NOSIZE | kNoClientSize | SWP_NOREDRAW);
    carriedSize_.reset();
}

// Forgets the size and outline that wait, releasing the outline: the window is going.
void Win32Host::DiscardPending() {
    if (pendingRegion_ && *pendingRegion_) ::DeleteObject(*pendingRegion_);
    pendingRegion_.reset();
    pendingSize_.reset();
}

void Win32Host::MoveWindow(double x, double y) { SetWindowPixels(scale_.ToDevice(x), scale_.ToDevice(y), 0, 0, SWP_NOSIZE); }

void Win32Host::ApplyWindowState(int state) {
    ApplyPending(true);
    ::ShowWindow(hwnd_, state == kMinimized ? SW_MINIMIZE : state == kMaximized ? SW_MAXIMIZE : SW_RESTORE);
    // A window minimized from maximized first comes back maximized; normal is one more step.
    if (state == kNormal && IsZoomed(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
    FollowPlace();
    if (PlatformState() != state) Fail("ShowWindow did not change the window state to " + std::to_string(state));
}

// Setting the timer again moves its deadline: one redraw after the last of several changes.
void Win32Host::RedrawLater() {
    if (hwnd_) SetTimer(hwnd_, kLateRedrawTimer, kLateRedrawMs, nullptr);
}

void Win32Host::ShowWindow() {
    ApplyPending(true);
    {
        const Scope request = Request();
        ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    }
    WindowChanged();
}

// The box is the system's in device pixels, at least one layout pixel.
DoubleClickMetrics Win32Host::DoubleClickRule() const {
    return {GetDoubleClickTime(), std::max(1, scale_.ToLayoutLength(GetSystemMetrics(SM_CXDOUBLECLK))),
            std::max(1, scale_.ToLayoutLength(GetSystemMetrics(SM_CYDOUBLECLK)))};
}


// --- The platform calls: positions in layout pixels -----------------------------------------

std::optional<tarvik::POINT> Win32Host::PointerOnScreen() const {
    ::POINT p{};
    if (!::GetCursorPos(&p)) return std::nullopt;
    return tarvik::POINT{scale_.ToLayout(p.x), scale_.ToLayout(p.y)};
}

// The system's drag distance (device pixels either side of the press), at least one layout pixel.
PixelSize Win32Host::DragDistance() const {
    return {std::max(1, scale_.ToLayoutLength(GetSystemMetrics(SM_CXDRAG))),
            std::max(1, scale_.ToLayoutLength(GetSystemMetrics(SM_CYDRAG)))};
}

// The window first moves by what the pointer has gone since the press, then the system's move
// (under Wine the window manager's) takes the pointer from where it is: so the window keeps to
// the pointer from the first pixel, whichever of them moves it. The press comes as the runtime's
// screen pixel, the window's place plus the face pixel: that face pixel where the window is now.
void Win32Host::StartSystemMove(int x, int y) {
    ::POINT now{};
    RECT r{};
    if (!::GetCursorPos(&now) || !GetWindowRect(hwnd_, &r)) return;
    if (!IsZoomed(hwnd_) && !IsIconic(hwnd_)) {
        const PixelRect layout = WindowPixels();
        const int fromX = r.left + scale_.ToDevice(x - layout.x), fromY = r.top + scale_.ToDevice(y - layout.y);
        const Scope request = Request();
        SetWindowPos(hwnd_, nullptr, r.left + now.x - fromX, r.top + now.y - fromY, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SendMessageA(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(now.x, now.y));
}

// Every other message goes to user32 as it is.
std::intptr_t Win32Host::OtherMessage(tarvik::HWND hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
    return ::SendMessageA(ToHwnd(hwnd), msg, wparam, lparam);
}

// The system menu at the window's top-left corner, as Alt+Space shows it; the chosen command
// goes to the window as the system's own would. Left to Wine, the keyboard's system menu draws
// the small icon on the face where a caption would hold it, and leaves it there.
// The system menu, items enabled for the state, at a screen point or else at the window's corner;
// the chosen command is posted as WM_SYSCOMMAND.
void Win32Host::ShowSystemMenu(std::optional<::POINT> at) {
    ApplyPending(true);  // the menu's loop handles messages for the window
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

// A right click on the title bar: the system menu at the pointer (layout pixels of the client area).
void Win32Host::ShowWindowMenu(int x, int y) {
    ::POINT p{scale_.ToDevice(x), scale_.ToDevice(y)};
    ClientToScreen(hwnd_, &p);
    ShowSystemMenu(p);
}

// Inside an event the outline waits for the event's end, as its size does (ApplyPending);
// outside one it is given at once. One still waiting is superseded, and released.
void Win32Host::ApplyOutline(const Region* outline, bool redraw) {
    if (!hwnd_) return;
    const RECT r = OuterRect();
    ::HRGN cut = nullptr;
    if (outline && !(cut = GdiRegion(*outline, r.right - r.left, r.bottom - r.top))) return;  // the old one stays
    if (pendingRegion_ && *pendingRegion_) ::DeleteObject(*pendingRegion_);
    pendingRegion_ = cut;
    pendingRedraw_ = redraw;
    if (!InEvent()) ApplyPending(true);
}

}  // namespace tarvik::win32
