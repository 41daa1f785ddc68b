// One scenario for both programs, the native tarvik and Tarvik.exe under Wine, on the desktop
// whose window manager TARVIK_WM names (tools/with-desktop.sh): start shaped and undecorated,
// maximize and restore by button and by both kinds of title-bar double-click, the title-bar drag,
// the three grips, minimize and back from the taskbar, the window manager's maximize and restore
// (after a maximize by button too) with the program's own looks, and close.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "tests/desktop/desktop.h"

namespace tarvik::desktop {
namespace {

using namespace wine;

constexpr int kDoubleClicks = 5;  // of each kind, each expected to toggle the state
constexpr int kBackdropShading = 24;  // mutter's desktop is a dithered gradient: neighbours differ by a few steps

std::string WindowManager() {
    const char* wm = std::getenv("TARVIK_WM");
    return wm && *wm ? wm : "openbox";
}

// The 17 x 16 square of the maximize button against the simulated host's frame at g's size
// (maximized: the restore face); the number of pixels that differ.
long MaximizeSquareDifferences(const Geometry& g, bool maximized, const std::string& name) {
    std::string error;
    const Geometry screen = *ScreenGeometry();
    const std::string commands = maximized ? SimMaximized(g, 2, screen.height - 2)
                                           : "start\nresize " + std::to_string(g.width) + " " + std::to_string(g.height);
    const auto sim = SimSnapshot(commands, OutPath(name + "-sim.png"), &error);
    if (!sim) return -1;
    return SquareDifferences(g, ButtonRect(Button::Maximize, g.width), *sim, name);
}

void Press(const Geometry& g, int x, int y) {
    PointerTo(g.x + x, g.y + y);
    ButtonDown();
}

void ClickAt(const Geometry& g, int x, int y) {
    PointerTo(g.x + x, g.y + y);
    Click();
}

class DesktopScenario : public ::testing::TestWithParam<bool> {};

TEST_P(DesktopScenario, CommandsTitleBarGripsAndTheWindowManagersStates) {
    const bool wine = GetParam();
    const std::string name = WindowManager() + (wine ? "-wine" : "-tarvik");
    PointerTo(2, 2);
    std::string error;
    auto program = wine ? std::make_unique<Program>(TARVIK_WIN64_EXE, name + ".log")
                        : std::make_unique<Program>(std::vector<std::string>{TARVIK_GTK_EXE}, name + ".log");
    const auto started = StartAndWaitForWindow(*program, &error);
    ASSERT_TRUE(started) << error;
    const auto work = WorkArea();
    ASSERT_TRUE(work) << "cannot read the work area";
    const std::string id = std::to_string(program->Window());
    Geometry g = *started;

    // Undecorated: the window manager adds no frame (mutter says nothing of one it has not made).
    // Shaped: the top-left corner shows the desktop.
    const std::string frame = Property(program->Window(), "_NET_FRAME_EXTENTS");
    EXPECT_TRUE(frame.find("= 0, 0, 0, 0") != std::string::npos || frame.find("not found") != std::string::npos)
        << "expected no window-manager frame; " << frame;
    const auto shot = Screenshot(OutPath(name + "-start.png"), &error);
    ASSERT_TRUE(shot) << error;
    const Pixel corner = shot->At(g.x, g.y), beside = shot->At(g.x - 1, g.y);
    EXPECT_TRUE(std::abs(corner.r - beside.r) + std::abs(corner.g - beside.g) + std::abs(corner.b - beside.b) <= kBackdropShading)
        << "expected the desktop at the window's cut corner: " << ToString(corner) << " there, " << ToString(beside)
        << " beside the window (" << OutPath(name + "-start.png") << ")";

    // Maximize and restore by the button.
    const Rect maxButton = ButtonRect(Button::Maximize, g.width);
    ClickAt(g, maxButton.x + 8, maxButton.y + 8);
    ASSERT_EQ(program->WaitForGeometry(*work), *work) << "expected the maximize button to fill the work area";
    ClickAt(*work, ButtonRect(Button::Maximize, work->width).x + 8, maxButton.y + 8);
    ASSERT_EQ(program->WaitForGeometry(g), g) << "expected the restore button to bring back the start window";

    // Double-clicks on the title bar, quick taps and 50 ms presses: each one toggles the state.
    const std::pair<const char*, void (*)()> kinds[] = {{"quick taps", [] { DoubleClick(); }}, {"50 ms presses", &SlowDoubleClick}};
    for (const auto& [kind, doubleClick] : kinds) {
        int toggled = 0;
        bool maximized = false;
        for (int i = 0; i < kDoubleClicks; ++i) {
            const Geometry& from = maximized ? *work : g;
            std::this_thread::sleep_for(500ms);  // past the double-click time: a fresh double-click
            PointerTo(from.x + 100, from.y + 8);
            doubleClick();
            const Geometry& want = maximized ? g : *work;
            if (program->WaitForGeometry(want, 3s) == want) {
                ++toggled;
                maximized = !maximized;
            }
        }
        EXPECT_EQ(toggled, kDoubleClicks) << "title-bar double-clicks by " << kind << " that maximized or restored";
        if (program->CurrentGeometry() == *work) ClickAt(*work, ButtonRect(Button::Maximize, work->width).x + 8, 16);
        ASSERT_EQ(program->WaitForGeometry(g), g) << "expected the start window after the " << kind << " "
                                                  << program->GeometryError();
    }

    // The title-bar drag moves the window by the pointer's distance.
    Press(g, 100, 8);
    std::this_thread::sleep_for(300ms);  // Wine hands the press to the window manager's move at once
    for (int step = 1; step <= 5; ++step) PointerTo(g.x + 100 + 10 * step, g.y + 8 + 8 * step);
    ButtonUp();
    g = {g.x + 50, g.y + 40, g.width, g.height};
    ASSERT_EQ(program->WaitForGeometry(g), g) << "expected the title-bar drag to move the window by (50, 40)";

    // The grips: pressed (from the right and bottom edges) and pulled; the edges they size follow
    // the pointer.
    const struct {
        const char* grip;
        int fromRight, fromBottom, dx, dy;
    } grips[] = {{"bottom", 150, 3, 0, 30}, {"right", 3, 60, 30, 0}, {"corner", 5, 5, 20, 20}};
    for (const auto& grip : grips) {
        Press(g, g.width - grip.fromRight, g.height - grip.fromBottom);
        PointerTo(g.x + g.width + (grip.dx ? grip.dx : -grip.fromRight), g.y + g.height + (grip.dy ? grip.dy : -grip.fromBottom));
        ButtonUp();
        g = {g.x, g.y, g.width + grip.dx, g.height + grip.dy};
        EXPECT_EQ(program->WaitForGeometry(g), g) << "after pulling the " << grip.grip << " grip by (" << grip.dx << ", " << grip.dy << ")";
        g = program->CurrentGeometry().value_or(g);
    }

    // Minimized by its button, back by a click on its taskbar entry.
    const Rect minButton = ButtonRect(Button::Minimize, g.width);
    ClickAt(g, minButton.x + 8, minButton.y + 8);
    // Mutter keeps a minimized window mapped; it says it is hidden.
    const auto shown = [&] {
        return Viewable(program->Window()) && WindowStateAtoms(program->Window()).find("HIDDEN") == std::string::npos;
    };
    EXPECT_TRUE(PollUntil([&] { return !shown(); }, 10s))
        << "expected the minimize button to hide the window; " << WindowStateAtoms(program->Window());
    const auto entry = TaskbarEntry(*work);
    ASSERT_TRUE(entry) << "expected the window's icon on the taskbar (" << OutPath("taskbar.png") << ")";
    PointerTo(entry->first, entry->second);
    Click();
    EXPECT_TRUE(PollUntil(shown, 10s)) << "expected the taskbar entry to bring the window back";
    EXPECT_EQ(program->WaitForGeometry(g), g) << "expected the window back where it was";

    // The window manager's maximize gives the program's maximized look (the restore face under
    // the maximize button), and its restore the normal one; also after a maximize by button.
    const auto wm = [&](const char* change) { wine::Run({"wmctrl", "-i", "-r", id, "-b", change}, "", 10s); };
    for (const bool byButton : {false, true}) {
        const std::string how = byButton ? "maximized by button" : "maximized by the window manager";
        if (byButton)
            ClickAt(g, ButtonRect(Button::Maximize, g.width).x + 8, 16);
        else
            wm("add,maximized_vert,maximized_horz");
        ASSERT_EQ(program->WaitForGeometry(*work), *work) << how;
        PointerTo(2, work->height - 2);
        const std::string shots = name + (byButton ? "-button" : "-wm");
        EXPECT_EQ(MaximizeSquareDifferences(*work, true, shots + "-maximized"), 0) << how << ": expected the restore face";
        if (byButton && wine && WindowManager() == "kwin") {
            // Wine asks KWin for the maximized rectangle along with the state, KWin keeps that as the
            // size to restore, and Wine hears of a restore only through a size change: the window
            // manager's restore goes unnoticed (docs/desktops.md). Restored by the button instead.
            std::printf("not checked under KWin with Wine: the window manager's restore after a maximize by button\n");
            ClickAt(*work, ButtonRect(Button::Maximize, work->width).x + 8, 16);
            ASSERT_EQ(program->WaitForGeometry(g), g) << "expected the restore button to bring the window back";
            continue;
        }
        wm("remove,maximized_vert,maximized_horz");
        EXPECT_EQ(program->WaitForGeometry(g), g) << how << ", then restored by the window manager";
        EXPECT_EQ(MaximizeSquareDifferences(g, false, shots + "-restored"), 0)
            << how << ", then restored by the window manager: expected the maximize glyph; the window's states: "
            << WindowStateAtoms(program->Window());
        if (program->CurrentGeometry() != g) return;  // the states disagree now: the rest would only repeat it
    }

    ExpectClosedByButton(*program, g);
}

INSTANTIATE_TEST_SUITE_P(Programs, DesktopScenario, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wine" : "Tarvik"; });

}  // namespace
}  // namespace tarvik::desktop
