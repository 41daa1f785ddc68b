// Driving the native program, tarvik, on a virtual desktop (Xvfb, openbox, tint2) as a user
// would, on top of the xdotool harness of the Wine tests.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/wine/harness.h"

namespace tarvik::desktop {

// tarvik started and its window found at the centred start place; fails the test otherwise.
struct Started {
    std::unique_ptr<wine::Program> program;
    wine::Geometry window;
};
// Starts the program; nullopt with why in *error if its window did not come up centred.
std::optional<Started> StartTarvik(const std::string& logName, std::string* error);

// Polls screenshots until the window at g agrees with the simulated host's frame made by
// simCommands (pixels inside the outline exactly, outside it the empty black desktop); the last result.
// Pictures go to OutPath(name + "-screen.png"), "-sim.png" and "-diff.png".
wine::Agreement AgreeWithSim(const wine::Geometry& g, const std::string& simCommands, const std::string& name);
// Frames agree when at least this share of the pixels match exactly (the text included).
inline constexpr double kRequiredPercent = 99.9;

// The tooltip window tarvik shows now, if any.
std::optional<wine::Geometry> ShownToolTip(unsigned long mainWindow);
// Waits up to 5 s for tarvik's tooltip and tells which of the four tooltip words it shows, by
// comparing its ink with each word rendered in GTK's default font; "" if no tooltip came. The
// screenshot goes to OutPath(name + ".png").
std::string ToolTipWord(unsigned long mainWindow, const std::string& name);

// Scenario commands for the simulated frame maximized by a title-bar double-click on a screen of
// the work area's size, the pointer then resting at (x, y).
std::string SimMaximized(const wine::Geometry& work, int x, int y);

// Where the taskbar shows the window's entry: the middle of the blue of its icon (the only blue
// in the taskbar strip below the work area); nullopt if there is none.
std::optional<std::pair<int, int>> TaskbarEntry(const wine::Geometry& work);

// The window's viewable state and _NET_WM_STATE atoms, as xprop reports them.
std::string WindowStateAtoms(unsigned long window);
bool Viewable(unsigned long window);
// Asks the window manager to minimize the window, or to activate it as the taskbar does.
void Minimize(unsigned long window);
void Activate(unsigned long window);
// The output of xprop for a property of the window (0: the root window).
std::string Property(unsigned long window, const std::string& name);

// An X server of the test's own, 1024 x 768 with no window manager: Xvfb on the first free display
// from :200 (the desktops take :150 to :199). Name() is "" if none came up (Error() says why).
class BareDisplay {
public:
    BareDisplay();
    ~BareDisplay() { Kill(); }
    BareDisplay(const BareDisplay&) = delete;
    BareDisplay& operator=(const BareDisplay&) = delete;
    const std::string& Name() const { return name_; }
    const std::string& Error() const { return error_; }
    // Ends the server under its clients, as a logout does, and leaves no socket or lock behind.
    void Kill();

private:
    std::unique_ptr<wine::Program> server_;
    int number_ = 0;
    std::string name_, error_;
};

}  // namespace tarvik::desktop
