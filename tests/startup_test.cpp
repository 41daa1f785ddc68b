// Start-up: the window is centred on the screen before it is first laid out.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support.h"

namespace tarvik {
namespace {

// The window is centred in single precision, keeping the half twip, and at a display scale that
// place is rounded once to the device pixel: within half a device pixel of the exact centre of
// the window's device size (half pixels round up). Start-up never changes the size.
struct Centring {
    double scale;
    int screenW, screenH;
    float left, top;  // twips
    int x, y;         // device pixels
};

class CentringTest : public ::testing::TestWithParam<Centring> {};

TEST_P(CentringTest, CentresKeepingTheHalfTwipAndWithinHalfADevicePixel) {
    const Centring c = GetParam();
    const std::string on = " at scale " + std::to_string(c.scale) + " on " + std::to_string(c.screenW) + " x " +
                           std::to_string(c.screenH);
    test::Sim sim;
    sim.Do("scale " + std::to_string(c.scale) + "\nscreen " + std::to_string(c.screenW) + " " + std::to_string(c.screenH) +
           "\nstart");
    // The core reads back the twips it set, the window being where its move put it.
    const auto g = sim.Host().WindowGeometry();
    EXPECT_EQ((std::vector<float>{g.left, g.top, g.width, g.height}), (std::vector<float>{c.left, c.top, 4350, 3465}))
        << "expected the twips" << on;
    const PixelRect d = sim.Host().DeviceRect();
    const double exactX = (c.screenW - d.w) / 2.0, exactY = (c.screenH - d.h) / 2.0;
    EXPECT_LE(std::abs(d.x - exactX), 0.5) << "expected x near " << exactX << ", got " << d.x << on;
    EXPECT_LE(std::abs(d.y - exactY), 0.5) << "expected y near " << exactY << ", got " << d.y << on;
    EXPECT_EQ((std::vector<int>{d.x, d.y}), (std::vector<int>{c.x, c.y})) << "expected the device place" << on;
}

INSTANTIATE_TEST_SUITE_P(Screens, CentringTest,
                         ::testing::Values(Centring{1.0, 1024, 768, 5505.0f, 4027.5f, 367, 269},
                                           Centring{1.0, 1023, 767, 5497.5f, 4020.0f, 367, 268},
                                           // Smaller than the window: it overhangs both edges alike.
                                           Centring{1.0, 200, 100, -675.0f, -982.5f, -45, -65},
                                           Centring{1.5, 1024, 768, 2945.0f, 2107.5f, 295, 211},  // exact 294.5, 210.5
                                           Centring{2.0, 1024, 768, 1665.0f, 1147.5f, 222, 153},
                                           Centring{1.25, 1366, 768, 6021.0f, 2875.5f, 502, 240}));

TEST(StartupTest, AFailedCentringStillShowsAndPaintsTheWindow) {
    test::Sim sim;
    sim.Do("fail Move\nstart");
    const auto g = sim.Host().WindowGeometry();
    EXPECT_EQ(g.left, 0.0f) << "the window stays where it was created";
    EXPECT_EQ(g.top, 0.0f);
    EXPECT_TRUE(sim.Host().Running());
    EXPECT_EQ(sim.Host().ElemWidth(Elem::IMBar), 3250.0f) << "and is laid out as usual";
    EXPECT_EQ(sim.At(150, 120), (test::Rgba{250, 250, 250, 255}));
}

}  // namespace
}  // namespace tarvik
