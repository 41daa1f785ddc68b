// Start-up: the window is centred on the screen before it is first laid out.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support.h"

namespace tarvik {
namespace {

struct Centring {
    int screenW, screenH;
    float left, top;
};

class CentringTest : public ::testing::TestWithParam<Centring> {};

TEST_P(CentringTest, CentresInSinglePrecisionKeepingTheHalfTwip) {
    const Centring c = GetParam();
    test::Sim sim;
    sim.Do("screen " + std::to_string(c.screenW) + " " + std::to_string(c.screenH) + "\nstart");
    const auto g = sim.Host().WindowGeometry();
    EXPECT_EQ(g.left, c.left) << "left on a " << c.screenW << " x " << c.screenH << " screen";
    EXPECT_EQ(g.top, c.top) << "top on a " << c.screenW << " x " << c.screenH << " screen";
    EXPECT_EQ(g.width, 4350.0f) << "start-up never changes the size";
    EXPECT_EQ(g.height, 3465.0f);
}

INSTANTIATE_TEST_SUITE_P(Screens, CentringTest,
                         ::testing::Values(Centring{1024, 768, 5505.0f, 4027.5f},
                                           Centring{1023, 767, 5497.5f, 4020.0f},
                                           // Smaller than the window: it overhangs both edges alike.
                                           Centring{200, 100, -675.0f, -982.5f}));

// At a display scale the centred place keeps its half twips down to the device pixel, rounded
// once: within half a device pixel of the exact centre of the window's device size.
struct ScaledCentring {
    double scale;
    int screenW, screenH;
    int x, y;  // device pixels
};

class ScaledCentringTest : public ::testing::TestWithParam<ScaledCentring> {};

TEST_P(ScaledCentringTest, CentresWithinHalfADevicePixel) {
    const ScaledCentring c = GetParam();
    test::Sim sim;
    sim.Do("scale " + std::to_string(c.scale) + "\nscreen " + std::to_string(c.screenW) + " " + std::to_string(c.screenH) +
           "\nstart");
    const PixelRect d = sim.Host().DeviceRect();
    const double exactX = (c.screenW - d.w) / 2.0, exactY = (c.screenH - d.h) / 2.0;
    EXPECT_LE(std::abs(d.x - exactX), 0.5) << "at scale " << c.scale << " expected x near " << exactX << ", got " << d.x;
    EXPECT_LE(std::abs(d.y - exactY), 0.5) << "at scale " << c.scale << " expected y near " << exactY << ", got " << d.y;
    EXPECT_EQ(d.x, c.x) << "at scale " << c.scale;
    EXPECT_EQ(d.y, c.y) << "at scale " << c.scale;
    // The core reads back the twips it set, the window being where its move put it.
    const auto g = sim.Host().WindowGeometry();
    const float screenTwipsW = static_cast<float>(c.screenW / c.scale * 15), screenTwipsH = static_cast<float>(c.screenH / c.scale * 15);
    EXPECT_EQ(g.left, (screenTwipsW - 4350.0f) / 2.0f) << "at scale " << c.scale;
    EXPECT_EQ(g.top, (screenTwipsH - 3465.0f) / 2.0f) << "at scale " << c.scale;
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledCentringTest,
                         ::testing::Values(ScaledCentring{1.0, 1024, 768, 367, 269},
                                           ScaledCentring{1.5, 1024, 768, 295, 211},  // exact 294.5, 210.5
                                           ScaledCentring{2.0, 1024, 768, 222, 153},  // exact 222, 153
                                           ScaledCentring{1.25, 1366, 768, 502, 240}));

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
