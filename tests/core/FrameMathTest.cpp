// Pacing, the borderless viewport and the rule-transition arithmetic.
#include "core/Services.hpp"
#include "core/Window.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Pacing, LetsOneFramePer14MillisecondsOfTheWindow) {
    EXPECT_FALSE(crv::PacingAllowsFrame(0, 0)) << "the first frame of a window needs at least 1 ms";
    EXPECT_TRUE(crv::PacingAllowsFrame(1, 0));
    EXPECT_FALSE(crv::PacingAllowsFrame(14, 1));
    EXPECT_TRUE(crv::PacingAllowsFrame(15, 1));
    EXPECT_FALSE(crv::PacingAllowsFrame(990, 71));
    EXPECT_TRUE(crv::PacingAllowsFrame(999, 71));
    // A host calling every 5 ms for one second gets at most 72 frames.
    int frames = 0;
    for (int t = 0; t < 1000; t += 5)
        if (crv::PacingAllowsFrame(t, frames))
            ++frames;
    EXPECT_GE(frames, 70);
    EXPECT_LE(frames, 72);
}

TEST(FullWindow, KeepsTheNovelsAspectCentred) {
    const sf::FloatRect wide = crv::FullWindowViewport(1920, 1080, 800, 600);
    EXPECT_NEAR(wide.left, 0.1667f, 1e-4);
    EXPECT_FLOAT_EQ(wide.top, 0.f);
    EXPECT_NEAR(wide.width, 0.6667f, 1e-4);
    EXPECT_FLOAT_EQ(wide.height, 1.f);

    const sf::FloatRect tall = crv::FullWindowViewport(1080, 1920, 600, 800);
    EXPECT_FLOAT_EQ(tall.left, 0.f);
    EXPECT_NEAR(tall.top, 0.1667f, 1e-4);
    EXPECT_FLOAT_EQ(tall.width, 1.f);
    EXPECT_NEAR(tall.height, 0.6667f, 1e-4);

    const sf::FloatRect same = crv::FullWindowViewport(1280, 720, 1280, 720);
    EXPECT_EQ(same, sf::FloatRect(0.f, 0.f, 1.f, 1.f));
}

TEST(RuleTransition, ThresholdAndAlpha) {
    // A fade-out of 1,000 ms: step 3, after 300 ms the threshold is 100.
    EXPECT_EQ(crv::TransitionThreshold(300, 1000), 100);
    EXPECT_EQ(crv::TransitionAlpha(50, 100, false), 255) << "below the threshold a fade-out covers fully";
    EXPECT_EQ(crv::TransitionAlpha(200, 100, false), 155);
    EXPECT_EQ(crv::TransitionAlpha(50, 100, true), 0) << "below the threshold a fade-in shows through";
    EXPECT_EQ(crv::TransitionAlpha(200, 100, true), 100);
    EXPECT_EQ(crv::TransitionAlpha(100, 100, true), 0);
    // Under 255 ms the step would be 0: the transition finishes at once.
    EXPECT_EQ(crv::TransitionThreshold(0, 254), -1);
    EXPECT_EQ(crv::TransitionThreshold(10, 0), -1);
    EXPECT_EQ(crv::TransitionThreshold(0, 255), 0);
}

} // namespace
