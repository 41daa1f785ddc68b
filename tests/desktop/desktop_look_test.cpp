// The native program as a user first sees it on a desktop with a window manager and a taskbar:
// where the window opens, its outline, its frame against the simulated host's, its taskbar entry,
// the caption buttons' hover and pressed pictures, their tooltips' words, and the close button.
#include <gtest/gtest.h>

#include "tests/desktop/desktop.h"

namespace tarvik::desktop {
namespace {

using namespace wine;

// A point on the bare face of the start window, clear of every element.
constexpr int kFaceX = 150, kFaceY = 120;

std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

TEST(DesktopWindow, OpensCentredShapedAndLikeTheSimulatedFrameWithATaskbarEntry) {
    PointerTo(2, 2);
    std::string error;
    auto started = StartTarvik("start.log", &error);
    ASSERT_TRUE(started) << error;
    const Geometry g = started->window;
    const unsigned long window = started->program->Window();

    // Inside the outline the same pixels as the simulated host, text included; outside it the desktop.
    const Agreement a = AgreeWithSim(g, "start", "start");
    std::printf("start frame: %.3f%% of %ld pixels agree\n", a.Percent(), a.compared);
    EXPECT_GE(a.Percent(), kRequiredPercent) << "expected the window to agree with the simulated frame; "
                                             << a.agreeing << " of " << a.compared << " agree:\n"
                                             << a.firstDifferences;

    // A normal top-level window: titled, with both icon sizes, listed for the taskbar.
    const std::string icon = Property(window, "_NET_WM_ICON");
    EXPECT_NE(icon.find("Icon (32 x 32)"), std::string::npos) << "expected a 32 x 32 window icon, got\n" << icon.substr(0, 200);
    EXPECT_NE(icon.find("Icon (16 x 16)"), std::string::npos) << "expected a 16 x 16 window icon";
    EXPECT_EQ(WindowStateAtoms(window).find("SKIP_TASKBAR"), std::string::npos) << "expected a taskbar entry";
    const std::string clients = Property(0, "_NET_CLIENT_LIST");
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", window);
    EXPECT_NE(clients.find(hex), std::string::npos) << "expected the window manager to manage " << hex << ": " << clients;

    ExpectClosedByButton(*started->program, g);
}

TEST(DesktopWindow, CaptionButtonsShowTheirPicturesAndTooltipsWithTheirWords) {
    PointerTo(2, 2);
    std::string error;
    auto started = StartTarvik("buttons.log", &error);
    ASSERT_TRUE(started) << error;
    const Geometry g = started->window;
    const unsigned long window = started->program->Window();

    const struct {
        Button button;
        const char* word;
    } cases[] = {{Button::Minimize, "最小化"}, {Button::Maximize, "最大化"}, {Button::Close, "关闭"}};
    for (const auto& c : cases) {
        const std::string name = ButtonName(c.button);
        SCOPED_TRACE(name + " button");
        const Rect r = ButtonRect(c.button, g.width);
        const int bx = g.x + r.x + 8, by = g.y + r.y + 8;
        const std::string moves = "start\nmove " + At(g.x + kFaceX, g.y + kFaceY) + "\nmove " + At(bx, by) + "\n";
        for (const bool pressed : {false, true}) {
            const std::string look = name + (pressed ? "-pressed" : "-hover");
            const auto sim = SimSnapshot(moves + (pressed ? "down left\n" : ""), OutPath(look + "-sim.png"), &error);
            ASSERT_TRUE(sim) << error;
            if (pressed) {
                ButtonDown();
            } else {
                PointerTo(g.x + kFaceX, g.y + kFaceY);
                PointerTo(bx, by);
            }
            const long differences = SquareDifferences(g, r, *sim, look);
            EXPECT_EQ(differences, 0) << "expected the " << look << " picture of the simulated host in " << ToString(r)
                                      << "; " << differences << " pixels differ (" << OutPath(look + ".png") << ")";
            if (pressed) {
                EXPECT_TRUE(PollUntil([&] { return !ShownToolTip(window); }, 3s)) << "expected the tooltip gone on the press";
                break;
            }
            // At rest on the button, the tooltip comes with the button's word.
            EXPECT_EQ(ToolTipWord(window, name + "-tooltip"), c.word);
        }
        // Released away from the button: no command runs, the window stays as it was.
        PointerTo(g.x + kFaceX, g.y + kFaceY);
        ButtonUp();
        EXPECT_EQ(started->program->CurrentGeometry(), g) << "a release away from the " << name << " button changed the window";
        ASSERT_TRUE(started->program->Running()) << "a release away from the close button ended the program";
    }

    // Maximized, the maximize button's tooltip follows its new text.
    ClickButton(Button::Maximize, g);
    const auto work = WorkArea();
    ASSERT_TRUE(work);
    ASSERT_EQ(started->program->WaitForGeometry(*work), *work) << "expected the window to fill the work area";
    PointerTo(work->x + kFaceX, work->y + kFaceY);
    PointAtButton(Button::Maximize, *work);
    EXPECT_EQ(ToolTipWord(window, "restore-tooltip"), "还原");

    ExpectClosedByButton(*started->program, *work);
}

}  // namespace
}  // namespace tarvik::desktop
