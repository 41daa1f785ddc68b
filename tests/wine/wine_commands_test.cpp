// The window commands under Wine: moving the window by its title bar, maximizing and restoring
// with the maximize button, with quick and slow double-clicks on the title bar and from the system
// menu, and a right double-click that does nothing. Minimize and back under a window manager is
// desktop_wm_test's, under every manager.
#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "tests/wine/harness.h"

namespace tarvik::wine {
namespace {

TEST(WineWindowCommands, TitleBarDragMovesAndMaximizeRestoreByButtonAndDoubleClick) {
    PointerTo(2, 2);
    std::string error;
    // Without a window manager the work area is the whole screen; under one, less its taskbar.
    const auto work = WorkAreaOrScreen();
    ASSERT_TRUE(work) << "cannot read the work area";
    const Geometry workArea = *work;

    Program program(TARVIK_WIN64_EXE, "commands-wine.log");
    const auto started = StartAndWaitForWindow(program, &error);
    ASSERT_TRUE(started) << error;
    Geometry g = *started;

    // Drag by the title bar along a path; the window follows the pointer.
    {
        SCOPED_TRACE("title-bar drag");
        const int grabX = 150, grabY = 8;
        PointerTo(g.x + grabX, g.y + grabY);
        ButtonDown();
        // A window manager takes the move over from the press: moves before it has grabbed the
        // pointer do not reach it, so the first move waits a moment, as a person's would.
        std::this_thread::sleep_for(300ms);
        const std::pair<int, int> path[] = {{10, 5}, {40, 30}, {-60, 50}, {-120, 80}};
        for (const auto& [dx, dy] : path) {
            PointerTo(g.x + grabX + dx, g.y + grabY + dy);
            const Geometry want{g.x + dx, g.y + dy, g.width, g.height};
            const auto now = program.WaitForGeometry(want);
            EXPECT_EQ(now, want) << "expected the window to follow the pointer moved by (" << dx << ", " << dy
                                 << ") to " << ToString(want) << ", got " << (now ? ToString(*now) : program.GeometryError());
        }
        ButtonUp();
        const Geometry moved{g.x - 120, g.y + 80, g.width, g.height};
        const auto now = program.WaitForGeometry(moved);
        ASSERT_EQ(now, moved) << "expected the window at " << ToString(moved) << " after the drag, got "
                              << (now ? ToString(*now) : program.GeometryError());
        g = moved;
    }

    // Polls screenshots until the window filling area agrees with reference; reports the differences.
    const auto ExpectFrame = [&](const Image& reference, const Geometry& area, const std::string& name) {
        const Agreement agreement = PollAgreement(reference, area.x, area.y, CaptionTextBox(), RequiredAgreementPercent(), name);
        std::printf("%s frame: %.3f%% of %ld pixels agree exactly\n", name.c_str(), agreement.Percent(), agreement.compared);
        EXPECT_GE(agreement.Percent(), RequiredAgreementPercent())
            << "expected the " << name << " window and the simulated host's frame to agree on at least "
            << RequiredAgreementPercent() << "% of the pixels; " << agreement.Report() << "Pictures in "
            << OutPath(name + "-*.png");
    };
    Image maximizedFrame;

    {
        SCOPED_TRACE("maximize button");
        ClickButton(Button::Maximize, g);
        const auto now = program.WaitForGeometry(workArea);
        ASSERT_EQ(now, workArea) << "expected a click on the maximize button to fill the work area "
                                 << ToString(workArea) << ", got " << (now ? ToString(*now) : program.GeometryError());
    }
    {
        SCOPED_TRACE("maximized frame");
        // The same clicks in the simulated host, then the pointer to the same spot on the face.
        // The simulated host maximizes to its screen: one of the work area's size.
        // At another DPI the simulated host's screen and pointer are the layout pixels of these.
        const DisplayScale scale = TestScale();
        const int faceX = 500, faceY = 400;
        PointerTo(faceX, faceY);
        const std::string commands = "screen " + std::to_string(scale.ToLayoutLength(workArea.width)) + " " +
                                     std::to_string(scale.ToLayoutLength(workArea.height)) +
                                     "\nstart\nsystem-state maximized\nmove " + std::to_string(scale.ToLayout(faceX)) +
                                     " " + std::to_string(scale.ToLayout(faceY)) + "\n";
        const auto reference = SimSnapshot(commands, OutPath("maximized-sim.png"), &error);
        ASSERT_TRUE(reference) << error;
        ASSERT_EQ(reference->width, workArea.width) << "the simulated host did not maximize to the work area";
        ExpectFrame(*reference, workArea, "maximized");
        maximizedFrame = *reference;

    }
    {
        SCOPED_TRACE("restore button");
        ClickButton(Button::Maximize, workArea);
        const auto now = program.WaitForGeometry(g);
        ASSERT_EQ(now, g) << "expected a second click on the maximize button to restore the window to "
                          << ToString(g) << ", got " << (now ? ToString(*now) : program.GeometryError());
    }
    // Quick taps (press and release within milliseconds) and slower presses alike.
    const std::pair<const char*, void (*)()> doubleClicks[] = {{"quick", [] { DoubleClick(); }}, {"slow", &SlowDoubleClick}};
    for (const auto& [how, doubleClick] : doubleClicks) {
        SCOPED_TRACE(std::string("title-bar double-click, ") + how);
        PointerTo(g.x + 150, g.y + 8);
        doubleClick();
        auto now = program.WaitForGeometry(workArea);
        ASSERT_EQ(now, workArea) << "expected a double-click on the title bar to maximize to " << ToString(workArea)
                                 << ", got " << (now ? ToString(*now) : program.GeometryError());
        PointerTo(workArea.x + 150, workArea.y + 8);
        doubleClick();
        now = program.WaitForGeometry(g);
        ASSERT_EQ(now, g) << "expected a second double-click on the title bar to restore the window to "
                          << ToString(g) << ", got " << (now ? ToString(*now) : program.GeometryError());
    }
    {
        SCOPED_TRACE("a right double-click on the title bar");
        PointerTo(g.x + 150, g.y + 8);
        DoubleClick(3);
        std::this_thread::sleep_for(1s);
        const auto now = program.CurrentGeometry();
        ASSERT_EQ(now, g) << "expected a right double-click on the title bar to change nothing";
    }
    {
        // Alt+Space, then x: Wine's system menu, or the window manager's, both name it Ma_ximize.
        SCOPED_TRACE("system menu maximize");
        PointerTo(g.x + 150, g.y + 100);
        Click();
        // Opened and closed again, the menu leaves the frame as it was: no icon drawn on the face.
        Xdotool({"key", "alt+space"});
        std::this_thread::sleep_for(800ms);
        Xdotool({"key", "Escape"});
        const auto start = SimSnapshot("start", OutPath("start-sim.png"), &error);
        ASSERT_TRUE(start) << error;
        ExpectFrame(*start, g, "after-system-menu");
        // Where the menu's icon was drawn: the top-left corner, exactly as the frame paints it.
        const Rect corner = ToDevice({0, 0, 32, 24});
        const auto shot = Screenshot(OutPath("after-system-menu-screen.png"), &error);
        ASSERT_TRUE(shot) << error;
        const Image got = Crop(*shot, {g.x, g.y, corner.width, corner.height}), want = Crop(*start, corner);
        // At another scale the outline's curve is cut at device resolution, a little inside the
        // enlarged reference's: pixels within a layout pixel of its edge are left out there.
        const int edge = TestScale().IsOne() ? 0 : TestScale().ToDevice(1);
        const auto nearEdge = [&](int x, int y) {
            const bool inside = want.At(x, y).a != 0;
            for (int dy = -edge; dy <= edge; ++dy)
                for (int dx = -edge; dx <= edge; ++dx)
                    if (want.Contains(x + dx, y + dy) && (want.At(x + dx, y + dy).a != 0) != inside) return true;
            return false;
        };
        long stray = 0;
        for (int y = 0; y < want.height; ++y)
            for (int x = 0; x < want.width; ++x) {
                const Pixel &p = got.At(x, y), &q = want.At(x, y);
                stray += (p.r != q.r || p.g != q.g || p.b != q.b) && !nearEdge(x, y);
            }
        EXPECT_LE(stray, 2) << "expected the window's top-left corner (" << ToString(corner)
                            << ") as the frame paints it after the system menu closed; " << stray << " pixels differ";
        Xdotool({"key", "alt+space"});
        std::this_thread::sleep_for(800ms);
        Xdotool({"key", "x"});
        auto now = program.WaitForGeometry(workArea);
        ASSERT_EQ(now, workArea) << "expected the system menu's Maximize to fill the work area";
        // The same frame, restore face and all, as the maximize button gave.
        PointerTo(500, 400);
        ExpectFrame(maximizedFrame, workArea, "system-maximized");
        ClickButton(Button::Maximize, workArea);
        now = program.WaitForGeometry(g);
        ASSERT_EQ(now, g) << "expected the restore button to bring back " << ToString(g);
    }
    ExpectClosedByButton(program, g);
}

}  // namespace
}  // namespace tarvik::wine
