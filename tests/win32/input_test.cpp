// Real pointer input on the real window: pointer shapes, the corner grip and the loss of its
// capture, quick second presses, the system's double-click time, and the system's close. What the
// program shows for the same input through X (hover, tooltips, double-clicks, the close button) is
// the Wine tests'.
#include <atomic>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/twips.h"
#include "tests/win32/check.h"
#include "tests/win32/support.h"

namespace tarvik::test {

namespace {

const ElementState& At(const Program& p, Elem elem) { return p.host.Elements()[static_cast<std::size_t>(elem)]; }

// Moves the real pointer to the middle of an element.
void PointAt(const Program& p, Elem elem) {
    const PixelRect r = p.ElemPixels(elem);
    const ::POINT s = p.Screen(r.x + r.w / 2, r.y + r.h / 2);
    MoveMouse(s.x, s.y);
}

// One step of queued input: a button change, or an absolute move to a screen point.
struct Input {
    DWORD flags;
    int x = 0, y = 0;
};

// Queues the whole sequence at once, as a quick user's input arrives, and lets the window take it.
void SendAll(std::initializer_list<Input> steps) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs;
    for (const Input& step : steps) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = step.flags;
        if (step.flags & MOUSEEVENTF_ABSOLUTE) {
            in.mi.dx = static_cast<LONG>((step.x * 65536LL + 32768) / w);
            in.mi.dy = static_cast<LONG>((step.y * 65536LL + 32768) / h);
        }
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    PumpIdle();
}

Input MoveTo(::POINT p) { return {MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p.x, p.y}; }

// Counts the window changes (size, position, frame, outline) the system tells this thread's windows of.
std::atomic<int> windowChanges{0};
LRESULT CALLBACK CountWindowChanges(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lparam)->message == WM_WINDOWPOSCHANGED) ++windowChanges;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

TEST(GripsShowTheirSizingCursors) {
    Program p;
    PointAt(p, Elem::Pjiao);
    CHECK(p.host.CurrentCursor() == Cursor::SizeNWSE);
    PumpUntil([] { return GetCursor() == LoadCursorW(nullptr, IDC_SIZENWSE); });
    CHECK_EQ(reinterpret_cast<std::uintptr_t>(LoadCursorW(nullptr, IDC_SIZENWSE)), reinterpret_cast<std::uintptr_t>(GetCursor()));
    PointAt(p, Elem::Pbottom);
    CHECK(PumpUntil([] { return GetCursor() == LoadCursorW(nullptr, IDC_SIZENS); }));
    const PixelRect right = p.ElemPixels(Elem::Pright);
    const ::POINT s = p.Screen(right.x + right.w / 2, 120);
    MoveMouse(s.x, s.y);
    CHECK(PumpUntil([] { return GetCursor() == LoadCursorW(nullptr, IDC_SIZEWE); }));
    const ::POINT face = p.Screen(145, 115);
    MoveMouse(face.x, face.y);
    CHECK(PumpUntil([] { return GetCursor() == LoadCursorW(nullptr, IDC_ARROW); }));
}

TEST(SizesArePacedToTheMonitorsFrame) {
    // hz (0 and 1: unknown), frame in ms
    const DWORD cases[][2] = {{0, 16}, {1, 16}, {60, 16}, {75, 13}, {144, 6}, {240, 4}, {500, 4}, {24, 33}, {10, 33}};
    for (const auto& c : cases)
        CHECK_EQ(std::to_string(c[0]) + " Hz: " + std::to_string(c[1]), std::to_string(c[0]) + " Hz: " + std::to_string(win32::FrameMsAt(c[0])));
}

TEST(CornerGripDragFollowsThePointer) {
    Program p;
    PointAt(p, Elem::Pjiao);
    ::POINT start{};
    ::GetCursorPos(&start);
    PressLeft();
    CHECK_EQ(std::string("1"), At(p, Elem::Pjiao).tag);
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountWindowChanges, nullptr, GetCurrentThreadId());
    windowChanges = 0;
    MoveMouse(start.x + 50, start.y + 40);
    CHECK(PumpUntil([&] { return p.Rect().right - p.Rect().left == start.x + 50 - 367; }));
    UnhookWindowsHookEx(hook);
    // A width and a height, each laid out with its outline: the size rides in the outline's change.
    check::Record(windowChanges == 1, __FILE__, __LINE__,
                  "window changes for one corner move: expected 1, got " + std::to_string(windowChanges));
    RECT outline{};
    ::HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    CHECK_EQ(COMPLEXREGION, ::GetWindowRgn(p.host.Window(), region));
    ::GetRgnBox(region, &outline);
    ::DeleteObject(region);
    CHECK_EQ(p.Rect().right - p.Rect().left, outline.right);
    // Width = pointer x * 15 - Left, height = pointer y * 15 - Top (4027.5): the half twip stays.
    CHECK_EQ(static_cast<float>((start.x + 50) * 15 - 5505), p.host.Width());
    CHECK_EQ(static_cast<float>((start.y + 40) * 15) - 4027.5f, p.host.Height());
    CHECK_EQ(TwipsToPixels((start.y + 40) * 15 - 4027.5), static_cast<int>(p.Rect().bottom - p.Rect().top));
    ReleaseLeft();
    CHECK_EQ(std::string(), At(p, Elem::Pjiao).tag);
    CHECK(!p.host.HasCapture());
}

TEST(CaptureLossDuringAGripDragDisarmsIt) {
    Program p;
    PointAt(p, Elem::Pjiao);
    ::POINT start{};
    ::GetCursorPos(&start);
    PressLeft();
    CHECK(GetCapture() == p.host.Window());
    CHECK(p.host.CaptureElement() == Elem::Pjiao);
    // Another window of the program takes the capture, as a dialog would.
    ::HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetCapture(other);
    PumpIdle();
    CHECK_EQ(std::string(), At(p, Elem::Pjiao).tag);
    CHECK(!p.host.HasCapture());
    const RECT before = p.Rect();
    ReleaseCapture();
    DestroyWindow(other);
    MoveMouse(start.x + 30, start.y + 30);
    PumpIdle();
    CHECK_EQ(before.right - before.left, p.Rect().right - p.Rect().left);
    CHECK_EQ(before.bottom - before.top, p.Rect().bottom - p.Rect().top);
    ReleaseLeft();
}

// Quick second presses: only the title bar takes a double-click, and only of the left button.
TEST(AQuickSecondPressOnTheCornerGripArmsIt) {
    Program p;
    PointAt(p, Elem::Pjiao);
    ::POINT start{};
    ::GetCursorPos(&start);
    SendAll({{MOUSEEVENTF_LEFTDOWN}, {MOUSEEVENTF_LEFTUP}, {MOUSEEVENTF_LEFTDOWN}});
    CHECK_EQ(std::string("1"), At(p, Elem::Pjiao).tag);
    MoveMouse(start.x + 40, start.y + 30);
    CHECK(PumpUntil([&] { return p.Rect().right - p.Rect().left == start.x + 40 - 367; }));
    ReleaseLeft();
    CHECK_EQ(std::string(), At(p, Elem::Pjiao).tag);
}

TEST(AQuickSecondClickOnACaptionButtonShowsThePressedPictureAndClicks) {
    Program p;
    const PixelRect r = p.ElemPixels(Elem::Imclose);
    const ::POINT on = p.Screen(r.x + r.w / 2, r.y + r.h / 2), off = p.Screen(145, 115);
    // A first click released off the button runs nothing; the second comes at once on the same spot.
    MoveMouse(on.x, on.y);
    SendAll({{MOUSEEVENTF_LEFTDOWN}, MoveTo(off), {MOUSEEVENTF_LEFTUP}, MoveTo(on), {MOUSEEVENTF_LEFTDOWN}});
    CHECK(p.host.Running());
    CHECK(At(p, Elem::Imclose).picture == Picture::A12);
    ReleaseLeft();
    CHECK(PumpUntil([&] { return p.host.Window() == nullptr; }));
}

// The system's double-click time counts: two clicks 300 ms apart are one double-click with
// Windows' 500 ms, and two single clicks once the user has set 200 ms.
TEST(TheSystemsDoubleClickTimeCounts) {
    const UINT saved = GetDoubleClickTime();
    for (const UINT ms : {500u, 200u}) {
        SetDoubleClickTime(ms);
        Program p;
        const ::POINT at = p.Screen(100, 8);
        MoveMouse(at.x, at.y);
        SendAll({{MOUSEEVENTF_LEFTDOWN}, {MOUSEEVENTF_LEFTUP}});
        Sleep(300);
        SendAll({{MOUSEEVENTF_LEFTDOWN}, {MOUSEEVENTF_LEFTUP}});
        PumpIdle();
        CHECK_EQ(ms == 500 ? kMaximized : kNormal, p.host.WindowState());
    }
    SetDoubleClickTime(saved);
}

TEST(SystemCloseEndsTheProgram) {
    Program p;
    PostMessageW(p.host.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(PumpUntil([&] { return p.host.Window() == nullptr; }));
    CHECK_EQ(0, p.host.ExitStatus());
}

}  // namespace tarvik::test
