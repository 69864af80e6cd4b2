// The registry and the per-line histories of entities: registration, queries by kind, colour by
// kind, editor rewinds and game-mode overwrites.
#include "scene/SceneTestKit.hpp"

#include <gtest/gtest.h>

namespace {

using crv::Tokens;
using crvtest::EngineSession;
using scenekit::image;
using scenekit::run;

// An entity of any kind that draws nothing (stands for kinds whose classes live elsewhere).
struct Plain : crv::NEntity {
    Plain(std::uint8_t kind, std::wstring name, int layer, std::wstring script = L"")
        : NEntity(kind, std::move(name), layer), m_script(std::move(script)) {}
    void Draw(int) override {}
    std::wstring getSrcScriptName() override { return m_script; }
    std::wstring m_script;
};

std::shared_ptr<Plain> add(std::uint8_t kind, const std::wstring& name, int layer,
                           const std::wstring& script = L"") {
    auto entity = std::make_shared<Plain>(kind, name, layer, script);
    crv::InsNovelEntity(entity, layer, name);
    return entity;
}

std::vector<std::wstring> names(const crv::EntityList& list) {
    std::vector<std::wstring> out;
    for (auto& e : list)
        out.push_back(e->getName());
    return out;
}

TEST(Entities, RegistrationKeepsNamesUniqueAndIndexesEditorLines) {
    EngineSession engine(scenekit::options(false));
    scenekit::atLine(engine, 4);
    auto first = add(crv::NTYPE_CG, L"", 2);
    auto second = add(crv::NTYPE_CG, L"", 2);
    auto named = add(crv::NTYPE_CG, L"hero", 1);
    auto& registry = *crv::Services::Entities();
    EXPECT_EQ(registry.entityLayers[2].size(), 2u) << "unnamed entities coexist";
    EXPECT_EQ(registry.m_nameReferences.size(), 1u);
    EXPECT_EQ(registry.entityLines[4].size(), 3u);
    EXPECT_EQ(named->getLayer(), 1);

    auto clash = std::make_shared<Plain>(crv::NTYPE_CG, L"hero", 5);
    EXPECT_FALSE(crv::InsNovelEntity(clash, 5, L"hero"));
    EXPECT_EQ(registry.m_nameReferences[L"hero"], named) << "the first one stays";
    EXPECT_EQ(registry.entityLayers.count(5), 0u) << "the duplicate is registered nowhere";
    EXPECT_NE(engine.log().find("ERROR. (InsNovelEntity) name:hero already exists at line:"),
              std::string::npos);

    EXPECT_EQ(crv::getEntityWithName(L"hero", true), named);
    EXPECT_NE(engine.log().find("[Execute] same name reference found. name:hero, current-line:4"),
              std::string::npos);
    EXPECT_EQ(crv::getEntityWithName(L"nobody", true), nullptr);
}

TEST(Entities, GameModeRegistersNoLines) {
    EngineSession engine(scenekit::options(true));
    add(crv::NTYPE_CG, L"a", 0);
    EXPECT_TRUE(crv::Services::Entities()->entityLines.empty());
}

TEST(Entities, QueriesByKindFollowTheirRules) {
    EngineSession engine(scenekit::options(false));
    engine.vars().backlogTextbox.set(L"log");
    add(crv::NTYPE_TEXTBOX, L"log", 0);
    add(crv::NTYPE_SYSBUTTON, L"save", 3, L"menu.txt");
    add(crv::NTYPE_TRACKBAR, L"volume", 2, L"");
    add(crv::NTYPE_BUTTON, L"yes", 1, L"main.txt");
    add(crv::NTYPE_BUTTON, L"other", 1, L"menu.txt");
    add(crv::NTYPE_TEXTBOX, L"talk", 1);
    add(crv::NTYPE_SFX, L"voice1", 1);

    using Names = std::vector<std::wstring>;
    EXPECT_EQ(names(crv::getEntitiesWithNType(crv::NTYPE_SYSBUTTON)), (Names{L"volume", L"save"}))
        << "system buttons include trackbars, in layer order";
    EXPECT_EQ(names(crv::getEntitiesWithNType(crv::NTYPE_VOICE)), Names{}) << "no entity carries kind 7";
    EXPECT_EQ(names(crv::getEntitiesWithNType(crv::NTYPE_TEXTBOX)), Names{L"talk"});
    const Names all = names(crv::getEntitiesWithNType(crv::NTYPE_ALL));
    EXPECT_EQ(all.size(), 6u);
    EXPECT_EQ(std::count(all.begin(), all.end(), L"log"), 0);
    EXPECT_NE(engine.log().find("not allowing backlog textbox to be tweened"), std::string::npos);
    EXPECT_EQ(names(crv::getEntitiesWithNType(crv::NTYPE_BUTTON, true)), Names{L"yes"})
        << "the main parser's script is main.txt";
    EXPECT_NE(engine.log().find("(getEntitiesWithNType) FROM THIS SCRIPT ONLY. nType:5"), std::string::npos);

    EXPECT_EQ(crv::getEntityWithNType(crv::NTYPE_BUTTON)->getName(), L"yes");
    EXPECT_EQ(crv::getEntityWithNType(crv::NTYPE_BGM), nullptr);
}

TEST(Entities, ColourByKind) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "a.png", 4, 4, sf::Color::White);
    auto a = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"a", 0);
    ASSERT_TRUE(a->loadTexture(L"a.png"));
    a->setColor(sf::Color(10, 20, 30, 40));
    EXPECT_EQ(a->getColor(), sf::Color(10, 20, 30, 40));

    auto camera = crv::Services::Entities()->pCamera;
    camera->setColor(sf::Color(1, 2, 3, 4));
    EXPECT_EQ(camera->getCurrentSprite()->getColor(), sf::Color::White) << "the camera has no colour to set";

    Plain sound(crv::NTYPE_SFX, L"s", 0);
    EXPECT_EQ(sound.getColor(), sf::Color(0, 0, 0, 0));
    EXPECT_NE(engine.log().find("[NEntity::getColor] ERROR. trying to reference nullptr"), std::string::npos);

    auto blank = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"blank", 0);
    EXPECT_EQ(blank->getCurrentSprite(), nullptr);
    EXPECT_NE(engine.log().find("ERROR (NWSprite::getCurrentSprite) sprite:blank has no texture loaded."),
              std::string::npos);
}

TEST(Entities, AnEditorRewindRestoresTheOlderStateAndThenRemovesTheImage) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "a.png", 10, 10, sf::Color::White);
    scenekit::atLine(engine, 10);
    run(crv::ExecuteCG, {L"cg", L"a", L"a.png", L"5", L"6", L"1"});
    scenekit::atLine(engine, 12);
    run(crv::ExecuteCG, {L"cg", L"a", L"a.png", L"50", L"60", L"3"});
    ASSERT_EQ(image(L"a")->getCurrentSprite()->getPosition(), sf::Vector2f(50, 60));
    ASSERT_EQ(crv::Services::Entities()->entityLayers[3].size(), 1u);

    scenekit::atLine(engine, 11);
    crv::UpdateEngine(false, false);
    EXPECT_EQ(image(L"a")->getCurrentSprite()->getPosition(), sf::Vector2f(5, 6));
    EXPECT_EQ(image(L"a")->getLayer(), 1);
    auto& layers = crv::Services::Entities()->entityLayers;
    EXPECT_EQ(layers.count(3), 0u) << "the layer job moved the image back";
    ASSERT_EQ(layers[1].size(), 1u);
    EXPECT_EQ(layers[1].front()->getName(), L"a");

    crv::Services::RemoveEntitiesFromLine(9);
    EXPECT_EQ(crv::getEntityWithName(L"a", false), nullptr);
    EXPECT_EQ(scenekit::layered(), 0u);
    EXPECT_TRUE(crv::Services::Entities()->entityLines.empty());
}

TEST(Entities, GameModeOverwritesEveryHistoryWrittenWithoutAppend) {
    EngineSession engine(scenekit::options(true));
    scenekit::solid(engine, "a.png", 10, 10, sf::Color::White);
    for (int i = 0; i < 5; ++i) {
        scenekit::atLine(engine, 10 + i);
        run(crv::ExecuteCG, {L"cg", L"a", L"a.png", std::to_wstring(i), L"0", std::to_wstring(i % 2)});
        image(L"a")->setHidden(i % 2 == 0);
    }
    crv::NSprite& a = *image(L"a");
    EXPECT_EQ(a.m_SpriteStates.size(), 1u);
    EXPECT_EQ(a.layer.size(), 1u);
    EXPECT_EQ(a.hidden.size(), 1u);
    EXPECT_EQ(a.getCurrentSprite()->getPosition(), sf::Vector2f(4, 0));
    EXPECT_EQ(scenekit::layered(), 1u) << "one entity, moved between layers";
}

TEST(Entities, ABackgroundIsFittedToTheViewUnlessItAlreadyFits) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "fits.png", 200, 100, sf::Color::White);
    scenekit::solid(engine, "small.png", 50, 20, sf::Color::White);
    run(crv::ExecuteBG, {L"bg", L"one", L"fits.png"});
    run(crv::ExecuteBG, {L"bg", L"two", L"small.png"});
    crv::UpdateEngine(false, false);
    EXPECT_EQ(image(L"one")->getCurrentSprite()->getScale(), sf::Vector2f(1, 1));
    EXPECT_EQ(image(L"two")->getCurrentSprite()->getScale(), sf::Vector2f(4, 5));
}

} // namespace
