// Two monitors side by side (under Wine, the X server's monitor list comes from a stand-in, see
// run_with_monitors.sh): a maximize fills the work area of the window's own monitor.
#include "tests/win32/check.h"
#include "tests/win32/support.h"

namespace tarvik::test {

namespace {

// The work area of the monitor holding a screen point, or an empty rectangle if none does.
RECT WorkAreaAt(int x, int y) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromPoint(::POINT{x, y}, MONITOR_DEFAULTTONULL);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return RECT{};
    return info.rcWork;
}

}  // namespace

TEST(MaximizeFillsTheWorkAreaOfTheWindowsMonitor) {
    CHECK_EQ(2, GetSystemMetrics(SM_CMONITORS));
    Program p;
    const RECT primary = WorkAreaAt(0, 0);
    RECT second{};
    for (int x = primary.right; x < primary.right + 4096 && IsRectEmpty(&second); x += 64) second = WorkAreaAt(x, primary.top + 10);
    CHECK(!IsRectEmpty(&second));
    // On each monitor in turn: moved there, maximized by the button over that work area, restored where it was.
    for (const RECT& work : {second, primary}) {
        p.host.Move(PixelsToTwips(work.left + 100), PixelsToTwips(work.top + 100));
        PumpIdle();
        const RECT before = p.Rect();
        p.host.DoDefaultAction(Elem::Immax);
        CHECK(PumpUntil([&] { return IsZoomed(p.host.Window()) != FALSE; }));
        PumpIdle();
        CHECK_EQ(Rect(work), Rect(p.Rect()));
        p.host.DoDefaultAction(Elem::Immax);
        CHECK(PumpUntil([&] { return IsZoomed(p.host.Window()) == FALSE; }));
        PumpIdle();
        CHECK_EQ(Rect(before), Rect(p.Rect()));
    }
}

}  // namespace tarvik::test
