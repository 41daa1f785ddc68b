// The title bar: the system move on a left press, maximize and restore on a double-click.
#include <gtest/gtest.h>

#include "tests/support.h"

namespace tarvik {
namespace {

class TitleBarTest : public ::testing::Test {
protected:
    void SetUp() override { sim.Do("start"); }
    void MoveTo(int x, int y) {
        auto& h = sim.Host();
        sim.Do("move " + std::to_string(h.PixelLeft() + x) + " " + std::to_string(h.PixelTop() + y));
    }
    test::Sim sim;
};

TEST_F(TitleBarTest, ALeftDragMovesTheWindowByThePointersPath) {
    const auto before = sim.Host().WindowGeometry();
    const int resizes = sim.Host().ResizeCount();
    MoveTo(60, 8);
    sim.Do("down left\nmove 450 300\nmove 500 330\nmove 397 310\nup left");
    // The pointer went from (427, 277) to (397, 310): 30 left and 33 down.
    const auto after = sim.Host().WindowGeometry();
    EXPECT_EQ(after.left, before.left - 30 * 15);
    EXPECT_EQ(after.top, before.top + 33 * 15);
    EXPECT_EQ(after.width, before.width);
    EXPECT_EQ(sim.Host().ResizeCount(), resizes) << "a move raises no Resize";
    // After the release the pointer no longer drags the window.
    sim.Do("move 600 600");
    EXPECT_EQ(sim.Host().WindowGeometry().left, after.left);
}

TEST_F(TitleBarTest, ModifiersDoNotMatterButOtherButtonsDoNothing) {
    const float left = sim.Host().WindowGeometry().left;
    MoveTo(60, 8);
    sim.Do("down right\nmove 500 500\nup right");
    EXPECT_EQ(sim.Host().WindowGeometry().left, left) << "right button";
    MoveTo(60, 8);
    sim.Do("down middle\nmove 500 500\nup middle");
    EXPECT_EQ(sim.Host().WindowGeometry().left, left) << "middle button";
    MoveTo(60, 8);
    sim.Do("down left shift ctrl alt");
    sim.Do("move " + std::to_string(sim.Host().PixelLeft() + 70) + " 300\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().left, left + 10 * 15) << "a left press with modifiers moves";
}

TEST_F(TitleBarTest, APressAndReleaseWithoutMovingLeavesTheWindow) {
    const auto before = sim.Host().WindowGeometry();
    MoveTo(60, 8);
    sim.Do("down left\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().left, before.left);
    EXPECT_EQ(sim.Host().WindowGeometry().top, before.top);
}

TEST_F(TitleBarTest, PressesBelowTheStripOrOnButtonsDoNotMove) {
    const float left = sim.Host().WindowGeometry().left;
    MoveTo(60, 20);  // painted title bar, below the 17-pixel strip: bare face
    sim.Do("down left\nmove 100 100\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().left, left);
}

TEST_F(TitleBarTest, DoubleClickMaximizesAndASecondOneRestores) {
    MoveTo(60, 8);
    sim.Do("down left\nup left\nwait 200\ndown left\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kMaximized);
    EXPECT_FALSE(sim.Host().Elements()[static_cast<int>(Elem::Pbottom)].visible);
    EXPECT_EQ(sim.Host().Elements()[static_cast<int>(Elem::Immax)].toolTip, "还原");
    sim.Do("wait 1000");
    MoveTo(60, 8);
    sim.Do("down left\nup left\nwait 100\ndown left\nup left");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kNormal);
    EXPECT_TRUE(sim.Host().Elements()[static_cast<int>(Elem::Pbottom)].visible);
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

}  // namespace
}  // namespace tarvik
