// Caption buttons: hover and pressed looks, and the window commands they run.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/form1.h"
#include "host/twips.h"
#include "tests/support.h"

namespace tarvik {
namespace {

using test::Rgba;

// Start-size positions in window pixels.
constexpr int kMinX = 224, kMaxX = 245, kCloseX = 266, kButtonY = 15;
constexpr int kFaceX = 150, kFaceY = 100;

class CaptionTest : public ::testing::Test {
protected:
    void SetUp() override { sim.Do("start"); }
    void MoveTo(int x, int y) { sim.MoveToWindow(x, y); }
    void Click(int x, int y, const std::string& button = "left") {
        MoveTo(x, y);
        sim.Do("down " + button + "\nup " + button);
    }
    std::string Look(Elem e) { return sim.Look(e); }
    test::Sim sim;
};

TEST_F(CaptionTest, HoverShowsOncePerEntryAndTheFaceResetsIt) {
    MoveTo(kMinX, kButtonY);
    EXPECT_EQ(Look(Elem::Immin), "A9/1") << "hover picture and marker";
    sim.Host().SetPicture(Elem::Immin, tarvik::Picture::A10);  // a marked button is not re-pictured by moves
    MoveTo(kMinX + 2, kButtonY + 1);
    EXPECT_EQ(Look(Elem::Immin), "A10/1");
    MoveTo(kFaceX, kFaceY);
    EXPECT_EQ(Look(Elem::Immin), "/") << "a face move puts the button at rest";
    MoveTo(kMinX, kButtonY);
    EXPECT_EQ(Look(Elem::Immin), "A9/1") << "coming back shows the hover picture again";
}

TEST_F(CaptionTest, EachButtonHasItsOwnLooks) {
    struct Case {
        Elem button;
        int x;
        const char* hover;
        const char* pressed;
    };
    for (const Case& c : {Case{Elem::Immin, kMinX, "A9/1", "A10/1"}, Case{Elem::Immax, kMaxX, "A7/1", "A8/1"},
                          Case{Elem::Imclose, kCloseX, "A11/1", "A12/1"}}) {
        MoveTo(c.x, kButtonY);
        EXPECT_EQ(Look(c.button), c.hover) << ElemName(c.button);
        sim.Do("down right");
        EXPECT_EQ(Look(c.button), c.pressed) << ElemName(c.button) << " pressed after hover keeps its marker";
        sim.Do("up right");
        EXPECT_EQ(Look(c.button), "/") << ElemName(c.button) << " released";
        MoveTo(kFaceX, kFaceY);
    }
}

TEST_F(CaptionTest, ASecondPressWithoutMovingIsPressedUnmarkedUntilItsFirstMove) {
    MoveTo(kMinX, kButtonY);
    sim.Do("down middle\nup middle\ndown middle");
    EXPECT_EQ(Look(Elem::Immin), "A10/") << "a quick second press is a press like any other: pressed picture, marker clear";
    sim.Do("up middle\nwait 600\ndown middle");
    EXPECT_EQ(Look(Elem::Immin), "A10/") << "a slow one too";
    MoveTo(kFaceX, kFaceY);  // held: the move goes to the button, even outside it
    EXPECT_EQ(Look(Elem::Immin), "A9/1") << "its first move shows the hover picture";
    sim.Do("up middle");
    EXPECT_EQ(Look(Elem::Immin), "/");
}

TEST_F(CaptionTest, NeighbouringButtonsCanHoverTogetherUntilTheFaceIsReached) {
    MoveTo(kMinX, kButtonY);
    MoveTo(kMaxX, kButtonY);  // jumps over the strip of face between them
    EXPECT_EQ(Look(Elem::Immin), "A9/1");
    EXPECT_EQ(Look(Elem::Immax), "A7/1");
    MoveTo(100, 8);  // the title bar is an element, not the face
    EXPECT_EQ(Look(Elem::Immax), "A7/1");
    MoveTo(kFaceX, kFaceY);
    EXPECT_EQ(Look(Elem::Immin) + Look(Elem::Immax), "//");
}

TEST_F(CaptionTest, ButtonsAndModifiersDoNotChangeTheLooks) {
    for (const char* press : {"down left shift", "down right ctrl", "down middle alt"}) {
        MoveTo(kCloseX, kButtonY);
        sim.Do(press);
        EXPECT_EQ(Look(Elem::Imclose), "A12/1") << press;
        sim.Do(std::string("up ") + (std::string(press).find("left") != std::string::npos ? "right" : "left"));
        EXPECT_EQ(Look(Elem::Imclose), "A12/1") << "releasing a button that is not held changes nothing";
        const std::string button = std::string(press).substr(5, std::string(press).find(' ', 5) - 5);
        MoveTo(kFaceX + 200, kFaceY);  // outside the button while held: no Click
        sim.Do("up " + button);
        EXPECT_EQ(Look(Elem::Imclose), "/") << press;
        EXPECT_TRUE(sim.Host().Running()) << "released outside the button: no close";
        MoveTo(kFaceX, kFaceY);
    }
}

// The state, the grips, the face under Immax and its tooltip after each click are StateLookTest's.
TEST_F(CaptionTest, MaximizeAndRestoreRoundTrip) {
    Click(kMaxX, kButtonY);
    auto& h = sim.Host();
    EXPECT_EQ(h.WindowGeometry().width, 1024.0f * 15);
    EXPECT_EQ(Look(Elem::Immax), "/") << "the command never touches the button's look";
    sim.Do("move 0 500\nsnapshot " + test::OutPath("maximized.png"));

    Click(972 + 5, kButtonY);  // Immax at 1024 - 52 = 972
    EXPECT_EQ(h.WindowGeometry().left, 5505.0f) << "back where it was";
    EXPECT_EQ(h.WindowGeometry().width, 4350.0f);
    // The maximize glyph is back under the button: the atlas cell at (98, 8).
    sim.Do("move 0 0");
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(sim.At(238 + x, 8 + y), test::Sim::PicturePixel(tarvik::Picture::A2, 98 + x, 8 + y));
}

TEST_F(CaptionTest, MaximizedButtonUsesTheRestoreLooks) {
    Click(kMaxX, kButtonY);
    sim.Do("move 0 500");
    MoveTo(972 + 3, kButtonY);
    EXPECT_EQ(Look(Elem::Immax), "A5/1");
    sim.Do("down right");
    EXPECT_EQ(Look(Elem::Immax), "A6/1");
    sim.Do("snapshot " + test::OutPath("maximized-pressed.png") + "\nup right");
}

TEST_F(CaptionTest, MinimizeThenRestoreReturnsToNormal) {
    Click(kMinX, kButtonY);
    EXPECT_EQ(sim.Host().WindowGeometry().state, kMinimized);
    sim.Do("minimize-restore");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kNormal);
    EXPECT_EQ(sim.Host().WindowGeometry().left, 5505.0f);
    EXPECT_EQ(sim.Host().Elements()[static_cast<int>(Elem::Immax)].toolTip, "最大化");
}

TEST_F(CaptionTest, RightClickDoesNotRunTheCommand) {
    Click(kCloseX, kButtonY, "right");
    EXPECT_TRUE(sim.Host().Running());
    Click(kMaxX, kButtonY, "middle");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kNormal);
}

TEST_F(CaptionTest, TooltipsShowAfterTheDelayAndFollowTheText) {
    MoveTo(kMaxX, kButtonY);
    sim.Do("wait 499");
    EXPECT_EQ(sim.Host().ShownToolTip(), "");
    sim.Do("wait 1");
    EXPECT_EQ(sim.Host().ShownToolTip(), "最大化");
    MoveTo(kMinX, kButtonY);
    EXPECT_EQ(sim.Host().ShownToolTip(), "") << "a new element starts a new delay";
    sim.Do("wait 500");
    EXPECT_EQ(sim.Host().ShownToolTip(), "最小化");
    MoveTo(100, 8);
    sim.Do("wait 1000");
    EXPECT_EQ(sim.Host().ShownToolTip(), "") << "the title bar has no tooltip";
    Click(kMaxX, kButtonY);  // maximize; the button moved away from under the pointer
    MoveTo(972 + 3, kButtonY);
    sim.Do("wait 600");
    EXPECT_EQ(sim.Host().ShownToolTip(), "还原");
}

TEST_F(CaptionTest, HoverAndPressedSnapshots) {
    MoveTo(kCloseX, kButtonY);
    sim.Do("snapshot " + test::OutPath("hover-close.png"));
    // The hover picture is shown over the button.
    EXPECT_EQ(sim.At(259 + 8, 8 + 8), test::Sim::PicturePixel(tarvik::Picture::A11, 8, 8));
    sim.Do("down right\nsnapshot " + test::OutPath("pressed-close.png"));
    EXPECT_EQ(sim.At(259 + 1, 8 + 1), test::Sim::PicturePixel(tarvik::Picture::A12, 1, 1));
    sim.Do("up right");
}

// One look for one state, whoever changed it: after every change of state, by the commands or by
// the system, the edge grips, the face under Immax and its tooltip are what the maximize command
// leaves for that state; the system's changes alone reach the window as OnWindowStateChanged.
TEST(StateLookTest, EveryPathToAStateGivesTheCommandsLook) {
    sim::SimHost host(1024, 768);
    Form1 form(host);
    test::FormSpy spy(host, form);
    host.Attach(&spy);
    host.Start();
    const auto click = [&](int x, int y) {
        host.PointerTo(host.PixelLeft() + x, host.PixelTop() + y);
        host.ButtonDown(kLeftButton, 0);
        host.ButtonUp(kLeftButton, 0);
        host.PointerTo(0, 500);  // off the buttons, so that their looks do not cover the face
    };
    // Whether the face under Immax shows the restore face (true) or the frame's maximize glyph.
    const auto restoreFaceShown = [&] {
        int w = 0, h = 0;
        const std::vector<std::uint32_t> shot = host.Snapshot(&w, &h);
        const PixelRect r = TwipsRectToPixels(host.ElemLeft(Elem::Immax), host.ElemTop(Elem::Immax), 240, 240);
        const auto at = [&](int x, int y) { return shot[static_cast<std::size_t>(r.y + y) * w + r.x + x] & 0xFFFFFF; };
        int same = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const test::Rgba p = test::Sim::PicturePixel(Picture::A4, x, y);
                same += at(x, y) == static_cast<std::uint32_t>(p.r << 16 | p.g << 8 | p.b);
            }
        return same == 256;
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        int state;
        int systemChanges;
    };
    const Step steps[] = {
        {"the system maximizes", [&] { host.SystemSetState(kMaximized); }, kMaximized, 1},
        {"the system restores", [&] { host.SystemSetState(kNormal); }, kNormal, 2},
        {"the maximize button maximizes", [&] { click(245, 15); }, kMaximized, 2},
        {"the system minimizes the maximized window", [&] { host.SystemSetState(kMinimized); }, kMinimized, 3},
        {"the taskbar brings it back maximized", [&] { host.RestoreFromMinimized(); }, kMaximized, 4},
        {"the minimize button minimizes the maximized window", [&] { click(972 - 21 + 3, 15); }, kMinimized, 4},
        {"the taskbar brings that back maximized", [&] { host.RestoreFromMinimized(); }, kMaximized, 5},
        {"the restore button restores", [&] { click(972 - host.PixelLeft() + 5, 15); }, kNormal, 5},
        {"the minimize button minimizes", [&] { click(224, 15); }, kMinimized, 5},
        {"the system maximizes the minimized window", [&] { host.SystemSetState(kMaximized); }, kMaximized, 6},
        {"a title-bar double-click restores", [&] {
             host.PointerTo(60, 8);
             for (int i = 0; i < 2; ++i) {
                 host.ButtonDown(kLeftButton, 0);
                 host.ButtonUp(kLeftButton, 0);
             }
             host.PointerTo(0, 500);
         }, kNormal, 6},
    };
    bool maximizedLook = false;  // what the window showed before the step
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        ASSERT_EQ(host.WindowGeometry().state, step.state);
        EXPECT_EQ(spy.systemChanges, step.systemChanges) << "the commands' own changes are not answered";
        // A minimized window keeps the look it had.
        if (step.state != kMinimized) maximizedLook = step.state == kMaximized;
        const ElementTable& e = host.Elements();
        EXPECT_EQ(e[static_cast<int>(Elem::Pbottom)].visible, !maximizedLook);
        EXPECT_EQ(e[static_cast<int>(Elem::Pright)].visible, !maximizedLook);
        EXPECT_TRUE(e[static_cast<int>(Elem::Pjiao)].visible);
        EXPECT_EQ(e[static_cast<int>(Elem::Immax)].toolTip, maximizedLook ? "还原" : "最大化");
        if (step.state != kMinimized) {
            EXPECT_EQ(restoreFaceShown(), maximizedLook) << "the face under Immax";
        }
    }
}

TEST_F(CaptionTest, SystemStateChangesThroughTheScenarioTool) {
    sim.Do("system-state maximized");
    auto& h = sim.Host();
    EXPECT_EQ(h.WindowGeometry().state, kMaximized);
    sim.Do("snapshot " + test::OutPath("system-maximized.png") + "\nsystem-state normal");
    EXPECT_EQ(h.WindowGeometry().left, 5505.0f) << "back where it was";
    EXPECT_EQ(sim.Refusal("system-state big"), "unknown window state 'big' (normal, minimized, maximized)");
}

}  // namespace
}  // namespace tarvik
