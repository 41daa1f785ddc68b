// The caption buttons' hover pictures under Wine, compared with what the simulated host shows
// for the same pointer moves, and their tooltips' Chinese words.
#include <gtest/gtest.h>

#include "tests/wine/harness.h"

namespace tarvik::wine {
namespace {

TEST(WineCaptionButtons, HoverShowsTheHoverPictureAndAFaceMoveTakesItAway) {
    PointerTo(2, 2);
    std::string error;
    const auto simWindow = SimStartGeometry(&error);
    ASSERT_TRUE(simWindow) << error;
    const auto simRest = SimSnapshot("start", OutPath("caption-sim-rest.png"), &error);
    ASSERT_TRUE(simRest) << error;

    Program program(TARVIK_WIN64_EXE, "caption-wine.log");
    const auto started = StartAndWaitForWindow(program, &error);
    ASSERT_TRUE(started) << error;
    const Geometry g = *started;
    // A point on the bare face, clear of every element (device pixels, as the buttons').
    const DisplayScale scale = TestScale();
    const int faceX = scale.ToDevice(150), faceY = scale.ToDevice(120);

    for (const Button button : {Button::Close, Button::Minimize, Button::Maximize}) {
        const std::string name = ButtonName(button);
        SCOPED_TRACE(name + " button");
        const Rect r = ButtonRect(button, g.width);
        const int bx = r.x + r.width / 2, by = r.y + r.height / 2;

        // What the simulated host shows after the same two moves (in its layout pixels).
        const std::string moves = "start\nmove " + std::to_string(simWindow->x + scale.ToLayout(faceX)) + " " +
                                  std::to_string(simWindow->y + scale.ToLayout(faceY)) + "\nmove " +
                                  std::to_string(simWindow->x + scale.ToLayout(bx)) + " " +
                                  std::to_string(simWindow->y + scale.ToLayout(by)) + "\n";
        const auto simHover = SimSnapshot(moves, OutPath("caption-sim-" + name + "-hover.png"), &error);
        ASSERT_TRUE(simHover) << error;
        const Image hoverLook = Crop(*simHover, r), restLook = Crop(*simRest, r);
        ASSERT_GT(CountDifferences(hoverLook, restLook), 0)
            << "expected the simulated host's hover picture to differ from the resting " << name << " button";

        PointerTo(g.x + faceX, g.y + faceY);
        PointerTo(g.x + bx, g.y + by);
        const std::string shotPath = OutPath("caption-wine-" + name + "-hover.png");
        long differences = SquareDifferences(g, r, *simHover, "caption-wine-" + name + "-hover");
        EXPECT_EQ(differences, 0) << "expected the " << r.width << " x " << r.height << " square of the " << name
                                  << " button (" << ToString(r) << ") to show the hover picture of the simulated host; "
                                  << differences << " pixels differ (" << shotPath << " against "
                                  << OutPath("caption-sim-" + name + "-hover.png") << ")";

        {
            // Its tooltip shows the Chinese words in real glyphs, not empty boxes.
            const std::string word = button == Button::Close ? "关闭" : button == Button::Minimize ? "最小化" : "最大化";
            const std::string tipPath = OutPath("caption-wine-" + name + "-tooltip.png");
            std::optional<Rect> tip;
            double match = -1;
            PollUntil(
                [&] {
                    const auto shot = Screenshot(tipPath, &error);
                    if (!shot) return false;
                    tip = FindToolTip(*shot, g.x + bx, g.y + by);
                    if (!tip) return false;
                    match = ToolTipInkMatch(*shot, *tip, word);
                    return match >= kToolTipWordsMatch;
                },
                8s, 300ms);
            std::printf("%s tooltip: %s, ink match with %s %.2f\n", name.c_str(), tip ? ToString(*tip).c_str() : "none",
                        word.c_str(), match);
            EXPECT_GE(match, kToolTipWordsMatch)
                << "expected the " << name << " button's tooltip to show " << word << " drawn with real glyphs; "
                << (tip ? "its ink matches the words " + std::to_string(match) : std::string("no tooltip appeared"))
                << " (" << tipPath << ")";
        }

        // A move over the bare face puts the button back at rest.
        PointerTo(g.x + faceX, g.y + faceY);
        const std::string restPath = OutPath("caption-wine-" + name + "-rest.png");
        differences = SquareDifferences(g, r, *simRest, "caption-wine-" + name + "-rest");
        EXPECT_EQ(differences, 0) << "expected the " << name << " button back at rest after a move over the face; "
                                  << differences << " pixels differ from the resting look (" << restPath << ")";
    }

    ExpectClosedByButton(program, g);
}

}  // namespace
}  // namespace tarvik::wine
