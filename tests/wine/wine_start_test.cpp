// The program as a user first sees it under Wine: where the window opens, its rounded outline,
// its face, the frame compared with the simulated host's, the same maximized, and the close
// button ending the process.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/wine/harness.h"

namespace tarvik::wine {
namespace {

TEST(WineStartWindow, OpensCentredRoundedAndLikeTheSimulatedFrameThenClosesWithStatusZero) {
    // The pointer stays off the window so that no button shows a hover picture.
    PointerTo(2, 2);
    std::string error;
    const auto background = Screenshot(OutPath("start-background.png"), &error);
    ASSERT_TRUE(background) << error;

    // Centred on 1024 x 768 at the start size.
    Program program(TARVIK_WIN64_EXE, "start-wine.log");
    const auto started = StartAndWaitForWindow(program, &error);
    ASSERT_TRUE(started) << error;
    const Geometry g = *started;
    // Centred to within a layout pixel (the program centres in twips and rounds half pixels up).
    const int layoutPixel = TestScale().ToDevice(1);
    EXPECT_LE(std::abs(2 * g.x + g.width - 1024), 2 * layoutPixel) << "expected the window centred across 1024 pixels";
    EXPECT_LE(std::abs(2 * g.y + g.height - 768), 2 * layoutPixel) << "expected the window centred down 768 pixels";
    std::printf("window at %d dpi: %s\n", TestDpi(), ToString(g).c_str());

    const auto reference = SimSnapshot("start", OutPath("start-sim.png"), &error);
    ASSERT_TRUE(reference) << error;
    ASSERT_EQ(reference->width, g.width) << "simulated frame width";
    ASSERT_EQ(reference->height, g.height) << "simulated frame height";

    // Wait for the first paint to arrive on the screen: poll until the frame agrees.
    std::optional<Image> shot;
    const Agreement agreement =
        PollAgreement(*reference, g.x, g.y, CaptionTextBox(), RequiredAgreementPercent(), "start", &shot, 15s);
    ASSERT_TRUE(shot) << agreement.firstDifferences;
    const Agreement close = Compare(*shot, g.x, g.y, *reference, CaptionTextBox(), 8);
    RecordProperty("agreement_percent", std::to_string(agreement.Percent()));
    std::printf("start frame: %.3f%% of %ld pixels agree exactly, %.3f%% within 8 levels\n", agreement.Percent(),
                agreement.compared, close.Percent());
    EXPECT_GE(agreement.Percent(), RequiredAgreementPercent())
        << "expected the window under Wine and the simulated host's frame to agree on at least "
        << RequiredAgreementPercent() << "% of the pixels inside the outline (caption text box excluded); "
        << agreement.Report() << "Pictures in " << OutPath("start-*.png");

    // The four corner pixels are cut away: the screen there shows what it showed before the window.
    const std::pair<int, int> corners[] = {{0, 0}, {g.width - 1, 0}, {0, g.height - 1}, {g.width - 1, g.height - 1}};
    for (const auto& [x, y] : corners) {
        const Pixel before = background->At(g.x + x, g.y + y), now = shot->At(g.x + x, g.y + y);
        EXPECT_EQ(now, before) << "expected window corner pixel (" << x << ", " << y
                               << ") to show the screen behind the window, " << ToString(before) << ", got "
                               << ToString(now);
    }
    // Elsewhere outside the rounded outline the screen behind shows too. Which pixels an
    // elliptic region takes along its curve is the platform's own rasterisation, so a few pixels
    // on the curves may differ from the simulated host's outline.
    long outside = 0, showingBackground = 0;
    std::string notCut;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            if (reference->At(x, y).a != 0) continue;
            ++outside;
            const Pixel now = shot->At(g.x + x, g.y + y);
            if (now == background->At(g.x + x, g.y + y)) ++showingBackground;
            else if (notCut.size() < 400) notCut += " (" + std::to_string(x) + ", " + std::to_string(y) + ") " + ToString(now);
        }
    std::printf("outside the outline: %ld of %ld pixels show the screen behind;%s\n", showingBackground, outside,
                notCut.c_str());
    EXPECT_GT(outside, 400) << "expected the simulated frame's rounded corners to leave over 400 pixels outside";
    EXPECT_GE(showingBackground * 100, outside * 99)
        << "expected at least 99% of the " << outside << " pixels outside the rounded outline to show the screen "
        << "behind the window; " << outside - showingBackground << " do not:" << notCut;

    // The face between the frame strips is the back colour RGB(250, 250, 250).
    long wrong = 0;
    std::string firstWrong;
    const Rect face = ToDevice({14, 40, TestScale().ToLayoutLength(g.width) - 28, TestScale().ToLayoutLength(g.height) - 80});
    for (int y = face.y; y < face.y + face.height; ++y)
        for (int x = face.x; x < face.x + face.width; ++x) {
            const Pixel p = shot->At(g.x + x, g.y + y);
            if (p.r != 250 || p.g != 250 || p.b != 250) {
                if (!wrong++) firstWrong = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + ToString(p);
            }
        }
    EXPECT_EQ(wrong, 0) << "expected the face " << ToString(face)
                        << " to be RGB(250, 250, 250); " << wrong << " pixels differ, first " << firstWrong;

    // Normal and maximized, no red of the artwork's corner fill shows anywhere on the window,
    // and the outline X was given lies within the window.
    const auto ExpectOutlineWithin = [&](const Image& screen, const Geometry& window, const std::string& state) {
        std::string where;
        const long red = RedPixels(screen, window, &where);
        EXPECT_EQ(red, 0) << "expected no pure red pixel on the " << state << " window " << ToString(window) << ", got "
                          << red << ":" << where;
        const auto box = ShapeExtents(program.Window(), &error);
        ASSERT_TRUE(box) << error;
        std::printf("%s window %s: %ld pure red pixels, outline box %s\n", state.c_str(), ToString(window).c_str(), red,
                    ToString(*box).c_str());
        EXPECT_TRUE(box->x >= 0 && box->y >= 0 && box->x + box->width <= window.width &&
                    box->y + box->height <= window.height)
            << "expected the " << state << " outline within the window's " << window.width << " x " << window.height
            << ", got " << ToString(*box);
    };
    ExpectOutlineWithin(*shot, g, "normal");
    const auto work = WorkAreaOrScreen();
    ASSERT_TRUE(work) << "cannot read the work area";
    ClickButton(Button::Maximize, g);
    const auto maximized = program.WaitForGeometry(*work);
    ASSERT_EQ(maximized, *work) << "expected the maximize button to fill the work area";
    {
        // The frame is complete once it agrees with the simulated host's, the pointer on the face.
        const DisplayScale scale = TestScale();
        const int faceX = work->x + work->width / 2, faceY = work->y + work->height / 2;
        PointerTo(faceX, faceY);
        const auto frame = SimSnapshot("screen " + std::to_string(scale.ToLayoutLength(work->width)) + " " +
                                           std::to_string(scale.ToLayoutLength(work->height)) +
                                           "\nstart\nsystem-state maximized\nmove " +
                                           std::to_string(scale.ToLayout(faceX - work->x)) + " " +
                                           std::to_string(scale.ToLayout(faceY - work->y)) + "\n",
                                       OutPath("start-maximized-sim.png"), &error);
        ASSERT_TRUE(frame) << error;
        std::optional<Image> maximizedShot;
        const Agreement shown = PollAgreement(*frame, work->x, work->y, CaptionTextBox(), RequiredAgreementPercent(),
                                              "start-maximized", &maximizedShot);
        ASSERT_TRUE(maximizedShot) << shown.firstDifferences;
        EXPECT_GE(shown.Percent(), RequiredAgreementPercent()) << "the maximized frame; " << shown.Report();
        ExpectOutlineWithin(*maximizedShot, *work, "maximized");
    }

    // The close button ends the program at once, with status 0.
    ExpectClosedByButton(program, *work);
}

}  // namespace
}  // namespace tarvik::wine
