// Start-up: the window is centred on the screen before it is first laid out.
#include <gtest/gtest.h>

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
