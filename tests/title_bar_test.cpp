// The title bar: the system move on a left press, maximize and restore on a double-click.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support.h"

namespace tarvik {
namespace {

// The script "move to the press point" followed by steps separated by '|', in which "@DX DY"
// moves the pointer DX, DY pixels from the press point.
std::string PressScript(int pressX, int pressY, const std::string& steps) {
    std::string script = "move " + std::to_string(pressX) + " " + std::to_string(pressY);
    std::istringstream in(steps);
    for (std::string step; std::getline(in, step, '|');) {
        int dx = 0, dy = 0;
        if (std::sscanf(step.c_str(), "@%d %d", &dx, &dy) == 2)
            step = "move " + std::to_string(pressX + dx) + " " + std::to_string(pressY + dy);
        script += "\n" + step;
    }
    return script;
}

class TitleBarTest : public ::testing::Test {
protected:
    void SetUp() override { sim.Do("start"); }
    void MoveTo(int x, int y) { sim.MoveToWindow(x, y); }
    test::Sim sim;
};

// The armed move: a left press on the title bar moves the window only once the pointer has gone
// past the system's drag distance (4 pixels either way unless set) with the button still held;
// from then on the window follows, keeping the pointer's offset from the press, raising no Resize;
// as on a real window system, a window moved both ways reads its place as whole pixels. "@DX DY" moves the
// pointer from the press.
TEST(ArmedMoveTest, TheWindowMovesOnlyPastTheDragDistanceWithTheButtonHeld) {
    struct Case {
        const char* what;
        const char* script;
        int dx, dy;       // how far the window moved
        bool armed;       // the move still waits for the distance
        bool systemMove;  // the system's move has the pointer
    };
    const Case cases[] = {
        {"a press and release without moving is a click", "down left|up left", 0, 0, false, false},
        {"a move within the distance moves nothing", "down left|@4 -4|@-3 2", 0, 0, true, false},
        {"past it the window follows", "down left|@5 0|@30 -20", 30, -20, false, true},
        {"past it on one axis is enough", "down left|@0 5", 0, 5, false, true},
        {"along a path and back", "down left|@23 23|@73 53|@-30 33|up left", -30, 33, false, false},
        {"the release ends the system's move", "down left|@10 10|up left|@50 50", 10, 10, false, false},
        {"released before the distance, the pointer moves nothing", "down left|@3 0|up left|@50 50", 0, 0, false, false},
        {"the capture lost while armed disarms it", "down left|@2 0|capture-lost|@50 50|up left", 0, 0, false, false},
        {"another press disarms it", "down left|down right|@50 50", 0, 0, false, false},
        {"the scenario's distance counts: within 10", "drag-distance 10 10|down left|@10 -10", 0, 0, true, false},
        {"the scenario's distance counts: past 10", "drag-distance 10 10|down left|@11 0", 11, 0, false, true},
        {"a right press arms nothing", "down right|@50 50", 0, 0, false, false},
        {"a middle press arms nothing", "down middle|@50 50|up middle", 0, 0, false, false},
        {"modifiers do not matter to a left press", "down left shift ctrl alt|@10 0|up left", 10, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::Sim sim;
        sim.Do("start");
        auto& h = sim.Host();
        const int left = h.PixelLeft(), top = h.PixelTop(), resizes = h.ResizeCount();
        sim.Do(PressScript(left + 60, top + 8, c.script));
        EXPECT_EQ((std::vector<int>{h.PixelLeft() - left, h.PixelTop() - top}), (std::vector<int>{c.dx, c.dy}))
            << "expected the window moved by " << c.dx << ", " << c.dy;
        EXPECT_EQ(h.ResizeCount(), resizes) << "expected no Resize";
        if (c.dx && c.dy) {
            EXPECT_EQ((std::vector<float>{h.WindowGeometry().left, h.WindowGeometry().top}),
                      (std::vector<float>{h.PixelLeft() * 15.0f, h.PixelTop() * 15.0f}))
                << "expected the moved window's place in whole pixels";
        }
        EXPECT_EQ(h.MoveArmed(), c.armed) << "expected armed " << c.armed;
        EXPECT_EQ(h.SystemMoveRuns(), c.systemMove) << "expected the system's move running " << c.systemMove;
        EXPECT_EQ(h.WindowGeometry().state, kNormal);
    }
}

TEST_F(TitleBarTest, PressesBelowTheStripOrOnButtonsDoNotMove) {
    const float left = sim.Host().WindowGeometry().left;
    MoveTo(60, 20);  // painted title bar, below the 17-pixel strip: bare face
    sim.Do("down left\nmove 100 100\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().left, left);
}

// With two monitors a maximize fills the work area of the one holding the window's centre
// (else the nearest), wherever the title bar dragged it; the restore puts it back.
TEST(MonitorsTest, MaximizeFillsTheWorkAreaOfTheMonitorHoldingTheWindowsCentre) {
    // The drag from the start place (367, 269; 290 x 231 pixels), and the maximized window.
    const std::vector<std::vector<int>> cases = {{0, 0, 0, 0, 1024, 738}, {700, 0, 1024, -100, 1280, 994},
                                                 {511, 0, 0, 0, 1024, 738}, {512, 0, 1024, -100, 1280, 994},
                                                 {1900, 600, 1024, -100, 1280, 994}};
    for (const auto& c : cases) {
        test::Sim sim;
        sim.Do("screen 1024 768 0 0 1024 738\nmonitor 1024 -100 1280 1024 1024 -100 1280 994\nstart");
        auto& h = sim.Host();
        const auto start = h.WindowGeometry();
        const auto titleBar = [&](int dx, int dy) { return std::to_string(h.PixelLeft() + 60 + dx) + " " + std::to_string(h.PixelTop() + 8 + dy); };
        sim.Do("move " + titleBar(0, 0) + "\ndown left\nmove " + titleBar(c[0], c[1]) + "\nup left\nwait 1000");
        const std::string doubleClick = "\ndown left\nup left\nwait 100\ndown left\nup left\nwait 1000";
        sim.Do("move " + titleBar(0, 0) + doubleClick);
        EXPECT_EQ((std::vector<int>{c[0], c[1], h.PixelLeft(), h.PixelTop(), h.PixelWidth(), h.PixelHeight()}), c)
            << "expected the maximized window's pixels after that drag";
        sim.Do("move " + titleBar(0, 0) + doubleClick);
        EXPECT_EQ(h.WindowGeometry().left, start.left + c[0] * 15) << "restored after a drag by " << c[0];
    }
}

TEST_F(TitleBarTest, SlowOrDistantSecondClicksAreNotDoubleClicks) {
    MoveTo(60, 8);
    sim.Do("down left\nup left\nwait 501\ndown left\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kNormal) << "too slow";
    sim.Do("wait 1000");
    MoveTo(60, 8);
    sim.Do("down left\nup left");
    MoveTo(66, 8);
    sim.Do("down left\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kNormal) << "too far";
    sim.Do("wait 1000");
    MoveTo(60, 8);
    sim.Do("down right\nup right\ndown left\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kNormal) << "different buttons";
}

TEST_F(TitleBarTest, ATripleClickIsADoubleClickThenASingleClick) {
    MoveTo(60, 8);
    sim.Do("down left\nup left\ndown left\nup left\ndown left\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kMaximized);
}

// The double-click box is measured on the screen, and the pointer leaving it between the two
// presses (a drag of the title bar, or a wander while the button is up) ends the click sequence.
// Each script starts with the pointer at the title bar; "@DX DY" moves it DX, DY device pixels
// from there; the default rule: 500 ms, a 4 x 4 box of layout pixels. The drags of a few pixels
// set the drag distance to 1, so that they move the window.
TEST(DoubleClickRule, TheBoxIsOnTheScreenAndADragEndsTheSequence) {
    struct Case {
        const char* what;
        double scale;
        const char* script;
        int state;     // the window's state afterwards
        int windowDx;  // how far the window moved, in layout pixels (a normal window)
    };
    const Case cases[] = {
        {"a drag away and back, the window where it began, ends the sequence", 1,
         "down left|@100 0|@0 0|up left|down left|up left", kNormal, 0},
        {"after a drag the same window point is another screen point", 1, "down left|@100 20|up left|down left|up left",
         kNormal, 100},
        {"after a drag out of the box the same screen point starts anew", 1,
         "down left|@20 0|up left|@0 0|down left|up left", kNormal, 20},
        {"a drag within the box: 2 pixels away on the screen, 4 in the window", 1,
         "drag-distance 1 1|down left|@2 0|up left|@-2 0|down left|up left", kMaximized, 0},
        {"the pointer out of the box and back between the presses", 1, "down left|up left|@10 0|@0 0|down left|up left",
         kNormal, 0},
        {"at scale 2 the box is in layout pixels: 4 device pixels are within", 2,
         "drag-distance 1 1|down left|@4 0|up left|@-4 0|down left|up left", kMaximized, 0},
        {"at scale 2 the box is in layout pixels: 6 device pixels are not", 2,
         "drag-distance 1 1|down left|@4 0|up left|@-6 0|down left|up left", kNormal, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::Sim sim;
        sim.Do("scale " + std::to_string(c.scale) + "\nstart");
        auto& h = sim.Host();
        const int startLeft = h.PixelLeft();
        sim.Do(PressScript(h.DeviceRect().x + static_cast<int>(60 * c.scale), h.DeviceRect().y + static_cast<int>(8 * c.scale),
                           c.script));
        EXPECT_EQ(h.WindowGeometry().state, c.state) << "expected state " << c.state;
        if (c.state == kNormal) {
            EXPECT_EQ(h.PixelLeft() - startLeft, c.windowDx) << "expected the window moved by that";
        }
    }
}

// Second presses as the forms toolkit gives them: only the title bar, which alone has a
// DblClick procedure, gets double-clicks, and only of the left button within the system's time
// and box; every other quick second press is a MouseDown and its release a Click.
TEST(DoubleClickRule, SecondPressesOnEveryElement) {
    struct Case {
        const char* what;
        const char* script;
        std::function<void(test::Sim&)> check;
    };
    const auto state = [](test::Sim& sim) { return sim.Host().WindowGeometry().state; };
    const Case cases[] = {
        {"a right double-click on the title bar changes nothing", "at 60 8\ndown right\nup right\ndown right\nup right",
         [&](test::Sim& sim) {
             EXPECT_EQ(state(sim), kNormal);
             EXPECT_EQ(sim.Host().WindowGeometry().left, 5505.0f);
             EXPECT_TRUE(sim.Host().Elements()[static_cast<int>(Elem::Pbottom)].visible);
         }},
        {"a middle double-click on the title bar changes nothing", "at 60 8\ndown middle\nup middle\ndown middle\nup middle",
         [&](test::Sim& sim) { EXPECT_EQ(state(sim), kNormal); }},
        {"the system's time and box count: 200 ms and 10 x 10 pixels",
         "double-click 200 10 10\nat 60 8\ndown left\nup left\nwait 200\nat 65 13\ndown left\nup left",
         [&](test::Sim& sim) { EXPECT_EQ(state(sim), kMaximized); }},
        {"a second press after the system's time is a single click",
         "double-click 200 10 10\nat 60 8\ndown left\nup left\nwait 201\ndown left\nup left",
         [&](test::Sim& sim) { EXPECT_EQ(state(sim), kNormal); }},
        {"a second press outside the system's box is a single click",
         "double-click 200 10 10\nat 60 8\ndown left\nup left\nat 66 8\ndown left\nup left",
         [&](test::Sim& sim) { EXPECT_EQ(state(sim), kNormal); }},
        {"a quick second press on the corner grip arms it", "at 280 222\ndown left\nup left\ndown left",
         [&](test::Sim& sim) {
             EXPECT_EQ(sim.Host().Tag(Elem::Pjiao), "1");
             sim.Do("move 700 500");
             EXPECT_EQ(sim.Host().WindowGeometry().width, 700 * 15 - 5505.0f) << "the armed grip follows the pointer";
             sim.Do("up left");
         }},
        {"a quick second right press on the bottom grip arms it", "at 100 225\ndown right\nup right\ndown right",
         [&](test::Sim& sim) {
             EXPECT_EQ(sim.Host().Tag(Elem::Pbottom), "1");
             sim.Do("up right");
         }},
        {"a quick second click on the close button shows the pressed picture and closes",
         "at 266 15\ndown left\nmove 0 0\nup left\nat 266 15\ndown left",
         [&](test::Sim& sim) {
             EXPECT_EQ(sim.Look(Elem::Imclose), "A12/1") << "the pressed picture over the hover marker";
             sim.Do("up left");
             EXPECT_FALSE(sim.Host().Running()) << "the second click closes";
         }},
        {"a quick second press on the minimize button with no move shows the pressed picture unmarked",
         "at 224 15\ndown right\nup right\ndown left",
         [&](test::Sim& sim) {
             EXPECT_EQ(sim.Look(Elem::Immin), "A10/");
             sim.Do("up left");
             EXPECT_EQ(state(sim), kMinimized) << "its release clicks";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::Sim sim;
        sim.Do("start");
        sim.Do(c.script);
        c.check(sim);
    }
}

}  // namespace
}  // namespace tarvik
