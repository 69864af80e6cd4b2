// The tween engine at exact times: the millisecond clock is pinned, so every value is exact.
#include "motion/Tween.hpp"
#include "scene/SceneTestKit.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using crv::Tween;
using crvtest::EngineSession;
using scenekit::PinnedClock;

// A registered 40 x 20 image "a" at (0, 0), fully opaque.
std::shared_ptr<crv::NSprite> makeImage(EngineSession& engine) {
    scenekit::solid(engine, "a.png", 40, 20, sf::Color::White);
    auto sprite = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"a", 1);
    EXPECT_TRUE(sprite->loadTexture(L"a.png"));
    EXPECT_TRUE(crv::InsNovelEntity(sprite, 1, L"a"));
    return sprite;
}

TEST(Easing, EndsExactlyAndFollowsItsCurve) {
    struct Case {
        double t, expectLinear, expectQuad;
    };
    // b = 10, c = 100, d = 1000
    for (const Case& c : {Case{0, 10, 10}, Case{250, 35, 22.5}, Case{500, 60, 60}, Case{750, 85, 97.5},
                          Case{1000, 110, 110}, Case{5000, 110, 110}}) {
        EXPECT_DOUBLE_EQ(crv::linearTween(c.t, 10, 100, 1000), c.expectLinear) << "t=" << c.t;
        EXPECT_DOUBLE_EQ(crv::easeInOutQuad(c.t, 10, 100, 1000), c.expectQuad) << "t=" << c.t;
    }
}

TEST(Tween, AMoveEasesInAndOutAndLandsExactlyOnItsEnd) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(1000);
    auto a = makeImage(engine);
    a->addTween(0,
                Tween(crv::Position, 1000.0, 1000.0, sf::Vector2f(0, 0), sf::Vector2f(100, 0), false, false));
    ASSERT_EQ(a->tweens.size(), 1u) << "game mode: the first step waits for the next update";
    for (auto [ms, x] : {std::pair{1250u, 12.5f}, {1500u, 50.f}, {1750u, 87.5f}}) {
        clock.set(ms);
        a->Update();
        EXPECT_FLOAT_EQ(a->getCurrentSprite()->getPosition().x, x) << ms << " ms";
        EXPECT_EQ(a->tweens.size(), 1u);
    }
    clock.set(2001);
    a->Update();
    EXPECT_EQ(a->getCurrentSprite()->getPosition(), sf::Vector2f(100, 0));
    EXPECT_TRUE(a->tweens.empty());
    EXPECT_NE(engine.log().find("[Tween::execTween] fin. name:a, wanted-duration:1000.000000ms, "
                                "real-duration:1001.000000ms, tween-triggerLine:1"),
              std::string::npos);
}

TEST(Tween, FadesTruncateAndWrapModulo256) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(0);
    auto a = makeImage(engine);
    struct Case {
        int from, to;
        std::uint32_t at;
        int alpha;
    };
    for (const Case& c : {Case{255, 0, 500, 127}, Case{255, 0, 1001, 0}, Case{0, 300, 1001, 44},
                          Case{0, 300, 900, 270 % 256}}) {
        Tween fade(crv::Alpha, 0.0, 1000.0, c.from, c.to, false, false);
        Tween::applyTween(a.get(), fade, c.at);
        EXPECT_EQ(a->getColor().a, c.alpha) << c.from << "->" << c.to << " at " << c.at;
    }
}

TEST(Tween, AFadeOutHidesInGameModeOnlyWhenAskedTo) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(0);
    auto a = makeImage(engine);
    Tween::applyTween(a.get(), Tween(crv::Alpha, 0.0, 100.0, 255, 0, false, false), 200);
    EXPECT_FALSE(a->isHidden()) << "a fade to 0 leaves the image visible at alpha 0";
    EXPECT_EQ(a->getColor().a, 0);
    Tween::applyTween(a.get(), Tween(crv::Alpha, 0.0, 100.0, 255, 0, false, true), 50);
    EXPECT_FALSE(a->isHidden()) << "not yet at 0";
    Tween::applyTween(a.get(), Tween(crv::Alpha, 0.0, 100.0, 255, 0, false, true), 200);
    EXPECT_TRUE(a->isHidden());
}

TEST(Tween, RotationCentresTheOriginWithoutMovingTheImageAndNormalises) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(0);
    auto a = makeImage(engine);
    a->getCurrentSprite()->setPosition(10, 10);
    Tween turn(crv::Rotation, 0.0, 0.0, 0, -90, false, false);
    EXPECT_FALSE(Tween::execTween(a.get(), turn, 1)) << "the clock has not moved past the start";
    const crv::sSprite& s = *a->getCurrentSprite();
    EXPECT_EQ(s.getOrigin(), sf::Vector2f(20, 10));
    EXPECT_EQ(s.getPosition(), sf::Vector2f(30, 20));
    EXPECT_FLOAT_EQ(s.getRotation(), 270.f);
    clock.set(1);
    EXPECT_TRUE(Tween::execTween(a.get(), turn, 1));
    EXPECT_EQ(s.getOrigin(), sf::Vector2f(20, 10)) << "centring twice changes nothing";
    EXPECT_EQ(s.getPosition(), sf::Vector2f(30, 20));
}

TEST(Tween, ZoomIsAPercentageAtHalfTime) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(500);
    auto a = makeImage(engine);
    Tween zoom(crv::Scale, 0.0, 1000.0, 100, 150, false, false);
    EXPECT_FALSE(Tween::execTween(a.get(), zoom, 1));
    EXPECT_EQ(a->getCurrentSprite()->getScale(), sf::Vector2f(1.25f, 1.25f));
}

TEST(Tween, SkipProgressAppliesTheEndAndDropsTheTweenInsideAddTween) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(0);
    auto a = makeImage(engine);
    engine.vars().textProgressMode = 2;
    a->addTween(0, Tween(crv::Position, 0.0, 5000.0, sf::Vector2f(0, 0), sf::Vector2f(70, 30), false, false));
    EXPECT_EQ(a->getCurrentSprite()->getPosition(), sf::Vector2f(70, 30));
    EXPECT_TRUE(a->tweens.empty());
}

TEST(Tween, GameModeKeysAccumulateAndTheLaterTweenWins) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(0);
    auto a = makeImage(engine);
    a->addTween(0, Tween(crv::Position, 0.0, 1000.0, sf::Vector2f(0, 0), sf::Vector2f(100, 0), false, false));
    a->addTween(0, Tween(crv::Position, 0.0, 1000.0, sf::Vector2f(0, 0), sf::Vector2f(0, 100), false, false));
    ASSERT_EQ(a->tweens.size(), 2u);
    EXPECT_EQ(a->tweens.firstLine(), 1) << "gameStartLine + 1";
    EXPECT_EQ(a->tweens.lastLine(), 2);
    EXPECT_EQ(a->lastTween()->endPos, sf::Vector2f(0, 100));
    clock.set(500);
    a->Update();
    EXPECT_EQ(a->getCurrentSprite()->getPosition(), sf::Vector2f(0, 50));
}

TEST(Tween, TheEditorDropsTweensStartedAfterItsLine) {
    EngineSession engine(scenekit::options(false));
    PinnedClock clock(0);
    auto a = makeImage(engine);
    scenekit::atLine(engine, 20);
    a->addTween(20,
                Tween(crv::Position, 0.0, 1000.0, sf::Vector2f(0, 0), sf::Vector2f(100, 0), false, false));
    scenekit::atLine(engine, 21);
    a->addTween(21, Tween(crv::Scale, 0.0, 1000.0, 100, 200, false, false));
    ASSERT_EQ(a->tweens.size(), 2u);
    scenekit::atLine(engine, 19);
    a->Update();
    EXPECT_TRUE(a->tweens.empty());
    EXPECT_NE(engine.log().find("[NEntity::execTweens] editorline:19 < tweenExecLine:20. name: a"),
              std::string::npos);
    EXPECT_EQ(engine.log().find("tweenExecLine:21"), std::string::npos) << "one line for the walk";
}

TEST(Tween, ASecondTweenOnTheSameEditorLineReplacesTheFirst) {
    EngineSession engine(scenekit::options(false));
    PinnedClock clock(0);
    auto a = makeImage(engine);
    scenekit::atLine(engine, 5);
    a->addTween(5, Tween(crv::Scale, 0.0, 1000.0, 100, 200, false, false));
    a->addTween(5, Tween(crv::Rotation, 0.0, 1000.0, 0, 90, false, false));
    ASSERT_EQ(a->tweens.size(), 1u);
    EXPECT_EQ(a->lastTween()->type, crv::Rotation);
}

TEST(Tween, OddRecordsAreHarmless) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(100);
    auto a = makeImage(engine);
    Tween negative(crv::Position, 0.0, -5.0, sf::Vector2f(0, 0), sf::Vector2f(9, 9), false, false);
    EXPECT_FALSE(Tween::execTween(a.get(), negative, 1));
    EXPECT_EQ(a->getCurrentSprite()->getPosition(), sf::Vector2f(0, 0)) << "a negative duration is inert";
    Tween nan(crv::Position, 0.0, std::nan(""), sf::Vector2f(0, 0), sf::Vector2f(9, 9), false, false);
    EXPECT_FALSE(Tween::execTween(a.get(), nan, 1));
    EXPECT_TRUE(Tween::execTween(nullptr, negative, 1)) << "a tween without entity is dropped";

    Tween odd(7, 0.0, 10.0, 0, 0, false, false);
    EXPECT_TRUE(Tween::execTween(a.get(), odd, 1)) << "an unknown type still finishes on time";
    EXPECT_NE(engine.log().find("[Tween::applyTween] WARNING. TweenType:7 is not handled"),
              std::string::npos);

    // An image without texture: nothing to move, the step still completes.
    auto blank = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"blank", 1);
    Tween move(crv::Position, 0.0, 10.0, sf::Vector2f(0, 0), sf::Vector2f(9, 9), false, false);
    EXPECT_TRUE(Tween::execTween(blank.get(), move, 1));
}

TEST(Tween, ElapsedTimeSurvivesAWrapOfTheClock) {
    EngineSession engine(scenekit::options(true));
    PinnedClock clock(0x100);
    auto a = makeImage(engine);
    Tween move(crv::Position, 4294967040.0 /* 0xFFFFFF00 */, 1024.0, sf::Vector2f(0, 0), sf::Vector2f(100, 0),
               false, false);
    EXPECT_FALSE(Tween::execTween(a.get(), move, 1));
    EXPECT_FLOAT_EQ(a->getCurrentSprite()->getPosition().x, 50.f) << "512 ms after the start";
}

TEST(Tween, TheCameraCentresOnTheViewAndStateTransformableMakesANewState) {
    EngineSession engine(scenekit::options(false));
    auto& camera = *crv::Services::Entities()->pCamera;
    scenekit::atLine(engine, 3);
    sf::Transformable* state = crv::stateTransformable(&camera);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(camera.m_SpriteStates.size(), 2u) << "the initial state and one for line 3";
    EXPECT_EQ(crv::currentTransformable(&camera), state);
    const auto drawables = crv::centerTransformables(&camera);
    ASSERT_EQ(drawables.size(), 1u);
    EXPECT_EQ(state->getOrigin(), sf::Vector2f(100, 50)) << "half of the 200 x 100 view";
    EXPECT_EQ(state->getPosition(), sf::Vector2f(100, 50));
}

TEST(Tween, SetOriginKeepPlaceShiftsThePosition) {
    sf::Transformable t;
    t.setPosition(5, 5);
    t.setOrigin(2, 3);
    crv::setOriginKeepPlace(&t, sf::Vector2f(10, 10));
    EXPECT_EQ(t.getOrigin(), sf::Vector2f(10, 10));
    EXPECT_EQ(t.getPosition(), sf::Vector2f(13, 12));
    crv::setOriginKeepPlace(nullptr, sf::Vector2f(1, 1));
}

} // namespace
