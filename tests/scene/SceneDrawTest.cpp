// What the draw pass shows of images: backgrounds stretched over the view, images at their places
// in layer order, the camera transform, bounding boxes, and an editor rewind. The view is
// 200 x 100 and cleared black.
#include "core/Window.hpp"
#include "scene/SceneTestKit.hpp"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

namespace {

using crvtest::EngineSession;
using scenekit::image;
using scenekit::run;

sf::Image draw(EngineSession& engine) {
    crv::DrawPass();
    return engine.frame();
}

TEST(SceneDraw, ABackgroundIsStretchedOverTheView) {
    EngineSession engine(scenekit::options(false));
    // 20 x 10: left half green, right half blue.
    engine.writeImage("Images/bg.png", 20, 10,
                      [](unsigned x, unsigned) { return x < 10 ? sf::Color::Green : sf::Color::Blue; });
    run(crv::ExecuteBG, {L"bg", L"bg.png"});
    const sf::Image frame = draw(engine);
    // Pooled textures are smoothed: look away from the seam at x = 100.
    EXPECT_EQ(frame.getPixel(2, 2), sf::Color::Green);
    EXPECT_EQ(frame.getPixel(80, 97), sf::Color::Green);
    EXPECT_EQ(frame.getPixel(120, 2), sf::Color::Blue);
    EXPECT_EQ(frame.getPixel(197, 97), sf::Color::Blue);
}

TEST(SceneDraw, ImagesAtTheirPlacesInLayerOrder) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "red.png", 40, 40, sf::Color::Red);
    scenekit::solid(engine, "blue.png", 40, 40, sf::Color::Blue);
    scenekit::solid(engine, "green.png", 40, 40, sf::Color::Green);
    // red on layer 2 first, then blue below it on layer 1; green on layer 2 after red.
    run(crv::ExecuteCG, {L"cg", L"red", L"red.png", L"10", L"10", L"2"});
    run(crv::ExecuteCG, {L"cg", L"blue", L"blue.png", L"30", L"30", L"1"});
    run(crv::ExecuteCG, {L"cg", L"green", L"green.png", L"120", L"10", L"2"});
    run(crv::ExecuteCG, {L"cg", L"red2", L"red.png", L"140", L"30", L"2"});
    const sf::Image frame = draw(engine);
    EXPECT_EQ(frame.getPixel(5, 5), sf::Color::Black);
    EXPECT_EQ(frame.getPixel(15, 15), sf::Color::Red);
    EXPECT_EQ(frame.getPixel(45, 45), sf::Color::Red) << "a higher layer covers a lower one";
    EXPECT_EQ(frame.getPixel(60, 60), sf::Color::Blue);
    EXPECT_EQ(frame.getPixel(70, 70), sf::Color::Black);
    EXPECT_EQ(frame.getPixel(125, 15), sf::Color::Green);
    EXPECT_EQ(frame.getPixel(150, 40), sf::Color::Red) << "within a layer, the later image is on top";
}

TEST(SceneDraw, TheCameraMovesEverythingButNoCameraImages) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "red.png", 20, 20, sf::Color::Red);
    scenekit::solid(engine, "blue.png", 20, 20, sf::Color::Blue);
    run(crv::ExecuteCG, {L"cg", L"in", L"red.png", L"0", L"0", L"1"});
    run(crv::ExecuteCG, {L"cg", L"out", L"blue.png", L"0", L"50", L"1", L"noCamera"});
    auto& camera = *crv::Services::Entities()->pCamera;
    camera.newCameraState(0)->setPosition(100, 10);
    const sf::Image frame = draw(engine);
    EXPECT_EQ(frame.getPixel(5, 5), sf::Color::Black);
    EXPECT_EQ(frame.getPixel(105, 15), sf::Color::Red) << "moved by the camera's (100, 10)";
    EXPECT_EQ(frame.getPixel(5, 55), sf::Color::Blue) << "left where it is";

    // A zoomed camera scales around its own origin. (A state for the next line: a new state for
    // the same line starts again from the line before.)
    scenekit::atLine(engine, 1);
    camera.newCameraState(1)->setScale(2, 2);
    const sf::Image zoomed = draw(engine);
    EXPECT_EQ(zoomed.getPixel(135, 45), sf::Color::Red) << "20 x 20 drawn as 40 x 40 from (100, 10)";
}

TEST(SceneDraw, BoundingBoxesAreDrawnInsideTheImageBehindIt) {
    EngineSession engine(scenekit::options(false));
    // 40 x 40, transparent but for a white square from 10 to 30: the box shows in the margin.
    engine.writeImage("Images/figure.png", 40, 40, [](unsigned x, unsigned y) {
        return x >= 10 && x < 30 && y >= 10 && y < 30 ? sf::Color::White : sf::Color::Transparent;
    });
    run(crv::ExecuteCG, {L"cg", L"w", L"figure.png", L"100", L"20", L"1"});
    EXPECT_EQ(draw(engine).getPixel(101, 30), sf::Color::Black);
    engine.vars().boundingBoxDisplay = true;
    const sf::Image frame = draw(engine);
    EXPECT_EQ(frame.getPixel(101, 30), sf::Color::Red) << "outline drawn inwards, 4 px";
    EXPECT_EQ(frame.getPixel(138, 59), sf::Color::Red);
    EXPECT_EQ(frame.getPixel(106, 30), sf::Color::Black) << "only 4 px wide";
    EXPECT_EQ(frame.getPixel(120, 40), sf::Color::White) << "the image is drawn over its box";
    EXPECT_EQ(frame.getPixel(98, 30), sf::Color::Black) << "nothing outside the image";
}

TEST(SceneDraw, TheEditorShowsTheSceneAsOfItsLine) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "red.png", 20, 20, sf::Color::Red);
    scenekit::atLine(engine, 10);
    run(crv::ExecuteCG, {L"cg", L"a", L"red.png", L"10", L"10", L"1"});
    scenekit::atLine(engine, 12);
    run(crv::ExecuteCG, {L"cg", L"a", L"red.png", L"150", L"60", L"1"});
    sf::Image frame = draw(engine);
    EXPECT_EQ(frame.getPixel(155, 65), sf::Color::Red);
    EXPECT_EQ(frame.getPixel(15, 15), sf::Color::Black);

    scenekit::atLine(engine, 11);
    crv::UpdateEngine(false, false);
    frame = draw(engine);
    EXPECT_EQ(frame.getPixel(15, 15), sf::Color::Red) << "the line-10 position";
    EXPECT_EQ(frame.getPixel(155, 65), sf::Color::Black);

    crv::Services::RemoveEntitiesFromLine(9);
    EXPECT_EQ(crv::getEntityWithName(L"a", false), nullptr);
    EXPECT_EQ(draw(engine).getPixel(15, 15), sf::Color::Black);
}

TEST(SceneDraw, ANewImageFadesInOnItsFirstUpdateWhilePlaying) {
    EngineSession engine(scenekit::options(true));
    scenekit::solid(engine, "white.png", 20, 20, sf::Color::White);
    run(crv::ExecuteCG, {L"cg", L"w", L"white.png", L"0", L"0", L"1"});
    EXPECT_EQ(image(L"w")->getColor().a, 1) << "nearly transparent until its first step";
    EXPECT_LE(draw(engine).getPixel(5, 5).r, 1);
    crv::UpdateEngine(false, false);
    EXPECT_EQ(draw(engine).getPixel(5, 5), sf::Color::White);
}

} // namespace

namespace {

// The same rewind driven by script text through the parser, as the editor does it.
TEST(SceneDraw, AScriptReadToALineShowsThatLinesScene) {
    crvtest::EngineOptions o = scenekit::options(false);
    o.scriptText = L"bg back.png\ncg a red.png 10 10 1\n\ncg a red.png 150 60 1\n";
    EngineSession engine(o);
    engine.writeImage("Images/back.png", 20, 10, [](unsigned, unsigned) { return sf::Color::Blue; });
    scenekit::solid(engine, "red.png", 20, 20, sf::Color::Red);
    crv::Parser& main = engine.mainParser();
    main.ReadScript(4);
    sf::Image frame = draw(engine);
    EXPECT_EQ(frame.getPixel(155, 65), sf::Color::Red);
    EXPECT_EQ(frame.getPixel(15, 15), sf::Color::Blue);

    main.GotoLine(3);
    main.ReadScript(3);
    crv::UpdateEngine(false, false);
    frame = draw(engine);
    EXPECT_EQ(frame.getPixel(15, 15), sf::Color::Red) << "line 2's position";
    EXPECT_EQ(frame.getPixel(155, 65), sf::Color::Blue);

    main.GotoLine(2);
    main.ReadScript(1);
    crv::UpdateEngine(false, false);
    EXPECT_EQ(crv::getEntityWithName(L"a", false), nullptr);
    EXPECT_EQ(draw(engine).getPixel(15, 15), sf::Color::Blue);
}

TEST(SceneDraw, CameraBacklogAndWaitIconSurviveEveryRemoval) {
    EngineSession engine(scenekit::options(true));
    scenekit::solid(engine, "icon.png", 8, 8, sf::Color::White);
    auto& registry = *crv::Services::Entities();
    ASSERT_TRUE(registry.pWaitIcon->loadTexture(L"icon.png"));
    EXPECT_EQ(registry.pWaitIcon->getType(), crv::NTYPE_WAITICON);
    EXPECT_EQ(registry.pWaitIcon->getLayer(), -1);
    EXPECT_TRUE(registry.pWaitIcon->getName().empty());
    run(crv::ExecuteClear, {L"clear"});
    crv::Services::RemoveEntitiesFromLine(1);
    ASSERT_NE(registry.pWaitIcon, nullptr);
    EXPECT_NE(registry.pWaitIcon->getCurrentSprite(), nullptr) << "it keeps its picture";
    EXPECT_NE(registry.pCamera, nullptr);
    EXPECT_NE(registry.pBacklog, nullptr);
}

} // namespace

namespace {

// A save-slot screenshot leaves out "^name" images; "^" alone is an ordinary name.
TEST(SceneDraw, CaretImagesAreLeftOutOfSaveScreenshots) {
    EngineSession engine(scenekit::options(true));
    scenekit::solid(engine, "red.png", 20, 20, sf::Color::Red);
    run(crv::ExecuteCG, {L"cg", L"^", L"red.png", L"0", L"0", L"1"});
    run(crv::ExecuteCG, {L"cg", L"^menu", L"red.png", L"100", L"0", L"1"});
    crv::UpdateEngine(false, false); // the images' first tween step makes them opaque
    engine.vars().renderMode = 2;
    const sf::Image frame = draw(engine); // the frame stays in the back buffer, where it is read
    EXPECT_EQ(frame.getPixel(5, 5), sf::Color::Red);
    EXPECT_EQ(frame.getPixel(105, 5), sf::Color::Black);
    EXPECT_NE(engine.log().find("NOT SAVING IN SS: ^menu"), std::string::npos);
    engine.vars().renderMode = 0;
    EXPECT_EQ(draw(engine).getPixel(105, 5), sf::Color::Red);
}

} // namespace
