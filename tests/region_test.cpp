// The window's outline: region semantics and the shapes cut for each size.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/runtime/region.h"
#include "tests/support.h"

namespace tarvik {
namespace {

TEST(RegionTest, RectangleCoversLeftAndTopEdgesOnly) {
    const Region r = Region::Rect(2, 3, 5, 7);
    EXPECT_TRUE(r.Contains(2, 3));
    EXPECT_TRUE(r.Contains(4, 6));
    EXPECT_FALSE(r.Contains(5, 3)) << "x2 is outside";
    EXPECT_FALSE(r.Contains(2, 7)) << "y2 is outside";
    EXPECT_EQ(r.Area(), 12);
    EXPECT_TRUE(Region::Rect(5, 5, 5, 9).Empty());
}

// First covered column of each row, as the platform rasterises CreateEllipticRgn(0, 0, 52, 52);
// rows 0 to 50, each span symmetric about column 25.
const int kCircle52First[] = {21, 17, 15, 13, 11, 10, 9, 8, 7, 6, 5, 4, 4, 3, 3, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0,
                              0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 21};

TEST(RegionTest, EllipsesMatchThePlatformsCornerCircles) {
    const Region c = Region::Ellipse(0, 0, 52, 52);
    for (int y = 0; y <= 50; ++y) {
        const int first = kCircle52First[y], last = 50 - first;
        EXPECT_FALSE(c.Contains(first - 1, y)) << "row " << y << " should start at " << first;
        EXPECT_TRUE(c.Contains(first, y)) << "row " << y << " should start at " << first;
        EXPECT_TRUE(c.Contains(last, y)) << "row " << y << " should end at " << last;
        EXPECT_FALSE(c.Contains(last + 1, y)) << "row " << y << " should end at " << last;
    }
    EXPECT_FALSE(c.Contains(25, 51)) << "the bottom edge of the box is left out";
    // The small bottom-right circle: rows of 4, 6, 8, 8, 8, 8, 6, 4 pixels.
    const Region small = Region::Ellipse(391, 291, 400, 300);
    const int widths[] = {4, 6, 8, 8, 8, 8, 6, 4, 0};
    for (int y = 0; y < 9; ++y) {
        int n = 0;
        for (int x = 388; x < 402; ++x) n += small.Contains(x, 291 + y);
        EXPECT_EQ(n, widths[y]) << "row " << y << " of the 9 x 9 circle";
    }
    // The 51-wide top-right ellipse keeps within a pixel of the platform's at its widest and narrowest.
    const Region wide = Region::Ellipse(350, 0, 401, 52);
    EXPECT_TRUE(wide.Contains(350, 25) && wide.Contains(399, 25) && !wide.Contains(400, 25));
    EXPECT_FALSE(wide.Contains(368, 0)) << "the platform's top row starts at 370";
    EXPECT_FALSE(wide.Contains(375, 51));
}

// Unions of shapes that overlap, touch, leave gaps and interleave their rows, each checked
// pixel by pixel against a plain bitmap of the same shapes.
TEST(RegionTest, UnionsAgreeWithAPixelBitmap) {
    struct Shape {
        bool ellipse;
        int x1, y1, x2, y2;
    };
    const std::vector<std::vector<Shape>> cases = {
        {{false, 0, 0, 4, 4}, {false, 2, 2, 8, 3}},                                // overlapping, one row sticks out
        {{false, 0, 0, 10, 10}, {false, 20, 0, 30, 10}},                           // side by side, same rows
        {{false, 0, 0, 10, 4}, {false, 0, 8, 10, 12}},                             // a gap of rows between
        {{false, 0, 0, 10, 5}, {false, 0, 5, 10, 9}},                              // touching rows join
        {{false, 0, 0, 10, 5}, {false, 10, 2, 14, 3}},                             // touching spans join
        {{false, 5, 3, 9, 40}, {false, 0, 10, 30, 12}, {false, 2, 0, 4, 50}},      // crosses and a tall bar
        {{false, 0, 20, 40, 30}, {true, 0, 0, 52, 52}, {true, 30, 25, 39, 34}},    // circles over a band
        {{false, 2, 6, 3, 7}, {false, 0, 0, 60, 60}},                              // swallowed whole
        {{true, 0, 0, 52, 52}, {true, 1, 50, 53, 102}, {false, 23, 0, 29, 102}},   // stacked, interleaved
        {{false, 0, 26, 80, 54}, {false, 23, 0, 57, 80}, {false, 23, 52, 80, 74},  // the outline at 80 x 80
         {false, 52, 52, 74, 80}, {true, 0, 0, 52, 52}, {true, 30, 0, 81, 52},
         {true, 0, 28, 52, 80}, {true, 71, 71, 80, 80}},
    };
    constexpr int kSide = 110;
    for (std::size_t n = 0; n < cases.size(); ++n) {
        Region region;
        std::vector<bool> bitmap(kSide * kSide, false);
        for (const Shape& s : cases[n]) {
            const Region one = s.ellipse ? Region::Ellipse(s.x1, s.y1, s.x2, s.y2) : Region::Rect(s.x1, s.y1, s.x2, s.y2);
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x)
                    if (one.Contains(x, y)) bitmap[y * kSide + x] = true;
            region.Union(one);
        }
        long area = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                area += bitmap[y * kSide + x];
                ASSERT_EQ(bitmap[y * kSide + x], region.Contains(x, y))
                    << "case " << n << ": pixel (" << x << ", " << y << ") expected "
                    << (bitmap[y * kSide + x] ? "inside" : "outside");
            }
        EXPECT_EQ(area, region.Area()) << "case " << n;
    }
}

// Memory and time go by bands (runs of rows with the same spans), not by pixel rows.
TEST(RegionTest, RegionsCostTheirBandsNotTheirRows) {
    Region tall = Region::Rect(0, -1000000000, 10, 1000000000);
    EXPECT_EQ(tall.Bands(), 1u);
    EXPECT_EQ(tall.Area(), 10 * 2000000000LL);
    tall.Union(Region::Rect(5, 0, 20, 1000000000));
    EXPECT_EQ(tall.Bands(), 2u) << "rows below 0 keep their span, rows from 0 get the wider one";
    EXPECT_TRUE(tall.Contains(19, 999999999));
    EXPECT_FALSE(tall.Contains(19, -1));
    EXPECT_FALSE(tall.Contains(0, 1000000000));
    // Touching spans and rows merge into one.
    Region r = Region::Rect(0, 0, 4, 4);
    r.Union(Region::Rect(4, 0, 8, 4));
    r.Union(Region::Rect(0, 4, 8, 8));
    EXPECT_EQ(r.Bands(), 1u);
    EXPECT_EQ(r.Row(7).size(), 1u);
    EXPECT_TRUE(r.Row(8).empty());
}

// What the backends read of a region: its rectangles rebuild it, its bounds hold it tightly, and
// a clip keeps exactly the pixels inside the box.
TEST(RegionTest, RectanglesBoundsAndClipAgreeWithThePixels) {
    Region outline = Region::Rect(0, 26, 80, 54);
    for (const Region& shape : {Region::Rect(23, 0, 57, 80), Region::Ellipse(0, 0, 52, 52), Region::Ellipse(30, 0, 81, 52),
                                Region::Ellipse(71, 71, 80, 80)})
        outline.Union(shape);
    Region rebuilt;
    for (const PixelRect& r : outline.Rectangles()) rebuilt.Union(Region::Rect(r.x, r.y, r.x + r.w, r.y + r.h));
    EXPECT_TRUE(rebuilt == outline) << "expected the rectangles to rebuild the region; areas " << outline.Area()
                                    << " and " << rebuilt.Area();
    const PixelRect b = outline.Bounds();
    EXPECT_TRUE(b.x == 0 && b.y == 0 && b.w == 80 && b.h == 80)
        << "expected bounds 0, 0, 80 x 80, got " << b.x << ", " << b.y << ", " << b.w << " x " << b.h;
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{79, 80}, {40, 30}, {0, 10}}) {
        Region clipped = outline;
        clipped.Clip(w, h);
        long inside = 0;
        for (int y = -2; y < 84; ++y)
            for (int x = -2; x < 84; ++x) {
                const bool want = outline.Contains(x, y) && x < w && y < h;
                inside += want;
                ASSERT_EQ(clipped.Contains(x, y), want) << "pixel (" << x << ", " << y << ") clipped to " << w << " x " << h;
            }
        EXPECT_EQ(clipped.Area(), inside) << "area clipped to " << w << " x " << h;
    }
}

std::vector<std::string> Outline(test::Sim& sim) { return sim.Host().LastOutline(); }

// The artwork's corner fill as it would show through the outline.
constexpr test::Rgba kShownRed{255, 0, 0, 255};

TEST(OutlineTest, SixThousandByFortyFiveHundredTwipsGivesTheDocumentedShapes) {
    test::Sim sim;
    sim.Do("start\nresize 400 300");
    const std::vector<std::string> expected = {
        "CreateRectRgn(0, 26, 400, 274)",
        "CreateRectRgn(23, 0, 377, 300)", "CombineRgn(2)", "DeleteObject",
        "CreateRectRgn(23, 52, 400, 294)", "CombineRgn(2)", "DeleteObject",
        "CreateRectRgn(52, 52, 394, 300)", "CombineRgn(2)", "DeleteObject",
        "CreateEllipticRgn(0, 0, 52, 52)", "CombineRgn(2)", "DeleteObject",
        "CreateEllipticRgn(350, 0, 401, 52)", "CombineRgn(2)", "DeleteObject",
        "CreateEllipticRgn(0, 248, 52, 300)", "CombineRgn(2)", "DeleteObject",
        "CreateEllipticRgn(391, 291, 400, 300)", "CombineRgn(2)", "DeleteObject",
        "SetWindowRgn(-1)",
    };
    EXPECT_EQ(Outline(sim), expected);
}

TEST(OutlineTest, EachCoordinateIsRoundedOnItsOwnHalfToEven) {
    test::Sim sim;
    sim.Do("start");
    // 4507.5 x 4507.5 twips: W = H = 300.5 pixels.
    sim.Host().SetWidth(4507.5f);
    sim.Host().SetHeight(4507.5f);
    const auto outline = Outline(sim);
    ASSERT_EQ(outline.size(), 23u);
    EXPECT_EQ(outline[0], "CreateRectRgn(0, 26, 300, 274)") << "300.5 -> 300, 274.5 -> 274";
    EXPECT_EQ(outline[1], "CreateRectRgn(23, 0, 278, 300)") << "277.5 -> 278";
    EXPECT_EQ(outline[4], "CreateRectRgn(23, 52, 300, 294)") << "294.5 -> 294";
    EXPECT_EQ(outline[7], "CreateRectRgn(52, 52, 294, 300)");
    EXPECT_EQ(outline[13], "CreateEllipticRgn(250, 0, 302, 52)") << "250.5 -> 250, 301.5 -> 302";
    EXPECT_EQ(outline[16], "CreateEllipticRgn(0, 248, 52, 300)") << "248.5 -> 248";
    EXPECT_EQ(outline[19], "CreateEllipticRgn(292, 292, 300, 300)") << "291.5 -> 292";
}

// The documented pixels in and out of the outline, at several sizes.
TEST(OutlineTest, CornerPixelsAreCutAndEdgePixelsKept) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{400, 300}, {290, 231}, {167, 101}, {1024, 768}}) {
        test::Sim sim;
        sim.Do("screen 1280 1024\nstart\nresize " + std::to_string(w) + " " + std::to_string(h));
        const Region* r = sim.Host().WindowRegion();
        ASSERT_NE(r, nullptr);
        const std::string at = " at " + std::to_string(w) + " x " + std::to_string(h);
        for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
            EXPECT_FALSE(r->Contains(x, y)) << "(" << x << ", " << y << ") should be cut" << at;
        for (auto [x, y] : std::vector<std::pair<int, int>>{
                 {0, 26}, {w - 1, 26}, {23, 0}, {w - 7, h - 1}, {w - 1, h - 7}, {w - 5, h - 5}})
            EXPECT_TRUE(r->Contains(x, y)) << "(" << x << ", " << y << ") should be inside" << at;
        // The snapshot is transparent exactly there.
        EXPECT_EQ(sim.At(0, 0).a, 0) << at;
        EXPECT_EQ(sim.At(w / 2, h / 2).a, 255) << at;
        // The artwork's red corner fill lies wholly outside the outline: none shows anywhere.
        int red = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (sim.At(x, y) == kShownRed && red++ < 5) ADD_FAILURE() << "red shows at (" << x << ", " << y << ")" << at;
        EXPECT_EQ(red, 0) << "red pixels shown" << at;
    }
}

// The outline of the largest window the system allows: a few bands, however many rows.
TEST(OutlineTest, AHugeWindowsOutlineHasFewBands) {
    test::Sim sim;
    sim.Do("start\nmove 647 490\ndown left\nmove 10000000 10000000\nup left");
    ASSERT_NE(sim.Host().WindowRegion(), nullptr);
    const Region& outline = *sim.Host().WindowRegion();
    EXPECT_LT(outline.Bands(), 120u);
    EXPECT_TRUE(outline.Contains(32767 - 5, 32767 - 5));
    EXPECT_FALSE(outline.Contains(32767 - 1, 32767 - 1));
    EXPECT_TRUE(outline.Contains(0, 16000));
}

// Failures while the outline is cut: a region the window refuses stays the program's, as the
// platform documents, and the host releases it; a failed base takes the outline away, the
// ellipses made on the way still released; a failed size read hands the window no region.
TEST(OutlineTest, FailuresWhileCuttingLeaveNoHandleBehind) {
    test::Sim refused;
    refused.Do("fail SetWindowRgn\nstart");
    for (int i = 0; i < 50; ++i) refused.Do("resize " + std::to_string(300 + i) + " 240");
    EXPECT_EQ(refused.Host().LiveRegions(), 0u) << "refused regions left behind";
    EXPECT_EQ(refused.Host().WindowRegion(), nullptr) << "no region was taken";

    test::Sim noBase;
    noBase.Do("start");
    EXPECT_NE(noBase.Host().WindowRegion(), nullptr);
    noBase.Do("fail CreateRectRgn\nresize 400 300");
    EXPECT_EQ(noBase.Host().WindowRegion(), nullptr) << "a null base takes the outline away";
    EXPECT_EQ(noBase.At(0, 0).a, 255) << "the corner is no longer cut";
    EXPECT_EQ(noBase.Host().LiveRegions(), 0u) << "the ellipses made on the way are still released";

    test::Sim noHeight;
    noHeight.Do("start");
    const auto before = Outline(noHeight);
    noHeight.Do("fail Height\nresize 400 300");
    EXPECT_EQ(Outline(noHeight), before) << "no region is handed to the window";
    EXPECT_TRUE(noHeight.Host().Running()) << "the layout swallows the failure";
}

// The region commands as every backend has them from the runtime, with GDI's rules: the result
// of each call in turn, the handles the program still owns after it and the window's outline.
TEST(OutlineTest, RegionCommandsFollowGdisRules) {
    test::Sim sim;
    sim.Do("start");
    sim::SimHost& h = sim.Host();
    ASSERT_NE(sim.Host().WindowRegion(), nullptr);
    const Region start = *sim.Host().WindowRegion();
    Region joined = Region::Rect(0, 0, 10, 10);
    joined.Union(Region::Ellipse(20, 0, 30, 10));
    const HWND ours = h.hWnd(), notOurs = ours + 1;
    constexpr HRGN kUnknown = 0x7777;
    constexpr int kRgnAnd = 1;
    HRGN a = 0, b = 0, c = 0;
    enum Shown { kStart, kJoined, kRectangular };
    const struct {
        const char* what;
        std::function<int()> call;
        int result;
        std::size_t owned;
        Shown shown;
    } steps[] = {
        {"a rectangle", [&] { return (a = h.CreateRectRgn(0, 0, 10, 10)) != 0; }, 1, 1, kStart},
        {"an ellipse", [&] { return (b = h.CreateEllipticRgn(20, 0, 30, 10)) != 0; }, 1, 2, kStart},
        {"an empty box", [&] { return (c = h.CreateRectRgn(5, 5, 5, 9)) != 0; }, 1, 3, kStart},
        {"empty with empty", [&] { return h.CombineRgn(c, c, c, RGN_OR); }, kNullRegion, 3, kStart},
        {"a rectangle with nothing", [&] { return h.CombineRgn(c, a, c, RGN_OR); }, kSimpleRegion, 3, kStart},
        {"a rectangle with an ellipse", [&] { return h.CombineRgn(a, a, b, RGN_OR); }, kComplexRegion, 3, kStart},
        {"another mode", [&] { return h.CombineRgn(c, a, b, kRgnAnd); }, kRegionError, 3, kStart},
        {"an unknown source", [&] { return h.CombineRgn(c, a, kUnknown, RGN_OR); }, kRegionError, 3, kStart},
        {"an unknown handle deleted", [&] { return h.DeleteObject(kUnknown); }, 0, 3, kStart},
        {"given to a window not ours", [&] { return h.SetWindowRgn(notOurs, b, -1); }, 0, 3, kStart},
        {"deleted after that refusal", [&] { return h.DeleteObject(b); }, 1, 2, kStart},
        {"deleted twice", [&] { return h.DeleteObject(b); }, 0, 2, kStart},
        {"an unknown handle given", [&] { return h.SetWindowRgn(ours, kUnknown, -1); }, 0, 2, kStart},
        {"given to our window", [&] { return h.SetWindowRgn(ours, a, -1); }, 1, 1, kJoined},
        {"deleted once given", [&] { return h.DeleteObject(a); }, 0, 1, kJoined},
        {"combined once given", [&] { return h.CombineRgn(c, c, a, RGN_OR); }, kRegionError, 1, kJoined},
        {"a null region", [&] { return h.SetWindowRgn(ours, 0, -1); }, 1, 1, kRectangular},
        {"the last one deleted", [&] { return h.DeleteObject(c); }, 1, 0, kRectangular},
    };
    for (const auto& step : steps) {
        const int got = step.call();
        EXPECT_EQ(got, step.result) << step.what << ": expected result " << step.result << ", got " << got;
        EXPECT_EQ(h.LiveRegions(), step.owned) << step.what << ": handles the program owns";
        const Region* shown = sim.Host().WindowRegion();
        const Region& want = step.shown == kStart ? start : joined;
        EXPECT_TRUE(step.shown == kRectangular ? shown == nullptr : shown && *shown == want)
            << step.what << ": expected the window " << (step.shown == kRectangular ? "rectangular" : "cut to the outline")
            << (step.shown == kJoined ? " it was given" : step.shown == kStart ? " it had" : "") << ", got "
            << (shown ? std::to_string(shown->Area()) + " pixels" : std::string("none"));
    }
}

// The artwork's red corner fill never shows, at any scale, normal or maximized, and the outline
// stays within the window's device pixels (1.5 rounds a layout edge up to a device pixel more).
TEST(OutlineTest, NoRedShowsAndTheOutlineStaysInTheWindowAtEveryScale) {
    for (const double factor : {1.0, 1.5}) {
        for (const char* state : {"normal", "maximized"}) {
            const std::string at = std::string(state) + " at scale " + std::to_string(factor);
            test::Sim sim;
            sim.Do("scale " + std::to_string(factor) + "\nscreen 1024 768\nstart\nsystem-state " + state);
            const PixelRect d = sim.Host().DeviceRect();
            const Region* outline = sim.Host().WindowRegion();
            ASSERT_NE(outline, nullptr) << at;
            const PixelRect b = outline->Bounds();
            EXPECT_TRUE(b.x >= 0 && b.y >= 0 && b.x + b.w <= d.w && b.y + b.h <= d.h)
                << at << ": expected the outline within " << d.w << " x " << d.h << ", its bounds reach "
                << b.x + b.w << " x " << b.y + b.h;
            long red = 0;
            for (int y = 0; y < d.h; ++y)
                for (int x = 0; x < d.w; ++x)
                    if (sim.At(x, y) == kShownRed && red++ < 3) ADD_FAILURE() << "red shows at (" << x << ", " << y << ") " << at;
            EXPECT_EQ(red, 0) << "expected no red pixel " << at << ", got " << red;
        }
    }
}

}  // namespace
}  // namespace tarvik
