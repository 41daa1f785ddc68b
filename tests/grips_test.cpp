// The resize grips: strict limits, width before height, and a drag that loses its capture.
#include <gtest/gtest.h>

#include <vector>

#include "app/form1.h"
#include "tests/support.h"

namespace tarvik {
namespace {

// On a 1024 x 767 screen the start window sits at left 5505 (367 px) and top 4020 (268 px).
class GripTest : public ::testing::Test {
protected:
    void SetUp() override { sim.Do("screen 1024 767\nstart"); }
    void MoveTo(int x, int y) { sim.Do("move " + std::to_string(x) + " " + std::to_string(y)); }
    void MoveToWindow(int x, int y) { sim.MoveToWindow(x, y); }
    float Width() { return sim.Host().WindowGeometry().width; }
    float Height() { return sim.Host().WindowGeometry().height; }
    test::Sim sim;
};

TEST_F(GripTest, PointerShapesFollowTheGrips) {
    const std::vector<std::pair<std::pair<int, int>, std::string>> cases = {
        {{100, 225}, "sizens"}, {{285, 100}, "sizewe"}, {{280, 222}, "sizenwse"},
        {{274, 225}, "sizenwse"},  // where the corner overlaps the bottom grip, the corner wins
        {{150, 100}, "arrow"},    {{100, 8}, "arrow"}};
    for (const auto& [at, shape] : cases) {
        MoveToWindow(at.first, at.second);
        EXPECT_NE(sim.Output("state").find("\"cursor\": \"" + shape + "\""), std::string::npos)
            << "at " << at.first << ", " << at.second << " expected " << shape;
    }
}

// Each grip sets its edges to the pointer (width = x * 15 - 5505, height = y * 15 - 4020) only
// above the strict limits (2500 and 1500 twips); a refused or overflowing dimension keeps its last
// size, the corner sets each dimension by its own test, any button arms a grip and the release of
// any button ends the drag. Each step is scenario commands and the size they leave.
TEST(GripLimitsTest, GripsFollowThePointerOnlyAboveTheirStrictLimits) {
    struct Step {
        const char* commands;
        float width, height;
    };
    struct Drag {
        const char* what;
        int x, y;  // the grip, in window pixels
        std::vector<Step> steps;
    };
    const Drag drags[] = {
        {"bottom grip", 100, 225,
         {{"down left\nmove 500 368", 4350, 3465},  // 1500 twips: refused
          {"move 500 369", 4350, 1515},
          {"move 500 300", 4350, 1515},
          {"move 500 600", 4350, 4980},
          {"up left\nmove 500 700", 4350, 4980}}},  // released: no more resizing
        {"right grip", 285, 100,
         {{"down left\nmove 533 100", 4350, 3465},  // 2490 twips: refused
          {"move 534 100", 2505, 3465},
          {"move 800 100", 6495, 3465}}},
        {"corner grip", 280, 222,
         {{"down right\nmove 700 500", 4995, 3480},
          {"move 400 600", 4995, 4980},  // width too small, height fine
          {"move 650 300", 4245, 4980},  // the reverse
          {"down left\nup left\nmove 800 700", 4245, 4980}}},  // the left release ends the drag, right still held
        {"corner grip to a pointer overflowing 32 bits", 280, 222,
         {{"down left\nmove 200000000 600", 4350, 4980}}},  // 3e9 twips: the width is left, the height applied
    };
    for (const Drag& d : drags) {
        test::Sim sim;
        sim.Do("screen 1024 767\nstart");
        sim.MoveToWindow(d.x, d.y);
        for (const Step& s : d.steps) {
            sim.Do(s.commands);
            const auto g = sim.Host().WindowGeometry();
            EXPECT_EQ((std::vector<float>{g.width, g.height}), (std::vector<float>{s.width, s.height}))
                << d.what << " after '" << s.commands << "': expected " << s.width << " x " << s.height;
        }
    }
}

TEST(GripOrderTest, ACornerMoveLaysOutTwiceWidthFirst) {
    sim::SimHost host(1024, 767);
    Form1 form(host);
    test::FormSpy spy(host, form);
    host.Attach(&spy);
    host.Start();
    host.PointerTo(367 + 280, 268 + 222);
    host.ButtonDown(kLeftButton, 0);
    spy.sizes.clear();
    host.PointerTo(700, 500);
    const std::vector<std::pair<float, float>> expected = {{4995, 3465}, {4995, 3480}};
    EXPECT_EQ(spy.sizes, expected) << "first the new width at the old height, then the height";
    host.ButtonUp(kLeftButton, 0);
}

TEST_F(GripTest, HoveringOverAGripWithoutADragChangesNothing) {
    const int resizes = sim.Host().ResizeCount();
    MoveToWindow(100, 225);
    MoveToWindow(285, 100);
    MoveToWindow(280, 222);
    EXPECT_EQ(sim.Host().ResizeCount(), resizes);
}

TEST_F(GripTest, ALostCaptureDisarmsTheGrip) {
    MoveToWindow(280, 222);
    sim.Do("down left");
    MoveTo(700, 500);
    ASSERT_EQ(Width(), 700 * 15 - 5505.0f);
    sim.Do("capture-lost");
    EXPECT_EQ(sim.Host().Tag(Elem::Pjiao), "") << "the grip got its MouseUp";
    // Hovering the corner grip later, no button held, must not resize.
    MoveToWindow(280, 222);
    MoveTo(900, 700);
    MoveToWindow(282, 225);
    EXPECT_EQ(Width(), 700 * 15 - 5505.0f);
    EXPECT_EQ(Height(), 500 * 15 - 4020.0f);
    sim.Do("up left");  // the late release is stray and harmless
    EXPECT_TRUE(sim.Host().Running());
}

TEST_F(GripTest, ALostCaptureAlsoReleasesACaptionButton) {
    MoveToWindow(224, 15);
    sim.Do("down left");
    EXPECT_EQ(sim.Host().GetPicture(Elem::Immin), Picture::A10);
    sim.Do("capture-lost");
    EXPECT_EQ(sim.Host().GetPicture(Elem::Immin), Picture::None);
    sim.Do("up left");
    EXPECT_EQ(sim.Host().WindowGeometry().state, kNormal) << "no Click after a lost capture";
}

TEST_F(GripTest, EdgeGripsAreHiddenWhileMaximizedAndTheCornerIsRefusedQuietly) {
    MoveToWindow(245, 15);
    sim.Do("down left\nup left");
    ASSERT_EQ(sim.Host().WindowGeometry().state, kMaximized);
    MoveTo(500, 760);  // where the bottom grip lies, hidden: the bare face
    EXPECT_NE(sim.Output("state").find("\"cursor\": \"arrow\""), std::string::npos);
    MoveTo(1020, 762);
    sim.Do("down left");
    MoveTo(700, 500);
    EXPECT_EQ(Width(), 1024 * 15.0f) << "a maximized window refuses the size";
    EXPECT_TRUE(sim.Host().Running());
    sim.Do("up left");
}

TEST_F(GripTest, AThousandMoveCornerDragLeavesNoHandleBehind) {
    MoveToWindow(280, 222);
    sim.Do("down left");
    for (int i = 0; i < 1000; ++i) MoveTo(600 + (i % 200), 450 + (i % 150));
    sim.Do("up left");
    EXPECT_EQ(sim.Host().LiveRegions(), 0u) << "region handles left behind";
    EXPECT_EQ(sim.Host().GetPicture(Elem::Immax), Picture::None) << "LoadPicture made no picture";
}

}  // namespace
}  // namespace tarvik
