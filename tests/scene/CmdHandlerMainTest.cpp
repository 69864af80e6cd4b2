// The image commands: bg, cg, clear, remove and createDummyCG, with their bad-input paths.
#include "core/Text.hpp"
#include "scene/SceneTestKit.hpp"
#include "script/NHelper.hpp"

#include <SFML/Graphics/Image.hpp>

#include <gtest/gtest.h>

#include "script/ScriptTestKit.hpp"

#include <filesystem>

namespace {

using crvtest::EngineSession;
using scenekit::image;
using scenekit::run;

TEST(ImageCommands, BgTwiceReusesTheSystemBackgroundAndResetsItsTint) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "a.png", 20, 10, sf::Color::White);
    scenekit::solid(engine, "b.png", 20, 10, sf::Color::White);
    scenekit::atLine(engine, 1);
    run(crv::ExecuteBG, {L"bg", L"named", L"a.png"});
    scenekit::atLine(engine, 2);
    run(crv::ExecuteBG, {L"bg", L"a.png"});
    image(L"sys_BG")->setColor(sf::Color(10, 20, 30, 255));
    scenekit::atLine(engine, 3);
    run(crv::ExecuteBG, {L"bg", L"b.png"});

    crv::NSprite& sys = *image(L"sys_BG");
    EXPECT_EQ(sys.getType(), crv::NTYPE_BG);
    EXPECT_EQ(sys.m_SpriteStates.size(), 2u) << "one entity, a state per line";
    EXPECT_EQ(sys.getColor(), sf::Color::White) << "hidden just before its reuse: opaque white";
    EXPECT_FALSE(sys.isHidden());
    EXPECT_EQ(sys.getCurrentSprite()->getScale(), sf::Vector2f(10, 10))
        << "stretched over the 200 x 100 view";
    EXPECT_TRUE(image(L"named")->isHidden()) << "the editor keeps it, hidden from line 2 on";

    crv::Services::RemoveEntitiesFromLine(2);
    EXPECT_EQ(image(L"sys_BG"), nullptr);
    scenekit::atLine(engine, 1);
    EXPECT_FALSE(image(L"named")->isHidden()) << "as of line 1 it is shown again";
}

TEST(ImageCommands, InGameModeTheHiddenBackgroundsAreBuriedAfterTheNextFrame) {
    EngineSession engine(scenekit::options(true));
    scenekit::solid(engine, "a.png", 20, 10, sf::Color::White);
    run(crv::ExecuteBG, {L"bg", L"named", L"a.png"});
    run(crv::ExecuteBG, {L"bg", L"a.png", L"noCamera"});
    EXPECT_FALSE(image(L"sys_BG")->incamera);
    scenekit::pacedFrame();
    EXPECT_EQ(crv::getEntityWithName(L"named", false), nullptr);
    ASSERT_NE(image(L"sys_BG"), nullptr);
    EXPECT_EQ(image(L"sys_BG")->getColor().a, 255) << "its zero-length fade ran in the update";
    EXPECT_NE(engine.log().find("removed:'named' (ntype:3)"), std::string::npos);
}

TEST(ImageCommands, ABgWithAMissingFileLeavesTheBackgroundsAlone) {
    EngineSession engine(scenekit::options(true));
    scenekit::solid(engine, "a.png", 20, 10, sf::Color::White);
    run(crv::ExecuteBG, {L"bg", L"a.png"});
    run(crv::ExecuteBG, {L"bg", L"missing.png"});
    EXPECT_FALSE(image(L"sys_BG")->isHidden());
    EXPECT_NE(engine.log().find("texture does not exist:missing.png"), std::string::npos);
}

TEST(ImageCommands, CgOptionsAndScreenshotNames) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "a.png", 8, 8, sf::Color::White);
    run(crv::ExecuteCG, {L"cg", L"^", L"a.png", L"1", L"2", L"0", L"noCamera"});
    run(crv::ExecuteCG, {L"cg", L"^a", L"a.png", L"-1", L"+2", L"0", L"noCamera", L"extra"});
    run(crv::ExecuteCG, {L"cg", L"b", L"a.png", L"1", L"2", L"0", L"other"});
    EXPECT_TRUE(image(L"^")->showInSaveScreenshot);
    EXPECT_FALSE(image(L"^")->incamera);
    EXPECT_FALSE(image(L"^a")->showInSaveScreenshot);
    EXPECT_TRUE(image(L"^a")->incamera) << "with eight tokens no option applies";
    EXPECT_EQ(image(L"^a")->getCurrentSprite()->getPosition(), sf::Vector2f(-1, 2));
    EXPECT_TRUE(image(L"b")->incamera);
    EXPECT_EQ(image(L"b")->getColor().a, 255) << "the editor shows a new image opaque at once";
}

TEST(ImageCommands, BadInputIsLoggedAndChangesNothing) {
    EngineSession engine(scenekit::options(false));
    scenekit::solid(engine, "a.png", 8, 8, sf::Color::White);
    scenekit::atLine(engine, 1);
    run(crv::ExecuteCG, {L"cg", L"a", L"a.png", L"3", L"4", L"2"});
    struct Case {
        crv::Tokens tokens;
        const char* logged;
    };
    const Case cases[] = {
        {{L"cg", L"b", L"a.png", L"10.5", L"0", L"0"}, "WARNING. TOKEN NOT A NUMBER"},
        {{L"cg", L"c", L"a.png", L"1", L"y", L"0"}, "WARNING. TOKEN NOT A NUMBER"},
        {{L"cg", L"d", L"a.png", L"1", L"1", L"99999999999"}, "WARNING. NUMBER OUT OF RANGE:99999999999"},
        {{L"cg", L"e", L"nothere.png", L"1", L"1", L"0"}, "texture does not exist:nothere.png"},
        {{L"cg", L"a", L"nothere.png", L"9", L"9", L"0"}, "texture does not exist:nothere.png"},
        {{L"cg"}, nullptr},
        {{L"bg"}, nullptr},
    };
    int line = 2;
    for (const Case& c : cases) {
        scenekit::atLine(engine, line++);
        crv::Tokens tokens = c.tokens;
        crv::NHelper::resetNumberWarning();
        if (tokens[0] == L"cg")
            crv::ExecuteCG(tokens);
        else
            crv::ExecuteBG(tokens);
        if (c.logged) {
            EXPECT_NE(engine.log().find(c.logged), std::string::npos) << c.logged;
        }
    }
    auto& registry = *crv::Services::Entities();
    EXPECT_EQ(registry.m_nameReferences.size(), 1u);
    EXPECT_EQ(scenekit::layered(), 1u);
    crv::UpdateEngine(false, false);
    EXPECT_EQ(image(L"a")->getCurrentSprite()->getPosition(), sf::Vector2f(3, 4));
    EXPECT_EQ(image(L"a")->getCurrentSprite()->getTexture()->getSize(), sf::Vector2u(8, 8))
        << "a reused image keeps its picture";

    // A name held by another kind of entity.
    struct Box : crv::NEntity {
        Box() : NEntity(crv::NTYPE_TEXTBOX, L"box", 0) {}
        void Draw(int) override {}
    };
    crv::InsNovelEntity(std::make_shared<Box>(), 0, L"box");
    run(crv::ExecuteCG, {L"cg", L"box", L"a.png", L"1", L"1", L"0"});
    EXPECT_NE(engine.log().find(
                  "ERROR. (HandleCG_InsRm) entity:'box' is already assigned to an entity not a cg or bg"),
              std::string::npos);
    EXPECT_EQ(crv::getEntityWithName(L"box", false)->getType(), crv::NTYPE_TEXTBOX);
}

TEST(ImageCommands, ReusingAnImageShowsItAgainUntintedAndDropsItsTweens) {
    EngineSession engine(scenekit::options(true));
    scenekit::solid(engine, "a.png", 8, 8, sf::Color::White);
    scenekit::solid(engine, "bgimg.png", 20, 10, sf::Color::White);
    run(crv::ExecuteCG, {L"cg", L"a", L"a.png", L"0", L"0", L"0"});
    crv::NSprite& a = *image(L"a");
    a.setColor(sf::Color(1, 2, 3, 4));
    a.getCurrentSprite()->setRotation(45);
    a.getCurrentSprite()->setScale(2, 2);
    a.setHidden(true);
    a.addTween(0, crv::Tween(crv::Scale, 0.0, 9999.0, 100, 300, false, false));
    run(crv::ExecuteCG, {L"cg", L"a", L"a.png", L"7", L"8", L"0"});
    EXPECT_EQ(a.getColor(), sf::Color::White);
    EXPECT_FALSE(a.isHidden());
    EXPECT_TRUE(a.tweens.empty());
    EXPECT_EQ(a.getCurrentSprite()->getRotation(), 0.f);
    EXPECT_EQ(a.getCurrentSprite()->getScale(), sf::Vector2f(1, 1));
    EXPECT_EQ(a.getCurrentSprite()->getPosition(), sf::Vector2f(7, 8));

    // A visible image keeps its tint's colour and becomes opaque.
    a.setColor(sf::Color(1, 2, 3, 4));
    run(crv::ExecuteCG, {L"cg", L"a", L"a.png", L"7", L"8", L"0"});
    EXPECT_EQ(a.getColor(), sf::Color(1, 2, 3, 255));

    // cg on a background keeps it a background and does not fit it.
    run(crv::ExecuteBG, {L"bg", L"back", L"bgimg.png"});
    run(crv::ExecuteCG, {L"cg", L"back", L"bgimg.png", L"0", L"0", L"0"});
    EXPECT_EQ(image(L"back")->getType(), crv::NTYPE_BG);
    EXPECT_EQ(image(L"back")->getCurrentSprite()->getScale(), sf::Vector2f(1, 1));
}

// One session per process: the log file belongs to the first session's folder.
void clearScene(bool playing) {
    EngineSession engine(scenekit::options(playing));
    scenekit::solid(engine, "a.png", 8, 8, sf::Color::White);
    run(crv::ExecuteCG, {L"cg", L"a", L"a.png", L"0", L"0", L"0"});
    run(crv::ExecuteRemove, {L"remove", L"a"});
    run(crv::ExecuteClear, {L"clear"});
    EXPECT_EQ(scenekit::layered(), playing ? 0u : 1u);
    EXPECT_EQ(engine.log().find("[ExecuteClear] RemoveEntities - START") != std::string::npos, playing);
    EXPECT_NE(crv::Services::Entities()->pCamera, nullptr);
}

TEST(ImageCommands, ClearEmptiesTheSceneWhilePlaying) {
    clearScene(true);
}
TEST(ImageCommands, ClearLeavesTheEditorsSceneAlone) {
    clearScene(false);
}

class DummyCG : public ::testing::Test {
protected:
    DummyCG() : engine(scenekit::options(true)) {
        const std::filesystem::path font = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
        if (std::filesystem::exists(font)) {
            std::filesystem::create_directories("Fonts");
            std::filesystem::copy_file(font, "Fonts/bold.ttf");
        }
    }
    EngineSession engine;
};

TEST_F(DummyCG, DrawsHeadBodyAndCentredTexts) {
    run(crv::ExecuteCreateDummyCG,
        {L"createDummyCG", L"hero", L"bold.ttf", L"400", L"600", L"Hero", L"H", L"line one", L"line two"});
    sf::Image out;
    ASSERT_TRUE(out.loadFromFile("Images/hero.png"));
    ASSERT_EQ(out.getSize(), sf::Vector2u(400, 600));
    const sf::Color purple(150, 50, 250, 255);
    EXPECT_EQ(out.getPixel(200, 5), purple) << "head: radius 100 at (100, 0)";
    EXPECT_EQ(out.getPixel(105, 100), purple);
    EXPECT_EQ(out.getPixel(105, 590), purple) << "body: 200 x 400 at (100, 200)";
    EXPECT_EQ(out.getPixel(295, 590), purple);
    EXPECT_EQ(out.getPixel(95, 590).a, 0) << "outside the figure stays transparent";
    EXPECT_EQ(out.getPixel(305, 300).a, 0);
    EXPECT_EQ(out.getPixel(10, 10).a, 0);
    // White text in the title band (y 220 to about 250), centred: none far left or right.
    int white = 0, offCentre = 0;
    for (unsigned y = 220; y < 252; ++y)
        for (unsigned x = 0; x < 400; ++x)
            if (out.getPixel(x, y) == sf::Color::White)
                (x > 150 && x < 250 ? white : offCentre)++;
    EXPECT_GT(white, 20);
    EXPECT_EQ(offCentre, 0);
    EXPECT_EQ(crv::getEntityWithName(L"hero", false), nullptr) << "no entity is created";
    // Nothing is left beside it.
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator("Images"))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(DummyCG, OutputNamesStayInTheImagesFolder) {
    for (const wchar_t* name : {L"../escape", L"/tmp/corvel-abs", L"sub/../../x", L"..\\win"}) {
        run(crv::ExecuteCreateDummyCG, {L"createDummyCG", name, L"bold.ttf", L"40", L"60", L"T"});
        EXPECT_NE(engine.log().find("Output name leaves the images folder:" + crv::toNarrow(name)),
                  std::string::npos)
            << crv::toNarrow(name);
    }
    EXPECT_FALSE(std::filesystem::exists("escape.png"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/corvel-abs.png"));
    run(crv::ExecuteCreateDummyCG, {L"createDummyCG", L"sub/fig", L"bold.ttf", L"40", L"60", L"T"});
    EXPECT_TRUE(std::filesystem::exists("Images/sub/fig.png"));
}

TEST_F(DummyCG, BadSizesAndFontsAndTheEditor) {
    run(crv::ExecuteCreateDummyCG, {L"createDummyCG", L"a", L"bold.ttf", L"4x0", L"60", L"T"});
    EXPECT_NE(engine.log().find("WARNING. TOKEN NOT A NUMBER"), std::string::npos);
    run(crv::ExecuteCreateDummyCG, {L"createDummyCG", L"b", L"bold.ttf", L"0", L"60", L"T"});
    EXPECT_FALSE(std::filesystem::exists("Images/a.png"));
    EXPECT_FALSE(std::filesystem::exists("Images/b.png"));
    run(crv::ExecuteCreateDummyCG, {L"createDummyCG", L"c", L"nofont.ttf", L"40", L"60", L"T"});
    EXPECT_NE(engine.log().find("[ExecuteCreateDummyCG] ERROR. Font failed to load."), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists("Images/c.png")) << "the shapes are still drawn";

    // A real font outside the novel's folder is not reachable through the script's font name.
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "../corvel-outside.ttf",
                               std::filesystem::copy_options::overwrite_existing);
    run(crv::ExecuteCreateDummyCG, {L"createDummyCG", L"e", L"../../corvel-outside.ttf", L"40", L"60", L"T"});
    std::filesystem::remove("../corvel-outside.ttf");
    EXPECT_EQ(crvtest::countOf(engine.log(), "[ExecuteCreateDummyCG] ERROR. Font failed to load."), 2);

    engine.vars().gameMode = false;
    run(crv::ExecuteCreateDummyCG, {L"createDummyCG", L"d", L"bold.ttf", L"40", L"60", L"T"});
    EXPECT_FALSE(std::filesystem::exists("Images/d.png")) << "the editor does not write files";
}

} // namespace

namespace {

// The demo's pictures: loose files and pictures that exist only inside Images.crvdat.
TEST(ImageCommands, TheDemoArtShowsFromTheFolderAndFromTheArchive) {
    crvtest::EngineOptions o = scenekit::options(true);
    o.prepare = [](crvtest::ScratchDir& dir) {
        namespace fs = std::filesystem;
        fs::copy(CORVEL_SOURCE_DIR "/examples/demo/Images", dir.path() / "Images");
        fs::copy_file(CORVEL_SOURCE_DIR "/examples/demo/Images.crvdat", dir.path() / "Images.crvdat");
    };
    EngineSession engine(o);
    run(crv::ExecuteBG, {L"bg", L"bg_park.png"});
    run(crv::ExecuteBG, {L"bg", L"night", L"bg_night.png"});
    run(crv::ExecuteCG, {L"cg", L"aoi", L"aoi_smile.png", L"100", L"40", L"1"});
    run(crv::ExecuteCG, {L"cg", L"ren", L"ren_surprised.png", L"700", L"40", L"1"});
    for (const wchar_t* name : {L"sys_BG", L"night", L"aoi", L"ren"}) {
        ASSERT_NE(image(name), nullptr) << crv::toNarrow(name);
        EXPECT_NE(image(name)->getCurrentSprite(), nullptr) << crv::toNarrow(name);
    }
    EXPECT_EQ(image(L"night")->getCurrentSprite()->getTexture()->getSize(), sf::Vector2u(1280, 720));
    EXPECT_EQ(engine.log().find("texture does not exist"), std::string::npos);
}

} // namespace
