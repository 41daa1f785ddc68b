// The native program's window commands, title bar and grips on a desktop with a window manager
// and a taskbar: maximize and restore by button, minimize and back by activation, the title-bar
// drag, sizes the window manager sets, the three grips with their strict limits, a grab broken
// while a grip is held, and the frames that result against the simulated host's. Double-clicks
// and the window manager's own maximize and restore are desktop_wm_test's, under every manager.
#include <gtest/gtest.h>

#include <thread>

#include "host/design.h"
#include "tests/desktop/desktop.h"

namespace tarvik::desktop {
namespace {

using namespace wine;

constexpr int kFaceX = 150, kFaceY = 120;

TEST(DesktopCommands, MaximizeRestoreMinimizeAndTheTitleBar) {
    PointerTo(2, 2);
    std::string error;
    auto started = StartTarvik("commands.log", &error);
    ASSERT_TRUE(started) << error;
    Program& program = *started->program;
    const Geometry start = started->window;
    const auto work = WorkArea();
    ASSERT_TRUE(work) << "cannot read the work area";

    // By the button: the work area, with the maximized frame of the simulated host on a screen that size.
    ClickButton(Button::Maximize, start);
    ASSERT_EQ(program.WaitForGeometry(*work), *work) << "expected the maximized window to fill the work area";
    PointerTo(work->x + kFaceX, work->y + kFaceY);
    const Agreement a = AgreeWithSim(*work, SimMaximized(*work, kFaceX, kFaceY), "maximized");
    std::printf("maximized frame: %.3f%% of %ld pixels agree\n", a.Percent(), a.compared);
    EXPECT_GE(a.Percent(), kRequiredPercent) << "maximized frame:\n" << a.firstDifferences;

    ClickButton(Button::Maximize, *work);
    EXPECT_EQ(program.WaitForGeometry(start), start) << "expected the restore button to bring back the start window";

    // Minimized, the window leaves the screen; a click on its taskbar entry brings it back as it was.
    ClickButton(Button::Minimize, start);
    EXPECT_TRUE(PollUntil([&] { return !Viewable(program.Window()); }, 10s))
        << "expected the minimized window to be hidden; state " << WindowStateAtoms(program.Window());
    const auto entry = TaskbarEntry(*work);
    ASSERT_TRUE(entry) << "expected the window's icon on the taskbar (" << OutPath("taskbar.png") << ")";
    PointerTo(entry->first, entry->second);
    Click();
    EXPECT_TRUE(PollUntil([&] { return Viewable(program.Window()); }, 10s)) << "expected the window back after a click on its taskbar entry";
    EXPECT_EQ(program.WaitForGeometry(start), start);
    PointerTo(2, 2);
    const Agreement back = AgreeWithSim(start, "start", "restored");
    EXPECT_GE(back.Percent(), kRequiredPercent) << "frame after minimize and back:\n" << back.firstDifferences;

    // The title bar moves the window by the pointer's travel; a right press there moves nothing.
    PointerTo(start.x + 100, start.y + 8);
    ButtonDown();
    std::this_thread::sleep_for(300ms);  // the window manager takes the move over
    for (int step = 1; step <= 5; ++step) PointerTo(start.x + 100 + 10 * step, start.y + 8 + 8 * step);
    ButtonUp();
    const Geometry moved{start.x + 50, start.y + 40, start.width, start.height};
    EXPECT_EQ(program.WaitForGeometry(moved), moved) << "expected the title-bar drag to move the window by (50, 40)";
    PointerTo(moved.x + 100, moved.y + 8);
    ButtonDown(3);
    PointerTo(moved.x + 160, moved.y + 60);
    ButtonUp(3);
    EXPECT_EQ(program.CurrentGeometry(), moved) << "a right-button drag on the title bar moved the window";

    // A size the window manager sets is laid out at once, as the grips' sizes are.
    wine::Run({"xdotool", "windowsize", std::to_string(program.Window()), "400", "300"}, "", 10s);
    const Geometry sized{moved.x, moved.y, 400, 300};
    ASSERT_EQ(program.WaitForGeometry(sized), sized) << "expected the window manager's size";
    const Agreement laidOut = AgreeWithSim(sized, "start\nresize 400 300", "wm-size");
    EXPECT_GE(laidOut.Percent(), kRequiredPercent) << "frame after the window manager's size change:\n"
                                                   << laidOut.firstDifferences;

    // No size the window manager sets goes below the smallest the grips give.
    wine::Run({"xdotool", "windowsize", std::to_string(program.Window()), "50", "30"}, "", 10s);
    const Geometry smallest{moved.x, moved.y, kMinWindowWidthPx, kMinWindowHeightPx};
    EXPECT_EQ(program.WaitForGeometry(smallest), smallest) << "expected a 50 x 30 request to stop at the smallest size";

    ExpectClosedByButton(program, smallest);
}

TEST(DesktopGrips, FollowThePointerAboveTheirLimitsAndABrokenGrabDisarms) {
    PointerTo(2, 2);
    std::string error;
    auto started = StartTarvik("grips.log", &error);
    ASSERT_TRUE(started) << error;
    Program& program = *started->program;
    // Moved by the title bar first: the centred start place holds half a twip in Top, moved it
    // holds whole pixels, so that the sizes below come out in whole pixels.
    PointerTo(started->window.x + 100, started->window.y + 8);
    ButtonDown();
    std::this_thread::sleep_for(300ms);  // the window manager takes the move over
    for (int step = 1; step <= 5; ++step) PointerTo(started->window.x + 100 - 20 * step, started->window.y + 8 - 20 * step);
    ButtonUp();
    const Geometry start{started->window.x - 100, started->window.y - 100, started->window.width, started->window.height};
    ASSERT_EQ(program.WaitForGeometry(start), start) << "expected the title-bar drag to move the window by (-100, -100)";
    const int x0 = start.x, y0 = start.y;

    // Each row: where the grip is pressed (window pixels of the current size), then pointer
    // targets (window pixels) and the size each must leave. 100 and 166 pixels lie at or under
    // the limits (1500 and 2500 twips) and are not applied; one pixel more is.
    const struct {
        const char* grip;
        int pressX, pressY;  // from the right and bottom edges
        struct {
            int x, y, width, height;
        } steps[3];
    } grips[] = {
        {"bottom", 150, 3, {{150, 180, 290, 180}, {150, 100, 290, 180}, {150, 101, 290, 101}}},
        {"right", 3, 60, {{240, 100, 240, 101}, {166, 100, 240, 101}, {167, 100, 167, 101}}},
        {"corner", 5, 5, {{400, 300, 400, 300}, {160, 250, 400, 250}, {300, 90, 300, 250}}},
    };
    Geometry g = start;
    for (const auto& grip : grips) {
        SCOPED_TRACE(std::string(grip.grip) + " grip");
        PointerTo(x0 + g.width - grip.pressX, y0 + g.height - grip.pressY);
        ButtonDown();
        for (const auto& s : grip.steps) {
            PointerTo(x0 + s.x, y0 + s.y);
            g = {x0, y0, s.width, s.height};
            EXPECT_EQ(program.WaitForGeometry(g), g) << "after moving the pointer to (" << s.x << ", " << s.y << ")";
        }
        ButtonUp();
    }
    // After the corner drag, the frame at that size is the simulated host's.
    PointerTo(2, 2);
    const Agreement a = AgreeWithSim(g, "start\nresize " + std::to_string(g.width) + " " + std::to_string(g.height), "corner");
    std::printf("frame after the grips: %.3f%% of %ld pixels agree\n", a.Percent(), a.compared);
    EXPECT_GE(a.Percent(), kRequiredPercent) << a.firstDifferences;

    // A grab broken while the corner grip is held (the window minimized under the pointer) ends
    // the drag: afterwards the pointer over the grip moves nothing.
    PointerTo(x0 + g.width - 5, y0 + g.height - 5);
    ButtonDown();
    PointerTo(x0 + g.width + 20, y0 + g.height + 20);
    g = {x0, y0, g.width + 20, g.height + 20};
    ASSERT_EQ(program.WaitForGeometry(g), g) << "expected the corner grip to follow before the grab is broken";
    Minimize(program.Window());
    EXPECT_TRUE(PollUntil([&] { return !Viewable(program.Window()); }, 10s)) << "expected the window minimized";
    ButtonUp();
    Activate(program.Window());
    ASSERT_TRUE(PollUntil([&] { return Viewable(program.Window()); }, 10s)) << "expected the window back";
    ASSERT_EQ(program.WaitForGeometry(g), g);
    PointerTo(x0 + g.width - 6, y0 + g.height - 6);
    PointerTo(x0 + g.width - 8, y0 + g.height - 8);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(program.CurrentGeometry(), g) << "expected the corner grip disarmed by the broken grab";

    ExpectClosedByButton(program, g);
}

}  // namespace
}  // namespace tarvik::desktop
