// The window procedure: paint, size and state changes from the system, pointer input,
// pointer capture, pointer shapes and the end of the program.
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "host/backends/win32/win32_host.h"

namespace tarvik::win32 {

namespace {

// The window's DPI changed (Windows 8.1 on); older headers may lack the name.
constexpr UINT kDpiChangedMessage = 0x02E0;

LPCWSTR CursorName(Cursor cursor) {
    switch (cursor) {
        case Cursor::SizeNS: return IDC_SIZENS;
        case Cursor::SizeWE: return IDC_SIZEWE;
        case Cursor::SizeNWSE: return IDC_SIZENWSE;
        case Cursor::Arrow: break;
    }
    return IDC_ARROW;
}

// A window message's name for a failure report.
std::string MessageName(UINT msg) {
    switch (msg) {
        case WM_PAINT: return "WM_PAINT";
        case WM_SIZE: return "WM_SIZE";
        case WM_MOVE: return "WM_MOVE";
        case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
        case WM_CLOSE: return "WM_CLOSE";
        case WM_CAPTURECHANGED: return "WM_CAPTURECHANGED";
        default: break;
    }
    char name[24];
    std::snprintf(name, sizeof name, "window message 0x%04X", msg);
    return name;
}

// BeginPaint and its EndPaint, which must come whatever happens in between.
class PaintScope {
public:
    explicit PaintScope(::HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }

private:
    ::HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// The buttons a mouse message's key state holds.
int ButtonsOf(WPARAM wparam) {
    int buttons = 0;
    if (wparam & MK_LBUTTON) buttons |= kLeftButton;
    if (wparam & MK_RBUTTON) buttons |= kRightButton;
    if (wparam & MK_MBUTTON) buttons |= kMiddleButton;
    return buttons;
}

int ShiftState(WPARAM wparam) {
    int shift = 0;
    if (wparam & MK_SHIFT) shift |= kShiftMask;
    if (wparam & MK_CONTROL) shift |= kCtrlMask;
    if (GetKeyState(VK_MENU) < 0) shift |= kAltMask;
    return shift;
}

}  // namespace

LRESULT CALLBACK Win32Host::WindowProc(::HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<Win32Host*>(create->lpCreateParams)->hwnd_ = hwnd;
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after the host has gone get the defaults.
    auto* self = reinterpret_cast<Win32Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wparam, lparam);
    // No exception may leave: the system's frames between a window procedure and the code that
    // sent its message cannot pass one on (the 32-bit build would end in std::terminate).
    LRESULT result = 0;
    self->HandleEvent([&] { result = self->Handle(msg, wparam, lparam); }, [&] { return MessageName(msg); });
    // The window's size and outline once the outermost event has returned, then screen readers
    // hear of the changes.
    if (!self->InEvent() && self->hwnd_)
        self->HandleEvent([&] { self->ApplyPending(); }, "the window's size");
    if (!self->InEvent() && msg != WM_NCDESTROY && self->hwnd_) self->accessibility_.Announce();
    return result;
}

// Starts the program and runs the message loop until the window is gone.
int Win32Host::Run() {
    HandleEvent([&] {
        Start();
        ApplyPending();
    }, "start-up");
    MSG msg{};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return got < 0 ? 1 : static_cast<int>(msg.wParam);
}

LRESULT Win32Host::Handle(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_TIMER:
            if (wparam == kLateRedrawTimer) {
                KillTimer(hwnd_, kLateRedrawTimer);
                InvalidateRect(hwnd_, nullptr, FALSE);
                return 0;
            }
            if (wparam != kFrameTimer) break;
            KillTimer(hwnd_, kFrameTimer);  // what it waited for may be gone
            ApplyPending(true);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything; erasing first would flicker
        case WM_PAINT: {
            const PaintScope paint(hwnd_);
            wholeInvalid_ = false;  // BeginPaint took the whole window's update
            Paint(paint.Dc(), paint.Area());
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT all{};
            GetClientRect(hwnd_, &all);
            Paint(reinterpret_cast<HDC>(wparam), all);
            return 0;
        }
        case WM_NCCALCSIZE:
            // The client area is the whole window: no frame, although the style declares a sizable one.
            return 0;
        case WM_NCHITTEST:
            // Client area but for the maximize button (Windows 11 shows its snap layouts there);
            // no sizing border; the title bar's move is started by the program itself.
            return CaptionHitTest(lparam);
        case WM_SYSCOMMAND:
            if ((wparam & 0xFFF0) == SC_KEYMENU) {
                // Alt+Space opens the system menu; there is no menu bar for Alt alone to activate.
                if (lparam == VK_SPACE) ShowSystemMenu();
                return 0;
            }
            break;
        case WM_GETMINMAXINFO: {
            // A maximized popup would cover the whole monitor; it gets the work area, beside the taskbar.
            auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
            MONITORINFO monitor{};
            monitor.cbSize = sizeof(monitor);
            if (GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) {
                const RECT& work = monitor.rcWork;
                info->ptMaxPosition = {work.left - monitor.rcMonitor.left, work.top - monitor.rcMonitor.top};
                info->ptMaxSize = {work.right - work.left, work.bottom - work.top};
                info->ptMaxTrackSize.x = std::max(info->ptMaxTrackSize.x, info->ptMaxSize.x);
                info->ptMaxTrackSize.y = std::max(info->ptMaxTrackSize.y, info->ptMaxSize.y);
            }
            // The system's own resizes (Wine hands this to the window manager) stop where the grips stop.
            info->ptMinTrackSize = {scale_.ToDevice(kMinWindowWidthPx), scale_.ToDevice(kMinWindowHeightPx)};
            return 0;
        }
        case WM_WINDOWPOSCHANGING:
            CarrySize(reinterpret_cast<WINDOWPOS*>(lparam));
            KeepMaximizeOnItsMonitor(reinterpret_cast<WINDOWPOS*>(lparam));
            break;
        case WM_MOVE:
            FollowPlace();
            return 0;
        case WM_SIZE:
            // The system's maximize or minimize overrides a size still waiting for its frame.
            if (!OwnRequest() && (wparam == SIZE_MAXIMIZED || wparam == SIZE_MINIMIZED)) pendingSize_.reset();
            FollowPlace();
            // The system's own changes (taskbar, Win+Up, the system menu) are laid out here.
            SystemResized();
            return 0;
        case WM_DISPLAYCHANGE:
            frameMonitor_ = nullptr;  // a new mode may refresh at another rate
            break;
        case kDpiChangedMessage:
            // The new DPI is the same each way; the system suggests where the window goes.
            DpiChanged(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lparam) == HTCLIENT || LOWORD(lparam) == HTMAXBUTTON) {
                SetCursor(LoadCursorW(nullptr, CursorName(CurrentCursor())));
                return TRUE;
            }
            break;
        case WM_CAPTURECHANGED:
            // Taken by someone else: the pressed element gets its MouseUp, an armed move is disarmed.
            if (!OwnRequest() && reinterpret_cast<::HWND>(lparam) != hwnd_) CaptureLost();
            return 0;
        case WM_GETOBJECT:
            if (const LRESULT object = accessibility_.GetObject(wparam, lparam)) return object;
            break;
        case kDefaultActionMessage:
            DoDefaultAction(static_cast<Elem>(wparam));
            return 0;
        case WM_CLOSE:
            Unload();  // Alt+F4 and the system menu's Close end the program as the close button does
            return 0;
        case WM_DESTROY:
            destroying_ = true;
            if (Running()) EndProgram(0);
            PostQuitMessage(ExitStatus());
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            return 0;
        default:
            if (HandleCaptionButton(msg, wparam, lparam)) return 0;
            if (HandlePointer(msg, wparam, lparam)) return 0;
            break;
    }
    return DefWindowProcW(hwnd_, msg, wparam, lparam);
}

// Mouse messages to the shared runtime: client pixels, message time; double-click messages
// count as plain presses because the runtime recognises double-clicks itself. The region is
// tested in device pixels; the runtime gets the layout pixel that holds the pointer.
bool Win32Host::HandlePointer(UINT msg, WPARAM wparam, LPARAM lparam) {
    const int x = GET_X_LPARAM(lparam), y = GET_Y_LPARAM(lparam);
    int button = 0;
    bool down = false;
    switch (msg) {
        case WM_MOUSEMOVE: {
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
                tracking_ = TrackMouseEvent(&track) != FALSE;
            }
            lastX_ = x;
            lastY_ = y;
            const bool inside = InsideRegion(x, y);
            PointerMove(scale_.ToLayout(x), scale_.ToLayout(y), inside, EventTime(static_cast<DWORD>(GetMessageTime())),
                        ButtonsOf(wparam));
            // WM_SETCURSOR came before this move reached the runtime: the shape follows here.
            if (inside || HasCapture()) SetCursor(LoadCursorW(nullptr, CursorName(CurrentCursor())));
            return true;
        }
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (!HasCapture())
                PointerMove(scale_.ToLayout(lastX_), scale_.ToLayout(lastY_), false,
                            EventTime(static_cast<DWORD>(GetMessageTime())));
            return true;
        case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: button = kLeftButton; down = true; break;
        case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: button = kRightButton; down = true; break;
        case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: button = kMiddleButton; down = true; break;
        case WM_LBUTTONUP: button = kLeftButton; break;
        case WM_RBUTTONUP: button = kRightButton; break;
        case WM_MBUTTONUP: button = kMiddleButton; break;
        default: return false;
    }
    const std::uint64_t now = EventTime(static_cast<DWORD>(GetMessageTime()));
    lastX_ = x;
    lastY_ = y;
    if (down)
        PointerDown(button, ShiftState(wparam), scale_.ToLayout(x), scale_.ToLayout(y), now);
    else
        PointerUp(button, ShiftState(wparam), scale_.ToLayout(x), scale_.ToLayout(y), InsideRegion(x, y), now);
    return true;
}

// Whether a client point (device pixels) lies on the window: inside its rectangle and its region.
bool Win32Host::InsideRegion(int x, int y) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    if (x < client.left || y < client.top || x >= client.right || y >= client.bottom) return false;
    if (GetWindowRgn(hwnd_, scratchRegion_) == ERROR) return true;  // no region: the whole rectangle
    return PtInRegion(scratchRegion_, x, y) != FALSE;
}

void Win32Host::PlatformCapture(bool take) {
    if (take) {
        SetCapture(hwnd_);
        return;
    }
    const Scope request = Request();  // the WM_CAPTURECHANGED inside is our own release
    ::ReleaseCapture();
}

// Element geometry, visibility, pictures and tips show at once: the tool follows, and where
// the element's picture showed and shows now is painted again (an element without a picture
// shows nothing, so moving it changes nothing on the screen).
void Win32Host::ElementChanged(Elem elem) {
    accessibility_.MarkChanged();
    const std::size_t i = static_cast<std::size_t>(elem);
    if (tips_) tips_->Sync(elem, Elements()[i], scale_);
    const RECT now = ShownRect(elem);
    const Picture picture = Elements()[i].picture;
    Shown& was = pictureShown_[i];
    if (!EqualRect(&now, &was.rect) || (picture != was.picture && !IsRectEmpty(&now))) {
        Invalidate(was.rect);
        Invalidate(now);
    }
    was = {now, picture};
}

// HTMAXBUTTON over the maximize button's laid-out rectangle while it shows (what a click there
// reaches), HTCLIENT everywhere else.
LRESULT Win32Host::CaptionHitTest(LPARAM screenPoint) {
    ::POINT p{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (!hwnd_ || IsIconic(hwnd_) || !ScreenToClient(hwnd_, &p)) return HTCLIENT;
    if (!InsideRegion(p.x, p.y) || HitTest(Elements(), scale_.ToLayout(p.x), scale_.ToLayout(p.y)) != Elem::Immax)
        return HTCLIENT;
    return HTMAXBUTTON;
}

// A maximize fills the work area of the window's own monitor. WM_GETMINMAXINFO gives its position
// relative to the monitor, which Windows moves onto the window's monitor; Wine takes it as a
// screen position and would put the window on the primary monitor. So the placement that comes
// with the maximize, the work area's size somewhere else, is moved onto that work area.
void Win32Host::KeepMaximizeOnItsMonitor(WINDOWPOS* pos) {
    if (LaidOutState() == kMaximized || !IsZoomed(hwnd_) || (pos->flags & (SWP_NOMOVE | SWP_NOSIZE))) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromRect(&restore_.BeforeMinimize(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    if (pos->cx != work.right - work.left || pos->cy != work.bottom - work.top) return;
    pos->x = work.left;
    pos->y = work.top;
}

// Whether the pointer is over this window now (in either area), whatever message is being handled.
bool Win32Host::PointerOnWindow() const {
    ::POINT p{};
    return ::GetCursorPos(&p) && WindowFromPoint(p) == hwnd_;
}

// The non-client mouse messages the system sends over the maximize button become the client
// messages they stand for (screen points as client pixels), so the runtime gets the very input
// the client area gives; DefWindowProc's caption-button handling never runs for them.
bool Win32Host::HandleCaptionButton(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_MOUSELEAVE && PointerOnWindow() &&
        HitTest(Elements(), scale_.ToLayout(lastX_), scale_.ToLayout(lastY_)) == Elem::Immax) {
        tracking_ = false;  // gone from the client area onto the button: no leave for the runtime
        return true;
    }
    if (msg == WM_NCMOUSELEAVE) {
        ncTracking_ = false;
        if (PointerOnWindow()) return true;  // onto the client area, whose move follows
        if (!HasCapture())
            PointerMove(scale_.ToLayout(lastX_), scale_.ToLayout(lastY_), false,
                        EventTime(static_cast<DWORD>(GetMessageTime())));
        return true;
    }
    if (wparam != HTMAXBUTTON) return false;
    UINT client = 0;
    switch (msg) {
        case WM_NCMOUSEMOVE: client = WM_MOUSEMOVE; break;
        case WM_NCLBUTTONDOWN: client = WM_LBUTTONDOWN; break;
        case WM_NCLBUTTONDBLCLK: client = WM_LBUTTONDBLCLK; break;
        case WM_NCLBUTTONUP: client = WM_LBUTTONUP; break;
        case WM_NCRBUTTONDOWN: client = WM_RBUTTONDOWN; break;
        case WM_NCRBUTTONDBLCLK: client = WM_RBUTTONDBLCLK; break;
        case WM_NCRBUTTONUP: client = WM_RBUTTONUP; break;
        case WM_NCMBUTTONDOWN: client = WM_MBUTTONDOWN; break;
        case WM_NCMBUTTONDBLCLK: client = WM_MBUTTONDBLCLK; break;
        case WM_NCMBUTTONUP: client = WM_MBUTTONUP; break;
        default: return false;
    }
    ::POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    ScreenToClient(hwnd_, &p);
    // Non-client messages carry the hit-test code where client ones carry the keys.
    WPARAM keys = 0;
    if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
    if (tips_) tips_->Relay(client, keys, p.x, p.y);
    if (client != WM_MOUSEMOVE) return HandlePointer(client, keys, MAKELPARAM(p.x, p.y));
    if (!ncTracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_NONCLIENT, hwnd_, 0};
        ncTracking_ = TrackMouseEvent(&track) != FALSE;
    }
    lastX_ = p.x;
    lastY_ = p.y;
    PointerMove(scale_.ToLayout(p.x), scale_.ToLayout(p.y), true, EventTime(static_cast<DWORD>(GetMessageTime())));
    SetCursor(LoadCursorW(nullptr, CursorName(CurrentCursor())));
    return true;
}

}  // namespace tarvik::win32
