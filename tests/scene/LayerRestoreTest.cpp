// The layer-restoring job of the entity update: when the editor moves back before the line that put
// an image on another layer, the next engine step puts it back in the list of its older layer, so
// it is drawn in that layer's place again. The view is 200 x 100 and cleared black.
#include "core/Window.hpp"
#include "scene/SceneTestKit.hpp"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

namespace {

using crvtest::EngineSession;
using scenekit::run;

sf::Image draw(EngineSession& engine) {
    crv::DrawPass();
    return engine.frame();
}

// Which layer lists hold the entity named name.
std::vector<int> listsHolding(const std::wstring& name) {
    std::vector<int> layers;
    for (auto& [layer, list] : crv::Services::Entities()->entityLayers)
        for (auto& entity : list)
            if (entity->getName() == name)
                layers.push_back(layer);
    return layers;
}

// Blue "b" on layer 2 from line 5; red "a" on layer 1 from line 10, overlapping it at (30, 30).
struct LayerRestore : ::testing::Test {
    EngineSession engine{scenekit::options(false)};

    void SetUp() override {
        scenekit::solid(engine, "red.png", 40, 40, sf::Color::Red);
        scenekit::solid(engine, "blue.png", 40, 40, sf::Color::Blue);
        scenekit::atLine(engine, 5);
        run(crv::ExecuteCG, {L"cg", L"b", L"blue.png", L"20", L"20", L"2"});
        scenekit::atLine(engine, 10);
        run(crv::ExecuteCG, {L"cg", L"a", L"red.png", L"0", L"0", L"1"});
    }
};

TEST_F(LayerRestore, AnEditorRewindPutsAnImageBackOnItsOlderLayer) {
    EXPECT_EQ(draw(engine).getPixel(30, 30), sf::Color::Blue) << "layer 2 over layer 1";

    scenekit::atLine(engine, 12);
    run(crv::ExecuteCG, {L"cg", L"a", L"red.png", L"0", L"0", L"3"});
    EXPECT_EQ(listsHolding(L"a"), std::vector<int>{3});
    EXPECT_EQ(draw(engine).getPixel(30, 30), sf::Color::Red) << "moved above b";

    // Back to line 11: the update notices the older layer and queues the move; the same engine
    // step runs it, before anything is drawn.
    scenekit::atLine(engine, 11);
    crv::UpdateEngine(false, false);
    EXPECT_EQ(listsHolding(L"a"), std::vector<int>{1});
    EXPECT_EQ(crv::Services::Entities()->entityLayers.count(3), 0u) << "no empty list is left behind";
    EXPECT_EQ(scenekit::image(L"a")->getLayer(), 1);
    EXPECT_EQ(draw(engine).getPixel(30, 30), sf::Color::Blue) << "under b again";
    EXPECT_EQ(crv::Services::jobs.size(), 0u) << "the move is queued once, not every frame";
    crv::UpdateEngine(false, false);
    EXPECT_EQ(crv::Services::jobs.size(), 0u);

    // Forward again: line 12's command moves it up once more, from the list it is really in.
    scenekit::atLine(engine, 12);
    run(crv::ExecuteCG, {L"cg", L"a", L"red.png", L"0", L"0", L"3"});
    crv::UpdateEngine(false, false);
    EXPECT_EQ(listsHolding(L"a"), std::vector<int>{3});
    EXPECT_EQ(draw(engine).getPixel(30, 30), sf::Color::Red);
    EXPECT_EQ(engine.log().find("ENTITY DOES NOT EXIST"), std::string::npos);
}

TEST_F(LayerRestore, AMoveQueuedForAnImageThatIsRewoundAwayChangesNothing) {
    scenekit::atLine(engine, 12);
    run(crv::ExecuteCG, {L"cg", L"a", L"red.png", L"0", L"0", L"3"});
    scenekit::atLine(engine, 11);
    scenekit::image(L"a")->Update(); // queues the move back to layer 1
    ASSERT_EQ(crv::Services::jobs.size(), 1u);

    // The rewind removes the image before the queued move runs (in the engine step it makes).
    crv::Services::RemoveEntitiesFromLine(9);
    EXPECT_EQ(crv::getEntityWithName(L"a", false), nullptr);
    EXPECT_TRUE(listsHolding(L"a").empty());
    EXPECT_EQ(listsHolding(L"b"), std::vector<int>{2});
    EXPECT_NE(engine.log().find("ERROR. [ExecuteLayer] ENTITY DOES NOT EXIST:a"), std::string::npos);
    EXPECT_EQ(draw(engine).getPixel(30, 30), sf::Color::Blue);
}

} // namespace
