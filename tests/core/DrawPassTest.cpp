// The draw pass: clear colour, layers, and the rule-image transition overlay, read back as pixels.
#include "core/Services.hpp"
#include "core/Window.hpp"
#include "scene/Entities.hpp"
#include "scene/Entity.hpp"
#include "support/EngineSession.hpp"

#include <gtest/gtest.h>

namespace {

crvtest::EngineOptions small(bool gameMode) {
    crvtest::EngineOptions options;
    options.width = 200;
    options.height = 100;
    options.gameMode = gameMode;
    return options;
}

// A 200x100 red image covering the view, shown as a cg on layer 1.
void showRed(crvtest::EngineSession& engine) {
    engine.writeImage("Images/red.png", 200, 100, [](unsigned, unsigned) { return sf::Color::Red; });
    auto sprite = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"red", 1);
    ASSERT_TRUE(sprite->loadTexture(L"red.png"));
    ASSERT_TRUE(crv::InsNovelEntity(sprite, 1, L"red"));
}

// Mask: left half red 0, right half red 255.
void writeMask(crvtest::EngineSession& engine) {
    engine.writeImage("Images/rule.png", 20, 10, [](unsigned x, unsigned) {
        return x < 10 ? sf::Color(0, 0, 0) : sf::Color(255, 255, 255);
    });
}

TEST(DrawPass, ClearsWithTheCurrentColourAndDrawsLayers) {
    crvtest::EngineSession engine(small(false));
    engine.vars().clearColour.set(sf::Color(0, 0, 255));
    crv::DrawPass();
    EXPECT_EQ(engine.frame().getPixel(100, 50), sf::Color(0, 0, 255));
    showRed(engine);
    crv::DrawPass();
    EXPECT_EQ(engine.frame().getPixel(100, 50), sf::Color::Red);
}

TEST(DrawPass, AFadeOutCoversWhereTheMaskIsBelowTheThreshold) {
    crvtest::EngineSession engine(small(true));
    showRed(engine);
    writeMask(engine);
    // Long enough that the threshold stays 0 while the test runs: dark mask pixels cover at once.
    engine.vars().transition = {L"rule.png", 100000};
    engine.vars().transitionStart = true;
    engine.vars().transitionFadeIn = false;
    crv::DrawPass();
    const sf::Image frame = engine.frame();
    EXPECT_EQ(frame.getPixel(50, 50), sf::Color::Black) << "mask 0: alpha 255 - 0, fully covered";
    EXPECT_EQ(frame.getPixel(150, 50), sf::Color::Red) << "mask 255: alpha 0, the scene shows";
    EXPECT_FALSE(engine.vars().transitionStart);
}

TEST(DrawPass, AFadeInRevealsWhiteWhereTheMaskIsBright) {
    crvtest::EngineSession engine(small(true));
    showRed(engine);
    writeMask(engine);
    engine.vars().transition = {L"rule.png", 100000};
    engine.vars().transitionStart = true;
    engine.vars().transitionFadeIn = true;
    crv::DrawPass();
    const sf::Image frame = engine.frame();
    EXPECT_EQ(frame.getPixel(50, 50), sf::Color::Red);
    EXPECT_EQ(frame.getPixel(150, 50), sf::Color::White);
}

TEST(DrawPass, AShortFadeOutFinishesAtOnceAndEmptiesTheScene) {
    crvtest::EngineSession engine(small(true));
    showRed(engine);
    writeMask(engine);
    engine.mainParser().setParserState(crv::SYNC_EXEC);
    engine.vars().transition = {L"rule.png", 200};
    engine.vars().transitionStart = true;
    crv::DrawPass();
    EXPECT_TRUE(engine.vars().transition.first.empty());
    EXPECT_EQ(engine.mainParser().getParserState(), crv::PARSE_CONT) << "the synchronous line reads on";
    EXPECT_TRUE(crv::Services::Entities()->m_nameReferences.empty());
    EXPECT_EQ(engine.frame().getPixel(100, 50), sf::Color::Black);
}

TEST(DrawPass, AMissingMaskWaitsAndRetries) {
    crvtest::EngineSession engine(small(true));
    engine.vars().transition = {L"absent.png", 1000};
    engine.vars().transitionStart = true;
    crv::DrawPass();
    crv::DrawPass();
    EXPECT_TRUE(engine.vars().transitionStart) << "the request stays until the image exists";
    writeMask(engine);
    engine.vars().transition.first = L"rule.png";
    crv::DrawPass();
    EXPECT_FALSE(engine.vars().transitionStart);
}

TEST(DrawPass, ASaveScreenshotLeavesOutWhatIsNotSaved) {
    crvtest::EngineSession engine(small(true));
    showRed(engine);
    crv::getEntityWithName(L"red", false)->setShowInSaveScreenshot(false);
    engine.vars().renderMode = 2;
    crv::DrawPass();
    EXPECT_NE(engine.log().find("NOT SAVING IN SS: red\n"), std::string::npos);
}

} // namespace
