// The native program where the display is not the usual desktop: an X server without a window
// manager (the program maximizes and restores itself; a window manager that comes and, as it
// ends, gives the maximized window its normal size back leaves a normal window whose grips size
// it; the minimize is refused), then that server killed under it (it names the display it lost
// and ends with status 1); and a window manager replaced while the window is maximized, then
// killed, with a restore after each (the X window comes back to the size the program draws).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "tests/desktop/desktop.h"

namespace tarvik::desktop {
namespace {

using namespace wine;

constexpr int kFaceX = 150, kFaceY = 120;  // a point on the bare face, clear of every element

// A file's whole text ("" if it cannot be read).
std::string FileText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether the window manager in charge is Openbox, and manages the window.
bool OpenboxManages(unsigned long window) {
    return wine::Run({"wmctrl", "-m"}, "", 10s).out.find("Name: Openbox") != std::string::npos &&
           Property(window, "_OB_APP_TYPE").find("normal") != std::string::npos;
}

// Whether no window manager runs (wmctrl finds none).
bool NoWindowManager() { return wine::Run({"wmctrl", "-m"}, "", 10s).status != 0; }

TEST(BareDisplay, MaximizeFillsTheScreenRestoreAndGripsSizeAndTheLostServerIsNamed) {
    BareDisplay display;
    ASSERT_FALSE(display.Name().empty()) << display.Error();
    setenv("DISPLAY", display.Name().c_str(), 1);
    PointerTo(2, 2);
    // Standard error apart, for the lost display's message.
    const std::string errors = OutPath("bare-stderr.txt");
    Program program({"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", TARVIK_GTK_EXE, errors}, "bare.log");
    std::string error;
    const auto started = StartAndWaitForWindow(program, &error);
    ASSERT_TRUE(started) << error << FileText(errors);
    const Geometry g = *started;
    const auto screen = ScreenGeometry();
    ASSERT_TRUE(screen) << "cannot read the screen's size";

    // Maximized by the button: the whole screen, drawn as the simulated frame of that size.
    ClickButton(Button::Maximize, g);
    ASSERT_EQ(program.WaitForGeometry(*screen), *screen) << "expected the maximize button to fill the screen";
    PointerTo(kFaceX, kFaceY);
    const Agreement maximized = AgreeWithSim(*screen, SimMaximized(*screen, kFaceX, kFaceY), "bare-maximized");
    EXPECT_GE(maximized.Percent(), kRequiredPercent) << "maximized frame:\n" << maximized.firstDifferences;

    // Restored by the button, back to the start window and its frame.
    ClickButton(Button::Maximize, *screen);
    ASSERT_EQ(program.WaitForGeometry(g), g) << "expected the restore button to bring back the start window";
    PointerTo(2, 2);
    const Agreement restored = AgreeWithSim(g, "start", "bare-restored");
    EXPECT_GE(restored.Percent(), kRequiredPercent) << "restored frame:\n" << restored.firstDifferences;

    // Openbox comes and maximizes the window; as it ends it gives the window its normal size back,
    // still marked maximized: the window is a normal one again.
    auto openbox = std::make_unique<Program>(std::vector<std::string>{"/usr/bin/openbox", "--sm-disable"}, "bare-openbox.log");
    ASSERT_TRUE(PollUntil([&] { return OpenboxManages(program.Window()); }, 30s)) << "expected Openbox to manage the window";
    ClickButton(Button::Maximize, g);
    ASSERT_EQ(program.WaitForGeometry(*screen), *screen) << "expected Openbox to maximize the window to the screen";
    PointerTo(g.x + kFaceX, g.y + kFaceY);  // on the bare face at either size: no button's hover look
    wine::Run({"/usr/bin/openbox", "--exit"}, "", 10s);
    ASSERT_TRUE(PollUntil(&NoWindowManager, 30s)) << "expected Openbox to end";
    ASSERT_EQ(program.WaitForGeometry(g), g) << "expected Openbox to give the window its normal size back as it ended";
    PointerTo(2, 2);
    const Agreement left = AgreeWithSim(g, "start", "bare-openbox-gone");
    EXPECT_GE(left.Percent(), kRequiredPercent) << "frame once Openbox had gone:\n" << left.firstDifferences;
    openbox.reset();  // it may hang in XCloseDisplay as it ends (docs/desktops.md)

    // The minimize is refused (nothing to minimize into); the corner grip sizes the window as it
    // sizes the simulated one.
    ClickButton(Button::Minimize, g);
    const int fromX = g.x + g.width - 5, fromY = g.y + g.height - 5, toX = fromX + 20, toY = fromY + 20;
    PointerTo(fromX, fromY);
    ButtonDown();
    PointerTo(toX, toY);
    ButtonUp();
    const std::string drag = "start\nmove " + std::to_string(fromX) + " " + std::to_string(fromY) + "\ndown left\nmove " +
                             std::to_string(toX) + " " + std::to_string(toY) + "\nup left\n";
    const auto sim = SimSnapshot(drag, OutPath("bare-grip-sim.png"), &error);
    ASSERT_TRUE(sim) << error;
    const Geometry pulled{g.x, g.y, sim->width, sim->height};
    ASSERT_NE(pulled, g) << "the simulated corner drag changed nothing";
    EXPECT_EQ(program.WaitForGeometry(pulled), pulled) << "after pulling the corner grip by (20, 20)";
    EXPECT_TRUE(Viewable(program.Window())) << "expected the minimize to be refused without a window manager";
    const Agreement sized = AgreeWithSim(pulled, drag, "bare-grip");
    EXPECT_GE(sized.Percent(), kRequiredPercent) << "frame after the grip:\n" << sized.firstDifferences;

    // The program's own window menu (Alt+Space) maximizes and restores it there too; the keys
    // pass over the items not offered.
    const auto choose = [&](const std::vector<std::string>& keys) {
        Xdotool({"key", "alt+space"});
        EXPECT_TRUE(PollUntil([&] { return ShownToolTip(program.Window()).has_value(); }, 10s)) << "expected the window menu";
        for (const std::string& key : keys) Xdotool({"key", key});
    };
    PointerTo(pulled.x + kFaceX, pulled.y + kFaceY);
    choose({"Down", "Down", "Return"});  // Move, then Maximize (Restore and Minimize are not offered)
    EXPECT_EQ(program.WaitForGeometry(*screen), *screen) << "expected the window menu's Maximize to fill the screen";
    choose({"Down", "Return"});  // Restore
    EXPECT_EQ(program.WaitForGeometry(pulled), pulled) << "expected the window menu's Restore to bring the window back";

    // The X server goes under the running program.
    display.Kill();
    const auto status = program.WaitForExit(30s);
    ASSERT_TRUE(status) << "expected the program to end once its X server was gone";
    EXPECT_EQ(*status, 1);
    const std::string said = FileText(errors);
    EXPECT_NE(said.find("tarvik: lost the connection to the X display " + display.Name()), std::string::npos)
        << "expected standard error to name the lost display " << display.Name() << "; it said: \"" << said << "\"";
}

TEST(ReplacedWindowManager, RestoreAfterTheManagerChangedBringsTheWindowToTheDrawnSize) {
    PointerTo(2, 2);
    std::string error;
    auto started = StartTarvik("replaced.log", &error);
    ASSERT_TRUE(started) << error;
    Program& program = *started->program;
    const Geometry g = started->window;
    const auto work = WorkArea();
    ASSERT_TRUE(work) << "cannot read the work area";
    const auto restoreAndCheck = [&](const std::string& name) {
        ClickButton(Button::Maximize, *work);
        EXPECT_EQ(program.WaitForGeometry(g), g) << name << ": expected the restore button to bring back the start window";
        PointerTo(2, 2);
        const Agreement a = AgreeWithSim(g, "start", name);
        EXPECT_GE(a.Percent(), kRequiredPercent) << name << ": expected the start frame in the window:\n" << a.firstDifferences;
    };

    // Maximized under the desktop's window manager, which Openbox then replaces: Openbox knows the
    // window only maximized, and restores it to that size.
    ClickButton(Button::Maximize, g);
    ASSERT_EQ(program.WaitForGeometry(*work), *work) << "expected the maximize button to fill the work area";
    auto openbox = std::make_unique<Program>(std::vector<std::string>{"/usr/bin/openbox", "--replace", "--sm-disable"},
                                             "replacing-openbox.log");
    ASSERT_TRUE(PollUntil([&] { return OpenboxManages(program.Window()); }, 30s))
        << "expected Openbox to take the window over; " << openbox->Log();
    ASSERT_EQ(program.WaitForGeometry(*work), *work) << "expected Openbox to keep the window maximized";
    restoreAndCheck("replaced-restored");

    // Maximized again, and Openbox killed: no window manager answers the restore.
    ClickButton(Button::Maximize, g);
    ASSERT_EQ(program.WaitForGeometry(*work), *work) << "expected the maximize button to fill the work area under Openbox";
    openbox.reset();
    ASSERT_TRUE(PollUntil(&NoWindowManager, 30s))
        << "expected no window manager once Openbox was killed";
    restoreAndCheck("killed-restored");

    ExpectClosedByButton(program, g);
}

}  // namespace
}  // namespace tarvik::desktop
