// The resize grips under Wine: the corner, bottom and right grips follow the pointer, the window
// stops at its smallest size, and a grip-made size shows the same frame as the simulated host.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/wine/harness.h"

namespace tarvik::wine {
namespace {

// The size a grip drag gives. A grip sets the outer right edge to the pointer's x and the bottom
// edge to its y, reckoned in twips (15 per pixel) from the window's Left and Top. A dimension is
// applied only above its limit (2500 twips wide, 1500 high); otherwise it keeps its last size.
// The start window's Top keeps the half twip of the centring ((11520 - 3465) / 2 = 4027.5 on
// 1024 x 768), so heights come out as half pixels, rounded half up like every twips-to-pixel
// conversion of the program. At another DPI all this holds in layout pixels: the pointer's
// device pixel is in the layout pixel that holds it, and sizes come out at the scale.
class GripRule {
public:
    GripRule(const Geometry& screen, const Geometry& start)
        : leftTwips_((scale_.ToLayoutLength(screen.width) * 15.0 - 4350.0) / 2),
          topTwips_((scale_.ToLayoutLength(screen.height) * 15.0 - 3465.0) / 2),
          width_(scale_.ToLayoutLength(start.width)), height_(scale_.ToLayoutLength(start.height)) {}
    // The size after a move of a grip to screen point (x, y) (device pixels); changes width and/or height.
    void Move(int x, int y, bool width, bool height) {
        if (width) width_ = Edge(scale_.ToLayout(x), leftTwips_, 2500.0, width_);
        if (height) height_ = Edge(scale_.ToLayout(y), topTwips_, 1500.0, height_);
    }
    // The size in device pixels.
    int Width() const { return scale_.ToDevice(width_); }
    int Height() const { return scale_.ToDevice(height_); }
    // The size in layout pixels.
    int LayoutWidth() const { return width_; }
    int LayoutHeight() const { return height_; }

private:
    static int Edge(int pointer, double originTwips, double limitTwips, int current) {
        const double twips = pointer * 15.0 - originTwips;
        return twips > limitTwips ? static_cast<int>(std::floor(twips / 15.0 + 0.5)) : current;
    }
    DisplayScale scale_ = TestScale();
    double leftTwips_, topTwips_;
    int width_, height_;
};

enum class Grip { Corner, Bottom, Right };

// The screen's device pixel of a window point in layout pixels, reckoned from the window's place in
// layout pixels as the program has it: the one nearest to its device place (at 192 DPI the centred
// window lies at 76.5 layout pixels, device pixel 153, which the program takes as 77).
int DeviceX(const Geometry& origin, int x) { return TestScale().ToDevice(TestScale().ToLayoutLength(origin.x) + x); }
int DeviceY(const Geometry& origin, int y) { return TestScale().ToDevice(TestScale().ToLayoutLength(origin.y) + y); }

// Moves the pointer to window point (x, y) (layout pixels from the window's unchanging top-left
// corner, at the test's scale) with grip held, and waits for the size the rule gives. A move that the limits refuse in one
// dimension is paired with a change in the other, so that the refusal shows once that arrives.
void DragTo(const Program& program, GripRule& rule, Grip grip, const Geometry& origin, int x, int y,
            const std::string& what) {
    const int px = DeviceX(origin, x), py = DeviceY(origin, y);
    PointerTo(px, py);
    rule.Move(px, py, grip != Grip::Bottom, grip != Grip::Right);
    const Geometry want{origin.x, origin.y, rule.Width(), rule.Height()};
    const auto now = program.WaitForGeometry(want);
    EXPECT_EQ(now, want) << what << ": with the pointer at window point (" << x << ", " << y << ") expected "
                         << ToString(want) << ", got " << (now ? ToString(*now) : program.GeometryError());
}

TEST(WineResizeGrips, FollowThePointerStopAtTheLimitsAndPaintTheSimulatedFrame) {
    PointerTo(2, 2);
    std::string error;
    Program program(TARVIK_WIN64_EXE, "grips-wine.log");
    const auto started = StartAndWaitForWindow(program, &error);
    ASSERT_TRUE(started) << error;
    const Geometry g = *started;
    const auto screen = ScreenGeometry();
    ASSERT_TRUE(screen) << "cannot read the screen size with xdotool";
    GripRule rule(*screen, g);

    {
        SCOPED_TRACE("corner grip to 400 x 300");
        PointerTo(g.x + g.width - 5, g.y + g.height - 5);
        ButtonDown();
        DragTo(program, rule, Grip::Corner, g, 280, 220, "corner grip");
        {
            // 100 device pixels further each way grow the window by 100 device pixels (at a
            // fractional scale, by the device pixels of the layout pixels they reach).
            const Geometry before{g.x, g.y, rule.Width(), rule.Height()};
            const int px = DeviceX(g, 280) + 100, py = DeviceY(g, 220) + 100;
            PointerTo(px, py);
            rule.Move(px, py, true, true);
            const auto now = program.WaitForGeometry({g.x, g.y, rule.Width(), rule.Height()});
            ASSERT_TRUE(now) << program.GeometryError();
            const int slack = TestScale().Factor() == std::floor(TestScale().Factor()) ? 0 : 1;
            EXPECT_NEAR(now->width - before.width, 100, slack) << "a corner-grip drag of 100 device pixels to the right "
                                                                << "grew the window from " << ToString(before) << " to " << ToString(*now);
            EXPECT_NEAR(now->height - before.height, 100, slack) << "a corner-grip drag of 100 device pixels down "
                                                                 << "grew the window from " << ToString(before) << " to " << ToString(*now);
            std::printf("corner grip: 100 device pixels each way grew %s to %s\n", ToString(before).c_str(), ToString(*now).c_str());
        }
        DragTo(program, rule, Grip::Corner, g, 330, 260, "corner grip");
        // 299 * 15 + 4035 - 4027.5 = 4492.5 twips high, 299.5 pixels: 300.
        DragTo(program, rule, Grip::Corner, g, 400, 299, "corner grip");
        ButtonUp();
        PointerTo(2, 2);
        ASSERT_FALSE(HasFailure()) << "the corner grip did not give 400 x 300; the frame is not compared";

        const auto reference = SimSnapshot("start\nresize 400 300", OutPath("grips-400x300-sim.png"), &error);
        ASSERT_TRUE(reference) << error;
        ASSERT_EQ(reference->width, TestScale().ToDevice(400));
        ASSERT_EQ(reference->height, TestScale().ToDevice(300));
        const Agreement agreement =
            PollAgreement(*reference, g.x, g.y, CaptionTextBox(), RequiredAgreementPercent(), "grips-400x300");
        std::printf("400 x 300 frame: %.3f%% of %ld pixels agree exactly\n", agreement.Percent(), agreement.compared);
        EXPECT_GE(agreement.Percent(), RequiredAgreementPercent())
            << "expected the window resized to 400 x 300 by its corner grip and the simulated host's frame at that "
            << "size to agree on at least " << RequiredAgreementPercent() << "% of the pixels; " << agreement.Report()
            << "Pictures in " << OutPath("grips-400x300-*.png");
    }
    {
        // Narrower than 2500 twips (166.7 pixels) or lower than 1500 twips (100 pixels) is refused:
        // that dimension keeps the last size applied, and the other one still follows.
        SCOPED_TRACE("corner grip limits");
        PointerTo(g.x + rule.Width() - 5, g.y + rule.Height() - 5);
        ButtonDown();
        DragTo(program, rule, Grip::Corner, g, 200, 150, "both applied");
        // 166 pixels are 2490 twips, refused; 167 are 2505, applied.
        DragTo(program, rule, Grip::Corner, g, 166, 140, "width 166 refused, height applied");
        ASSERT_EQ(rule.LayoutWidth(), 200) << "the rule should have refused the width";
        // 99 pixels below the top are 1492.5 twips, refused; 100 are 1507.5, applied (101 pixels).
        DragTo(program, rule, Grip::Corner, g, 167, 99, "width 167 applied, height refused");
        ASSERT_EQ(rule.LayoutHeight(), 141) << "the rule should have refused the height";
        DragTo(program, rule, Grip::Corner, g, 150, 100, "width refused, height applied");
        ASSERT_EQ(rule.LayoutWidth(), 167);
        ASSERT_EQ(rule.LayoutHeight(), 101);
        // Far up and left of the window nothing applies, so the window keeps 167 x 101 ...
        PointerTo(g.x - 100, g.y - 100);
        // ... which shows when the next move changes only the width.
        DragTo(program, rule, Grip::Corner, g, 300, 90, "after a move far up and left, width applied, height refused");
        ASSERT_EQ(rule.LayoutHeight(), 101);
        ButtonUp();
    }
    {
        SCOPED_TRACE("bottom grip");
        PointerTo(g.x + 150, g.y + rule.Height() - 5);
        ButtonDown();
        DragTo(program, rule, Grip::Bottom, g, 180, 260, "bottom grip, pointer also moved sideways");
        DragTo(program, rule, Grip::Bottom, g, 150, 180, "bottom grip");
        ButtonUp();
    }
    {
        SCOPED_TRACE("right grip");
        PointerTo(g.x + rule.Width() - 4, g.y + 60);
        ButtonDown();
        DragTo(program, rule, Grip::Right, g, 390, 90, "right grip, pointer also moved down");
        DragTo(program, rule, Grip::Right, g, 250, 60, "right grip");
        ButtonUp();
    }
    const Geometry last{g.x, g.y, rule.Width(), rule.Height()};
    {
        SCOPED_TRACE("released grips");
        // With every grip released, moves over the grips change nothing. The click on the close
        // button below lands only on a window that kept this size.
        PointerTo(g.x + rule.Width() - 4, g.y + 60);
        PointerTo(g.x + 10, g.y + rule.Height() - 4);
        PointerTo(g.x + rule.Width() - 5, g.y + rule.Height() - 5);
        PointerTo(g.x + 500, g.y + 400);
        const auto now = program.CurrentGeometry();
        EXPECT_EQ(now, last) << "expected moves over released grips to leave " << ToString(last) << ", got "
                             << (now ? ToString(*now) : program.GeometryError());
    }
    ExpectClosedByButton(program, last);
}

}  // namespace
}  // namespace tarvik::wine
