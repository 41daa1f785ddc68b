// The native program as a Wayland client, on the compositor TARVIK_WL names
// (tools/with-wayland.sh): started as a Wayland window (not an X one), its face and cut corners
// as the simulated host draws them over the desktop, the program's own window menu on the title
// bar's right click, the maximize button's tooltip, maximize and restore by button (mutter: the
// maximized look; sway ignores the request: the normal look stays), sway's output at scale 2,
// the title-bar drag, the three grips (exact to the pixel), the compositor's maximize and
// restore, and close. A Wayland window cannot learn where it is: the test finds it on
// screenshots of the Xvfb screen under the compositor, where it differs from the empty desktop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/desktop/desktop.h"

namespace tarvik::desktop {
namespace {

using namespace wine;

constexpr int kDesktopTolerance = 24;  // a channel this far from the empty desktop is the window's
constexpr int kPopupPixels = 200;  // changed pixels that a popup (a menu, a tooltip) makes at least
constexpr int kPointerBox = 3;
constexpr int kOutputScale = 2;          // sway's output scale for the scaled look
constexpr double kScaledPercent = 95.0;  // as on X11 at GDK_SCALE=2: text is laid out at the scale         // pixels around the parked pointer that its picture may cover

// How a compositor's move follows the pointer: mutter from the press (xdg_toplevel.move finds
// the press by its serial), sway from where the pointer is when the move starts, which is past
// the program's drag threshold: the first step of the drag is not part of the move.
struct MoveAnchor {
    const char* compositor;
    bool fromPress;
};
constexpr MoveAnchor kMoveAnchors[] = {{"mutter", true}, {"sway", false}};

std::string Compositor() {
    const char* wl = std::getenv("TARVIK_WL");
    return wl ? wl : "";
}

// The screen's bottom-right corner, where the pointer rests while the window is looked for.
Geometry Screen() { return ScreenGeometry().value_or(Geometry{0, 0, 1024, 768}); }
void ParkPointer() { PointerTo(Screen().width - 1, Screen().height - 1); }

// The empty desktop once the compositor has drawn the parked pointer: the first screenshot that
// stays the same for kSteadyFor. A compositor under load draws a pointer move late, and nested
// mutter draws its pointer at the screen's origin until the first move reaches it.
constexpr auto kSteadyFor = 1500ms;
std::optional<Image> SteadyDesktop(const std::string& path, std::string* error) {
    PointerTo(Screen().width / 2, Screen().height / 2);  // a move, wherever the pointer was
    ParkPointer();
    std::optional<Image> steady;
    Clock::time_point since{};
    PollUntil([&] {
        auto shot = Screenshot(path, error);
        if (!shot) return false;
        if (!steady || shot->pixels != steady->pixels) {
            steady = std::move(shot);
            since = Clock::now();
            return false;
        }
        return Clock::now() - since >= kSteadyFor;
    }, 30s, 250ms);
    return steady;
}

bool Differs(const Pixel& a, const Pixel& b) {
    return std::abs(a.r - b.r) > kDesktopTolerance || std::abs(a.g - b.g) > kDesktopTolerance ||
           std::abs(a.b - b.b) > kDesktopTolerance;
}

// The box of the pixels that differ from the empty desktop (the parked pointer left out).
std::optional<Geometry> ShownBox(const Image& desktop, const Image& shot) {
    int left = shot.width, top = shot.height, right = -1, bottom = -1;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            if (x >= shot.width - kPointerBox && y >= shot.height - kPointerBox) continue;
            if (!Differs(shot.At(x, y), desktop.At(x, y))) continue;
            left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
        }
    if (right < 0) return std::nullopt;
    return Geometry{left, top, right - left + 1, bottom - top + 1};
}

// How many pixels of the box differ between two screenshots.
int ChangedPixels(const Image& before, const Image& after, const Geometry& box) {
    int changed = 0;
    for (int y = box.y; y < box.y + box.height; ++y)
        for (int x = box.x; x < box.x + box.width; ++x) changed += Differs(before.At(x, y), after.At(x, y)) ? 1 : 0;
    return changed;
}

// Waits until the box on screen has at least (shown) or fewer than (not shown) kPopupPixels
// changed since `before`; the count last seen. what names the screenshots.
int WaitForPopup(const Image& before, const Geometry& box, bool shown, const std::string& what) {
    int changed = 0;
    PollUntil([&] {
        std::string error;
        const auto shot = Screenshot(OutPath(Compositor() + "-wl-" + what + (shown ? "-shown.png" : "-gone.png")), &error);
        changed = shot ? ChangedPixels(before, *shot, box) : 0;
        return shown == (changed >= kPopupPixels);
    }, 10s, 200ms);
    return changed;
}

// Finds the window on screenshots, with the pointer parked, until want (or, without one, any
// window) shows; the last box seen.
class Finder {
public:
    explicit Finder(Image desktop) : desktop_(std::move(desktop)) {}
    std::optional<Geometry> WaitFor(const std::optional<Geometry>& want, Clock::duration timeout = 10s) {
        ParkPointer();
        std::optional<Geometry> box;
        PollUntil([&] {
            std::string error;
            const auto shot = Screenshot(OutPath(Compositor() + "-wl-screen.png"), &error);
            box = shot ? ShownBox(desktop_, *shot) : std::nullopt;
            return box && (!want || *box == *want);
        }, timeout, 200ms);
        return box;
    }
    const Image& Desktop() const { return desktop_; }

private:
    Image desktop_;
};

// The simulated frame at the window's place over the empty desktop (outside the outline the
// desktop shows through the window's transparent corners), compared with the screen; only the
// part in `only` (window pixels) where one is given.
Agreement FaceOverDesktop(const Image& desktop, const Geometry& g, const std::string& commands, const std::string& name,
                          const std::optional<Rect>& only = std::nullopt) {
    std::string error;
    const auto sim = SimSnapshot(commands, OutPath(name + "-sim.png"), &error);
    Agreement result;
    if (!sim || sim->width != g.width || sim->height != g.height) {
        result.firstDifferences = sim ? "the simulated frame is " + std::to_string(sim->width) + " x " +
                                            std::to_string(sim->height) + ", the window " + ToString(g)
                                      : error;
        return result;
    }
    Image reference = *sim;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            Pixel& p = reference.pixels[static_cast<std::size_t>(y) * g.width + x];
            if (p.a == 0) p = desktop.At(g.x + x, g.y + y);
        }
    if (!only) return PollAgreement(reference, g.x, g.y, Rect{}, kRequiredPercent, name);
    Image part{only->width, only->height, {}};
    for (int y = 0; y < only->height; ++y)
        for (int x = 0; x < only->width; ++x) part.pixels.push_back(reference.At(only->x + x, only->y + y));
    return PollAgreement(part, g.x + only->x, g.y + only->y, Rect{}, kRequiredPercent, name);
}

// The window as sway's tree has it: its shell and rectangle ("xdg_shell x y w h"), or what went wrong.
std::string SwayNode() {
    constexpr const char* kFind =
        "import json, sys\n"
        "def walk(n):\n"
        "    if n.get('app_id') == sys.argv[1]:\n"
        "        r = n['rect']; print(n.get('shell'), r['x'], r['y'], r['width'], r['height']); return True\n"
        "    return any(walk(c) for c in n.get('nodes', []) + n.get('floating_nodes', []))\n"
        "walk(json.load(sys.stdin)) or print('no node with app_id', sys.argv[1])\n";
    const CommandResult tree = wine::Run({"swaymsg", "-r", "-t", "get_tree"}, "", 10s);
    if (tree.status != 0) return "swaymsg failed: " + tree.err;
    const CommandResult r = wine::Run({"python3", "-c", kFind, TARVIK_APP_ID}, tree.out, 10s);
    return r.out.empty() ? r.err : r.out.substr(0, r.out.find('\n'));
}

TEST(WaylandDesktop, TarvikAsAWaylandClient) {
    const std::string wl = Compositor();
    const char* input = std::getenv("TARVIK_INPUT_DISPLAY");
    ASSERT_TRUE(input && *input && std::getenv("WAYLAND_DISPLAY"))
        << "expected TARVIK_INPUT_DISPLAY and WAYLAND_DISPLAY (tools/with-wayland.sh)";
    // xdotool and the screenshots work on the Xvfb screen under the compositor; the program gets no X display.
    setenv("DISPLAY", input, 1);
    const std::string name = wl + "-wl-tarvik";
    std::string error;
    const auto desktop = SteadyDesktop(OutPath(wl + "-wl-desktop.png"), &error);
    ASSERT_TRUE(desktop) << error;
    Finder finder(*desktop);
    Program program(std::vector<std::string>{"/usr/bin/env", "-u", "DISPLAY", TARVIK_GTK_EXE}, name + ".log");
    ASSERT_TRUE(program.Started()) << program.StartError();

    // Up at its design size, wherever the compositor put it.
    const Geometry start = StartGeometry();
    std::optional<Geometry> shown;
    ASSERT_TRUE(PollUntil([&] {
        shown = finder.WaitFor(std::nullopt, 2s);
        return shown && shown->width == start.width && shown->height == start.height;
    }, 30s)) << "expected a " << start.width << " x " << start.height << " window; "
             << (shown ? ToString(*shown) : std::string("none")) << " shows\n" << program.Log();
    Geometry g = *shown;

    // A Wayland client: no X window of the program's on the screen under the compositor, and
    // sway's tree holds it as an xdg-shell window where it shows.
    EXPECT_EQ(wine::Run({"xdotool", "search", "--name", "^Lumenta$"}, "", 10s).out, "") << "expected no X window named Lumenta";
    if (wl == "sway") {
        EXPECT_EQ(SwayNode(), "xdg_shell " + std::to_string(g.x) + " " + std::to_string(g.y) + " " +
                                  std::to_string(g.width) + " " + std::to_string(g.height));
    }

    // The face as the simulated host draws it, no title bar of the compositor's, the desktop in the cut corners.
    const Agreement look = FaceOverDesktop(finder.Desktop(), g, "start", name + "-start");
    EXPECT_GE(look.Percent(), kRequiredPercent) << "expected the start frame over the desktop; " << look.Report();

    // The title bar's right click: neither compositor shows a window menu of its own, so the
    // program shows its own popup over the window; Escape closes it.
    {
        std::string shotError;
        const auto before = Screenshot(OutPath(name + "-before-menu.png"), &shotError);
        ASSERT_TRUE(before) << shotError;
        PointerTo(g.x + 100, g.y + 8);
        Click(3);
        const int opened = WaitForPopup(*before, g, true, "menu");
        EXPECT_GE(opened, kPopupPixels) << "expected the program's window menu over the window; " << opened << " pixels changed";
        Xdotool({"key", "Escape"});
        const int closed = WaitForPopup(*before, g, false, "menu");
        EXPECT_LT(closed, kPopupPixels) << "expected Escape to close the window menu; " << closed << " pixels still changed";
        // The maximize button's tooltip shows at the pointer, and goes with the pointer.
        PointAtButton(Button::Maximize, g);
        const int tip = WaitForPopup(*before, Screen(), true, "tooltip");
        EXPECT_GE(tip, kPopupPixels) << "expected the maximize button's tooltip; " << tip << " pixels changed";
        ParkPointer();
        const int gone = WaitForPopup(*before, Screen(), false, "tooltip");
        EXPECT_LT(gone, kPopupPixels) << "expected the tooltip to go with the pointer; " << gone << " pixels still changed";
    }

    // Maximize and restore by the button: requests the compositor answers. mutter maximizes and
    // the window takes the maximized look; sway leaves a floating window as it is, and the look
    // stays the normal one (the maximize glyph, both grips).
    const Geometry screen = Screen();
    ClickButton(Button::Maximize, g);
    if (wl == "sway") {
        EXPECT_EQ(finder.WaitFor(g), g) << "expected sway to keep the window as it was";
        const Agreement kept = FaceOverDesktop(finder.Desktop(), g, "start", name + "-maximize-ignored");
        EXPECT_GE(kept.Percent(), kRequiredPercent) << "expected the normal look after an ignored maximize; " << kept.Report();
        const Agreement glyph = FaceOverDesktop(finder.Desktop(), g, "start", name + "-maximize-glyph", ButtonRect(Button::Maximize, g.width));
        EXPECT_GE(glyph.Percent(), kRequiredPercent) << "expected the maximize glyph after an ignored maximize; " << glyph.Report();
    } else {
        EXPECT_EQ(finder.WaitFor(screen), screen) << "expected the maximize button to fill the screen";
        const Agreement maximized = FaceOverDesktop(finder.Desktop(), screen, SimMaximized(screen, screen.width - 1, screen.height - 1),
                                                    name + "-maximize-button");
        EXPECT_GE(maximized.Percent(), kRequiredPercent) << "expected the maximized look; " << maximized.Report();
        ClickButton(Button::Maximize, screen);
        EXPECT_EQ(finder.WaitFor(g), g) << "expected the restore button to bring back the start window";
    }

    // Sway's output at twice the scale while the program runs: the window comes back at twice
    // its pixels, drawn afresh at the scale (sharp artwork and text, as the simulated host draws
    // them), and at the old ones when the scale goes back. It is put at the output's corner first,
    // so that it stays on the screen.
    if (wl == "sway") {
        const std::string window = std::string("[app_id=\"") + TARVIK_APP_ID + "\"]";
        wine::Run({"swaymsg", window, "move", "position", "0", "0"}, "", 10s);
        const Geometry corner{0, 0, g.width, g.height};
        EXPECT_EQ(finder.WaitFor(corner), corner) << "expected sway to move the window to the corner";
        wine::Run({"swaymsg", "output", "*", "scale", std::to_string(kOutputScale)}, "", 10s);
        const Geometry scaled{0, 0, kOutputScale * g.width, kOutputScale * g.height};
        EXPECT_EQ(finder.WaitFor(scaled), scaled) << "expected the window at twice its pixels";
        const Agreement sharp = FaceOverDesktop(finder.Desktop(), scaled, "scale " + std::to_string(kOutputScale) + "\nstart", name + "-scale2");
        EXPECT_GE(sharp.Percent(), kScaledPercent) << "expected the start frame at scale " << kOutputScale << "; " << sharp.Report();
        wine::Run({"swaymsg", "output", "*", "scale", "1"}, "", 10s);
        EXPECT_EQ(finder.WaitFor(corner), corner) << "expected the window at its own pixels again";
        g = corner;
    }

    // The title-bar drag moves the window by the pointer's distance.
    PointerTo(g.x + 100, g.y + 8);
    ButtonDown();
    for (int step = 1; step <= 5; ++step) PointerTo(g.x + 100 + 10 * step, g.y + 8 + 8 * step);
    ButtonUp();
    bool fromPress = true;
    for (const MoveAnchor& anchor : kMoveAnchors)
        if (wl == anchor.compositor) fromPress = anchor.fromPress;
    const int steps = fromPress ? 5 : 4;
    const Geometry moved{g.x + 10 * steps, g.y + 8 * steps, g.width, g.height};
    const auto afterDrag = finder.WaitFor(moved);
    EXPECT_EQ(afterDrag, moved) << "expected the title-bar drag to move the window by (" << 10 * steps << ", " << 8 * steps << ")";
    if (afterDrag && afterDrag->width == g.width && afterDrag->height == g.height) g = *afterDrag;

    // The grips: the edges they size follow the pointer.
    const struct {
        const char* grip;
        int fromRight, fromBottom, dx, dy;
    } grips[] = {{"bottom", 150, 3, 0, 30}, {"right", 3, 60, 30, 0}, {"corner", 5, 5, 20, 20}};
    for (const auto& grip : grips) {
        PointerTo(g.x + g.width - grip.fromRight, g.y + g.height - grip.fromBottom);
        ButtonDown();
        PointerTo(g.x + g.width + (grip.dx ? grip.dx : -grip.fromRight), g.y + g.height + (grip.dy ? grip.dy : -grip.fromBottom));
        ButtonUp();
        const Geometry want{g.x, g.y, g.width + grip.dx, g.height + grip.dy};
        const auto got = finder.WaitFor(want);
        EXPECT_EQ(got, want) << "after pulling the " << grip.grip << " grip by (" << grip.dx << ", " << grip.dy << "): expected "
                             << ToString(want) << ", got " << (got ? ToString(*got) : "none");
        if (got) g = *got;
    }

    // The compositor's own maximize and restore (mutter's Alt+F10) give the program's looks.
    if (wl == "mutter") {
        PointerTo(g.x + 100, g.y + 8);
        Xdotool({"key", "alt+F10"});
        EXPECT_EQ(finder.WaitFor(screen), screen) << "expected mutter's Alt+F10 to maximize the window";
        const Agreement maximized = FaceOverDesktop(finder.Desktop(), screen, SimMaximized(screen, screen.width - 1, screen.height - 1), name + "-maximized");
        EXPECT_GE(maximized.Percent(), kRequiredPercent) << "expected the maximized frame; " << maximized.Report();
        PointerTo(screen.width / 2, 8);
        Xdotool({"key", "alt+F10"});
        EXPECT_EQ(finder.WaitFor(g), g) << "expected mutter's Alt+F10 to restore the window";
    }

    ExpectClosedByButton(program, g);
}

}  // namespace
}  // namespace tarvik::desktop
