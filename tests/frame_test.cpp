// The frame: element placement and the painted face for each size.
#include <gtest/gtest.h>

#include <vector>

#include "host/runtime/display_scale.h"
#include "tests/support.h"

namespace tarvik {
namespace {

using test::Rgba;
using test::Sim;

struct Box {
    float left, top, width, height;
};

Box BoxOf(sim::SimHost& h, Elem e) { return {h.ElemLeft(e), h.ElemTop(e), h.ElemWidth(e), h.ElemHeight(e)}; }

void ExpectBox(sim::SimHost& h, Elem e, Box want) {
    const Box got = BoxOf(h, e);
    EXPECT_TRUE(got.left == want.left && got.top == want.top && got.width == want.width && got.height == want.height)
        << ElemName(e) << ": expected (" << want.left << ", " << want.top << ", " << want.width << ", " << want.height
        << "), got (" << got.left << ", " << got.top << ", " << got.width << ", " << got.height << ")";
}

TEST(LayoutTest, SixThousandByFortyFiveHundredPlacesEveryElement) {
    Sim sim;
    sim.Do("start\nresize 400 300");
    auto& h = sim.Host();
    ExpectBox(h, Elem::IMBar, {0, 0, 4900, 255});
    ExpectBox(h, Elem::Immax, {5220, 120, 255, 240});
    ExpectBox(h, Elem::Immin, {4905, 120, 255, 240});
    ExpectBox(h, Elem::Imclose, {5535, 120, 255, 240});
    ExpectBox(h, Elem::Pbottom, {0, 4305, 5760, 195});
    ExpectBox(h, Elem::Pright, {5865, -240, 135, 4260});
    ExpectBox(h, Elem::Pjiao, {5745, 4245, 255, 255});
    // Elements the layout never touches keep their design values.
    ExpectBox(h, Elem::Pmain, {4080, 3840, 2250, 2325});
    ExpectBox(h, Elem::IMus0, {2760, 4320, 255, 240});
}

TEST(LayoutTest, StartSizeLayout) {
    Sim sim;
    sim.Do("start");
    auto& h = sim.Host();
    EXPECT_EQ(h.ResizeCount(), 1) << "showing the window raises the one first Resize";
    ExpectBox(h, Elem::IMBar, {0, 0, 3250, 255});
    ExpectBox(h, Elem::Immax, {3570, 120, 255, 240});
    ExpectBox(h, Elem::Immin, {3255, 120, 255, 240});
    ExpectBox(h, Elem::Pjiao, {4095, 3210, 255, 255});
}

TEST(LayoutTest, NegativeSizesAreRefusedAndTheRestStillRuns) {
    Sim sim;
    sim.Do("start\nresize 74 300");  // 1110 twips: IMBar width 10
    EXPECT_EQ(sim.Host().ElemWidth(Elem::IMBar), 10.0f);
    sim.Host().SetWidth(1100);
    EXPECT_EQ(sim.Host().ElemWidth(Elem::IMBar), 0.0f) << "exactly 1100 gives a zero width";
    sim.Host().SetWidth(1095);
    EXPECT_EQ(sim.Host().ElemWidth(Elem::IMBar), 0.0f) << "-5 is refused, the old width stays";
    EXPECT_EQ(sim.Host().ElemLeft(Elem::Imclose), 630.0f) << "later steps still run";
    sim.Host().SetHeight(200);
    EXPECT_EQ(sim.Host().ElemHeight(Elem::Pright), 4260.0f) << "-40 is refused, the old height stays";
    EXPECT_EQ(sim.Host().ElemTop(Elem::Pbottom), 5.0f) << "the bottom grip still follows the bottom";
    EXPECT_EQ(sim.Host().ElemTop(Elem::Pjiao), -55.0f) << "the corner grip still follows the bottom";
}

// The window face inside the painted border of a W x H window: columns 9 to W - 10, rows 28 to H - 18.
constexpr int kFaceSide = 9, kFaceTop = 28, kFaceBottomMargin = 17;

// Face pixel (x, y) must equal atlas pixel (ax, ay).
void ExpectAtlas(Sim& sim, int x, int y, int ax, int ay) {
    const Rgba face = sim.At(x, y);
    const Rgba atlas = Sim::PicturePixel(Picture::A2, ax, ay);
    EXPECT_EQ(face, atlas) << "face (" << x << ", " << y << ") should show atlas (" << ax << ", " << ay << "): expected "
                           << test::ToString(atlas) << ", got " << test::ToString(face);
}

// The 400 x 300 face, piece by piece from the atlas, and the same again after other sizes.
TEST(PaintTest, TheFrameIsPaintedFromTheAtlasAndRepaintedTheSame) {
    Sim sim;
    sim.Do("start\nresize 400 300");
    // The top-right block: atlas columns 39..149, rows 0..28 at x 289, copied pixel for pixel.
    for (int y = 0; y < 29; y += 3)
        for (int x = 0; x < 111; x += 5)
            if (sim.Host().WindowRegion()->Contains(289 + x, y)) ExpectAtlas(sim, 289 + x, y, 39 + x, y);
    // The bottom-right block: atlas rows 120..154 at y 265.
    for (int y = 0; y < 35; y += 4)
        for (int x = 0; x < 111; x += 7)
            if (sim.Host().WindowRegion()->Contains(289 + x, 265 + y)) ExpectAtlas(sim, 289 + x, 265 + y, 39 + x, 120 + y);
    // The top-left corner: 30 x 40 at the origin; the bottom-left at y 260.
    ExpectAtlas(sim, 29, 39, 29, 39);
    ExpectAtlas(sim, 25, 270, 25, 125);
    // The title band, stretched across: pixels at x 30..288 come from atlas column 28 + (x - 28) * 8 / 400.
    for (int x = 30; x < 289; x += 7)
        for (int y : {2, 30, 35})
            ExpectAtlas(sim, x, y, 28 + (x - 28) * 8 / 400, y);
    // The edges, stretched down between the blocks: 14 atlas columns from 136 on the right, 13 on the left.
    for (int x = 0; x < 14; ++x) ExpectAtlas(sim, 386 + x, 100, 136 + x, 59);
    for (int x = 0; x < 13; ++x) ExpectAtlas(sim, x, 100, x, 59);
    // Painted again at the same size after others, the face is the same, with no trace of them.
    int w, h;
    const auto first = sim.Host().Snapshot(&w, &h);
    sim.Do("resize 500 380\nresize 300 250\nresize 400 300");
    EXPECT_EQ(sim.Host().Snapshot(&w, &h), first) << "the same size must give the same face";
    // Inside the border every slice shows the atlas's face, which must be the back colour or the
    // pieces would show seams against the fill.
    const Rgba back{250, 250, 250, 255};
    for (int y = kFaceTop; y < 300 - kFaceBottomMargin; ++y)
        for (int x = kFaceSide; x < 400 - kFaceSide; ++x)
            ASSERT_EQ(sim.At(x, y), back) << "interior at " << x << ", " << y << ": got " << test::ToString(sim.At(x, y));
}

TEST(PaintTest, TheSmallIconAndTheCaptionArePainted) {
    Sim sim;
    sim.Do("start");
    // The icon at (16, 7), 16 x 16, wherever it is opaque.
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const Rgba icon = Sim::PicturePixel(Picture::A3, x, y);
            if (icon.a != 255) continue;
            ++opaque;
            ASSERT_EQ(sim.At(16 + x, 7 + y), icon) << "icon pixel " << x << ", " << y;
        }
    EXPECT_GT(opaque, 100);
    // The caption: dark blue text pixels right of the icon, none left of x 35.
    int blue = 0;
    for (int y = 7; y < 26; ++y)
        for (int x = 35; x < 110; ++x) {
            const Rgba p = sim.At(x, y);
            blue += p.b > p.r + 60;
        }
    EXPECT_GT(blue, 40) << "the caption 'Lumenta' should be printed in blue from x 36";
}

TEST(PaintTest, AFailingDrawingCallSkipsOnlyItsPiece) {
    Sim sim;
    sim.Do("start\nfail Print\nresize 400 300");
    EXPECT_EQ(sim.Host().ElemLeft(Elem::Imclose), 5535.0f);
    ExpectAtlas(sim, 300, 10, 50, 10);
    ASSERT_NE(sim.Host().WindowRegion(), nullptr);
    Sim unfailed;
    unfailed.Do("start\nresize 400 300");
    EXPECT_EQ(sim.Host().LastOutline(), unfailed.Host().LastOutline()) << "the outline is still cut for the new size";
    EXPECT_TRUE(sim.Host().Running());
}

// The window on displays of other scales is the scale-1 window enlarged (its place is
// CentringTest's): its device size, its pixels (all but the caption text, drawn at the device's
// resolution, and the outline's curves, cut there too), and a corner-grip drag that follows the
// pointer's device pixels.
TEST(ScaleTest, TheWindowIsTheScaleOneWindowEnlarged) {
    const struct {
        double factor;
        int width, height;
    } cases[] = {{1.5, 435, 347}, {2, 580, 462}};
    Sim one;
    one.Do("start");
    for (const auto& c : cases) {
        SCOPED_TRACE("scale " + std::to_string(c.factor));
        const DisplayScale scale(c.factor);
        Sim sim;
        sim.Do("scale " + std::to_string(c.factor) + "\nscreen " + std::to_string(scale.ToDevice(1024)) + " " +
               std::to_string(scale.ToDevice(768)) + "\nstart");
        const PixelRect d = sim.Host().DeviceRect();
        EXPECT_EQ((std::vector<int>{d.w, d.h}), (std::vector<int>{c.width, c.height})) << "expected the device size";
        long same = 0, compared = 0;
        for (int y = 0; y < d.h; ++y)
            for (int x = 0; x < d.w; ++x) {
                const int lx = scale.ToLayout(x), ly = scale.ToLayout(y);
                if (lx >= 30 && lx < 111 && ly >= 4 && ly < 27) continue;  // the caption text
                ++compared;
                same += sim.At(x, y) == one.At(lx, ly);
            }
        EXPECT_GE(same * 100, compared * 99) << same << " of " << compared << " pixels are the scale-1 window's";

        const int gx = d.x + scale.ToDevice(281), gy = d.y + scale.ToDevice(222);
        sim.Do("move " + std::to_string(gx) + " " + std::to_string(gy) + "\ndown left\nmove " + std::to_string(gx + 20) +
               " " + std::to_string(gy + 20));
        const PixelRect held = sim.Host().DeviceRect();
        sim.Do("move " + std::to_string(gx + 120) + " " + std::to_string(gy + 120) + "\nup left");
        const PixelRect grown = sim.Host().DeviceRect();
        // Each layout pixel is whole: the growth is the pointer's, to within one layout pixel.
        EXPECT_NEAR(grown.w - held.w, 100, c.factor) << "width after a 100-pixel corner drag";
        EXPECT_NEAR(grown.h - held.h, 100, c.factor) << "height after a 100-pixel corner drag";
    }
}

}  // namespace
}  // namespace tarvik
