// Two monitors side by side (see run_with_monitors.sh): a maximize fills the work area of the
// window's own monitor, and the restore puts it back where it was.
#include "tests/win32/check.h"
#include "tests/win32/support.h"

namespace tarvik::test {

TEST(MaximizeFillsTheWorkAreaOfTheWindowsMonitor) {
    CHECK_EQ(2, GetSystemMetrics(SM_CMONITORS));
    Program p;
    for (const ::POINT corner : {::POINT{1024, 0}, ::POINT{0, 0}}) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromPoint(corner, MONITOR_DEFAULTTOPRIMARY), &monitor);
        p.host.Move(PixelsToTwips(monitor.rcWork.left + 100), PixelsToTwips(monitor.rcWork.top + 100));
        PumpIdle();
        const RECT before = p.Rect();
        p.host.DoDefaultAction(Elem::Immax);
        CHECK(PumpUntil([&] { return IsZoomed(p.host.Window()) != FALSE; }));
        CHECK_EQ(Rect(monitor.rcWork), Rect(p.Rect()));
        p.host.DoDefaultAction(Elem::Immax);
        CHECK(PumpUntil([&] { return IsZoomed(p.host.Window()) == FALSE; }));
        CHECK_EQ(Rect(before), Rect(p.Rect()));
    }
}

}  // namespace tarvik::test
