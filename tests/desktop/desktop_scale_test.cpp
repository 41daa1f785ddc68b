// The native program on a desktop at twice the scale (GDK_SCALE=2 on a 2048 x 1536 screen, set
// by the test's environment): the start window at twice the size and centred, its frame the
// simulated host's at the same scale, a corner-grip drag by the pointer's device distance, and
// the maximize command, ending with a close by the button.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/desktop/desktop.h"

namespace tarvik::desktop {
namespace {

using namespace wine;

constexpr int kScale = 2;

// The top-level window under the pointer, as xdotool names it.
std::string TopLevelUnderPointer() {
    const std::string where = Xdotool({"getmouselocation", "--shell"});
    const auto at = where.find("WINDOW=");
    return at == std::string::npos ? "" : where.substr(at);
}

// A caption button's device rectangle in a window of the given device width.
Rect DeviceButton(Button b, int width) {
    const Rect r = ButtonRect(b, width / kScale);
    return {r.x * kScale, r.y * kScale, r.width * kScale, r.height * kScale};
}

TEST(DesktopScale, TwiceTheSizeSharpAndFollowingThePointer) {
    PointerTo(2, 2);
    Program program(std::vector<std::string>{TARVIK_GTK_EXE}, "scale2.log");
    ASSERT_TRUE(program.WaitForWindow()) << "expected the window within 30 s\n" << program.Log();
    // The layout centres 290 x 231 on 1024 x 768 at (367, 269); each layout pixel is 2 x 2.
    const Geometry start{367 * kScale, 269 * kScale, 290 * kScale, 231 * kScale};
    ASSERT_EQ(program.WaitForGeometry(start), start) << "expected the start window twice the size, centred";

    const Agreement a = AgreeWithSim(start, "scale 2\nscreen 2048 1536\nstart", "scale2");
    std::printf("scale 2 frame: %.3f%% of %ld pixels agree\n", a.Percent(), a.compared);
    EXPECT_GE(a.Percent(), 95.0) << "expected the frame of the simulated host at scale 2:\n" << a.firstDifferences;

    // The corner grip (layout 273..290, 214..231) held and moved 100 device pixels past a first
    // step: the corner follows the pointer in device pixels. The window's top lies half a layout
    // pixel above its first shown row (it is centred in twips), so its height has that pixel more.
    const int gx = start.x + 281 * kScale, gy = start.y + 222 * kScale;
    PointerTo(gx, gy);
    ButtonDown();
    PointerTo(gx + 20, gy + 20);
    PointerTo(gx + 120, gy + 120);
    ButtonUp();
    const Geometry grown{start.x, start.y, gx + 120 - start.x, gy + 120 - start.y + kScale};
    EXPECT_EQ(program.WaitForGeometry(grown), grown) << "expected the window's corner at the pointer";

    const Rect max = DeviceButton(Button::Maximize, grown.width);
    PointerTo(grown.x + max.x + max.width / 2, grown.y + max.y + max.height / 2);
    Click();
    const auto work = WorkArea();
    ASSERT_TRUE(work);
    EXPECT_EQ(program.WaitForGeometry(*work), *work) << "expected the maximized window over the work area";

    // The window manager shapes its frame after the window's new outline: on a busy machine the
    // close button's corner can still fall through to the desktop for a moment after the window
    // has its size. Click once the pointer there is over the same top-level window as the centre.
    PointerTo(work->x + work->width / 2, work->y + work->height / 2);
    const std::string ours = TopLevelUnderPointer();
    const Rect close = DeviceButton(Button::Close, work->width);
    PointerTo(work->x + close.x + close.width / 2, work->y + close.y + close.height / 2);
    for (const auto until = Clock::now() + 10s; TopLevelUnderPointer() != ours && Clock::now() < until;)
        std::this_thread::sleep_for(20ms);
    Click();
    EXPECT_EQ(program.WaitForExit(15s), 0) << "expected the program to end with status 0 after the close button";
}

}  // namespace
}  // namespace tarvik::desktop
