// The window commands under Wine: moving the window by its title bar, maximizing and restoring
// with the maximize button and with a double-click on the title bar.
#include <gtest/gtest.h>

#include "tests/wine/harness.h"

namespace tarvik::wine {
namespace {

TEST(WineWindowCommands, TitleBarDragMovesAndMaximizeRestoreByButtonAndDoubleClick) {
    PointerTo(2, 2);
    std::string error;
    const auto screen = ScreenGeometry();
    ASSERT_TRUE(screen) << "cannot read the screen size with xdotool";
    // On a screen without a window manager the work area is the whole screen.
    const Geometry workArea{0, 0, screen->width, screen->height};

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

    const Rect maxButton = ButtonRect(Button::Maximize, g.width);
    {
        SCOPED_TRACE("maximize button");
        PointerTo(g.x + maxButton.x + 8, g.y + maxButton.y + 8);
        Click();
        const auto now = program.WaitForGeometry(workArea);
        ASSERT_EQ(now, workArea) << "expected a click on the maximize button to fill the work area "
                                 << ToString(workArea) << ", got " << (now ? ToString(*now) : program.GeometryError());
    }
    {
        SCOPED_TRACE("maximized frame");
        // The same clicks in the simulated host, then the pointer to the same spot on the face.
        const auto sim = SimStartGeometry(&error);
        ASSERT_TRUE(sim) << error;
        const int faceX = 500, faceY = 400;
        PointerTo(faceX, faceY);
        const std::string commands = "start\nmove " + std::to_string(sim->x + maxButton.x + 8) + " " +
                                     std::to_string(sim->y + maxButton.y + 8) + "\ndown left\nup left\nmove " +
                                     std::to_string(faceX) + " " + std::to_string(faceY) + "\n";
        const auto reference = SimSnapshot(commands, OutPath("maximized-sim.png"), &error);
        ASSERT_TRUE(reference) << error;
        ASSERT_EQ(reference->width, workArea.width) << "the simulated host did not maximize to the screen";
        std::optional<Image> shot;
        Agreement agreement;
        PollUntil(
            [&] {
                shot = Screenshot(OutPath("maximized-wine.png"), &error);
                if (!shot) return false;
                agreement = Compare(*shot, 0, 0, *reference, kCaptionTextBox, 0);
                return agreement.Percent() >= kRequiredAgreementPercent;
            },
            10s, 200ms);
        ASSERT_TRUE(shot) << error;
        agreement = Compare(*shot, 0, 0, *reference, kCaptionTextBox, 0, OutPath("maximized-diff.png"));
        std::printf("maximized frame: %.3f%% of %ld pixels agree exactly\n", agreement.Percent(), agreement.compared);
        EXPECT_GE(agreement.Percent(), kRequiredAgreementPercent)
            << "expected the maximized window and the simulated host's to agree on at least "
            << kRequiredAgreementPercent << "% of the pixels; " << agreement.agreeing << " of " << agreement.compared
            << " agree. First differences:\n"
            << agreement.firstDifferences << "Pictures: " << OutPath("maximized-wine.png") << ", "
            << OutPath("maximized-sim.png") << ", " << OutPath("maximized-diff.png");
    }
    {
        SCOPED_TRACE("restore button");
        const Rect restore = ButtonRect(Button::Maximize, workArea.width);
        PointerTo(workArea.x + restore.x + 8, workArea.y + restore.y + 8);
        Click();
        const auto now = program.WaitForGeometry(g);
        ASSERT_EQ(now, g) << "expected a second click on the maximize button to restore the window to "
                          << ToString(g) << ", got " << (now ? ToString(*now) : program.GeometryError());
    }
    {
        SCOPED_TRACE("title-bar double-click");
        PointerTo(g.x + 150, g.y + 8);
        DoubleClick();
        auto now = program.WaitForGeometry(workArea);
        ASSERT_EQ(now, workArea) << "expected a double-click on the title bar to maximize to " << ToString(workArea)
                                 << ", got " << (now ? ToString(*now) : program.GeometryError());
        PointerTo(workArea.x + 150, workArea.y + 8);
        DoubleClick();
        now = program.WaitForGeometry(g);
        ASSERT_EQ(now, g) << "expected a second double-click on the title bar to restore the window to "
                          << ToString(g) << ", got " << (now ? ToString(*now) : program.GeometryError());
    }

    const auto status = CloseByButton(program, g);
    ASSERT_TRUE(status) << "expected the program to end after a click on the close button; it still runs";
    EXPECT_EQ(*status, 0) << "expected exit status 0, got " << *status;
}

}  // namespace
}  // namespace tarvik::wine
