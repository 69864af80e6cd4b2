// Config.xml on disk: the reads at start and for the editor, the trackbar write, and what a missing,
// malformed or interrupted file does.

#include "resources/NovelFolder.hpp"

#include "core/Config.hpp"
#include "core/Text.hpp"
#include "scene/Entities.hpp"
#include "scene/Entity.hpp"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <filesystem>
#include <string>
#include <vector>

using crvtest::makePng;
using crvtest::NovelFolder;
using crvtest::NovelSession;

namespace {

const char* kFullConfig = R"(<?xml version="1.0"?>
<Ferncastle>
	<Settings MsgboxScript="msgbox.txt" />
	<GameSettings sysWaitInputIcon="wait.png" sysMasterVolume="90" sysBgmVolume="80" sysSfxVolume="70"
		sysVoiceVolume="60" sysTextSpeed="50" sysAutoSpeed="40" sysAutoWait="3000" />
</Ferncastle>
)";

// Hand-written: no music volume, an empty text speed, and things the engine does not know.
const char* kHandWritten = R"(<Ferncastle>
	<Settings MsgboxScript="box.txt" theme="dark" />
	<GameSettings sysWaitInputIcon="" sysMasterVolume="100" sysTextSpeed="" sysAutoWait="1000" author="me" />
	<Credits name="someone" />
</Ferncastle>
)";

pugi::xml_node gameSettings(pugi::xml_document& doc, const std::string& text) {
    EXPECT_TRUE(doc.load_string(text.c_str()));
    return doc.child("Ferncastle").child("GameSettings");
}

} // namespace

TEST(Config, StartUpReadsEverySettingAndLoadsTheWaitIcon) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Config.xml", kFullConfig);
        novel.write("Images/wait.png", makePng(6, 5, sf::Color::White));
    });
    const crv::SysVars& vars = session.vars();
    EXPECT_EQ(vars.msgboxScript, L"msgbox.txt");
    EXPECT_EQ(vars.sysWaitInputIcon, L"wait.png");
    EXPECT_EQ(vars.sysMasterVolume, 90);
    EXPECT_EQ(vars.sysBgmVolume, 80);
    EXPECT_EQ(vars.sysSfxVolume, 70);
    EXPECT_EQ(vars.sysVoiceVolume, 60);
    EXPECT_EQ(vars.sysTextSpeed, 50);
    EXPECT_EQ(vars.sysAutoSpeed, 40);
    EXPECT_EQ(vars.sysAutoWait, 3000);
    EXPECT_NE(session.log().find("(Services::InitNovelState) sysWaitInputIcon:wait.png sysBgmVolume:80 "
                                 "sysTextSpeed:50 \n"),
              std::string::npos);

    auto icon = crv::Services::Entities()->pWaitIcon;
    ASSERT_NE(icon, nullptr);
    const sf::Texture* texture = icon->m_SpriteStates.get(false).getTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getSize(), sf::Vector2u(6, 5));
}

TEST(Config, MissingAttributesReadAsZeroAndUnknownOnesAreIgnored) {
    NovelSession session([](NovelFolder& novel) { novel.write("Config.xml", kHandWritten); });
    const crv::SysVars& vars = session.vars();
    EXPECT_EQ(vars.msgboxScript, L"box.txt");
    EXPECT_EQ(vars.sysWaitInputIcon, L"");
    EXPECT_EQ(vars.sysMasterVolume, 100);
    EXPECT_EQ(vars.sysBgmVolume, 0); // not the default of 100
    EXPECT_EQ(vars.sysTextSpeed, 0);
    EXPECT_EQ(vars.sysAutoWait, 1000);
    EXPECT_EQ(session.log().find("Config.xml file not found"), std::string::npos);
}

// One engine per process: each broken file is its own case.
class BrokenConfig : public testing::TestWithParam<std::string> {};

TEST_P(BrokenConfig, GivesTheNoticeAndKeepsTheSettings) {
    const std::string broken = GetParam();
    NovelSession session([&](NovelFolder& novel) {
        if (!broken.empty())
            novel.write("Config.xml", broken);
    });
    crv::SysVars& vars = session.vars();
    EXPECT_EQ(vars.sysBgmVolume, 100);
    vars.sysBgmVolume = 42;
    vars.msgboxScript = L"kept.txt";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(crv::ReadConfig());
    EXPECT_FALSE(crv::ReadEditorConfig());
    EXPECT_FALSE(crv::WriteConfigSetting(L"autoWait", 0.5));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Config.xml file not found. cur-directory:"), std::string::npos);
    EXPECT_EQ(vars.sysBgmVolume, 42);
    EXPECT_EQ(vars.sysAutoWait, 0);
    EXPECT_EQ(vars.msgboxScript, L"kept.txt");
    // Start-up and the three calls above: four notices, and no file made up or changed.
    EXPECT_EQ(session.count("Config.xml file not found. cur-directory:"), 4);
    EXPECT_EQ(session.folder().read("Config.xml"), broken);
    // The novel still got what start-up creates after the settings.
    EXPECT_NE(crv::Services::Entities()->pWaitIcon, nullptr);
    EXPECT_NE(crv::Services::Entities()->pCamera, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Config, BrokenConfig,
                         testing::Values(std::string(), // missing
                                         std::string("<Ferncastle><GameSettings sysBgmVolume=\"5\""), // cut
                                         std::string("\xFF\xFE not xml")));

TEST(Config, EditorReadTakesOnlyTheProjectSettingsAndReloadsTheIcon) {
    NovelSession session([](NovelFolder& novel) {
        novel.write("Config.xml", kHandWritten);
        novel.write("Images/wait2.png", makePng(3, 7, sf::Color::White));
    });
    std::string text = kFullConfig;
    text.replace(text.find("wait.png"), 8, "wait2.png");
    session.folder().write("Config.xml", text);
    ASSERT_TRUE(crv::ReadEditorConfig());
    EXPECT_EQ(session.vars().msgboxScript, L"msgbox.txt");
    EXPECT_EQ(session.vars().sysWaitInputIcon, L"wait2.png");
    EXPECT_EQ(session.vars().sysBgmVolume, 0); // from the start-up read, not this one
    const sf::Texture* texture = crv::Services::Entities()->pWaitIcon->m_SpriteStates.get(false).getTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getSize(), sf::Vector2u(3, 7));
}

TEST(Config, TrackbarWriteScalesStoresTwiceAndKeepsUnknownContent) {
    NovelSession session([](NovelFolder& novel) { novel.write("Config.xml", kHandWritten); });
    crv::Services::PushNovelStateCopy(); // playing from the editor: the base state must learn it too
    const std::wstring bgm = session.vars().typeKeywords.at(12);
    const std::wstring sfx = session.vars().typeKeywords.at(6);
    const std::wstring voice = session.vars().typeKeywords.at(7);
    struct Case {
        std::wstring variable;
        double fraction;
        const char* attribute;
        std::int32_t crv::SysVars::*field;
        int expected;
    };
    const std::vector<Case> cases = {
        {L"autoWait", 0.5, "sysAutoWait", &crv::SysVars::sysAutoWait, 2500},
        {L"master_vol", 0.37, "sysMasterVolume", &crv::SysVars::sysMasterVolume, 37},
        {bgm, 0.999, "sysBgmVolume", &crv::SysVars::sysBgmVolume, 99}, // integer part, not rounded
        {sfx, 1.0, "sysSfxVolume", &crv::SysVars::sysSfxVolume, 100},
        {voice, 0.0, "sysVoiceVolume", &crv::SysVars::sysVoiceVolume, 0},
        {L"textSpeed", 0.25, "sysTextSpeed", &crv::SysVars::sysTextSpeed, 25},
        {L"autoSpeed", 1.6, "sysAutoSpeed", &crv::SysVars::sysAutoSpeed, 100}, // past the end of the track
        {L"autoWait", -0.2, "sysAutoWait", &crv::SysVars::sysAutoWait, 0},
    };
    for (const auto& c : cases) {
        const std::string name = crv::toNarrow(c.variable);
        ASSERT_TRUE(crv::WriteConfigSetting(c.variable, c.fraction)) << name;
        EXPECT_EQ(crv::Services::SysVars()->*(c.field), c.expected) << name;
        EXPECT_EQ(crv::Services::BaseSysVars()->*(c.field), c.expected) << name;
        pugi::xml_document doc;
        EXPECT_EQ(gameSettings(doc, session.folder().read("Config.xml")).attribute(c.attribute).as_int(-1),
                  c.expected)
            << name;
    }
    crv::Services::RevertNovelState();
    EXPECT_EQ(session.vars().sysTextSpeed, 25);

    // Nothing the engine does not know was lost.
    pugi::xml_document doc;
    const pugi::xml_node game = gameSettings(doc, session.folder().read("Config.xml"));
    EXPECT_STREQ(game.attribute("author").value(), "me");
    EXPECT_STREQ(doc.child("Ferncastle").child("Settings").attribute("theme").value(), "dark");
    EXPECT_STREQ(doc.child("Ferncastle").child("Credits").attribute("name").value(), "someone");
    EXPECT_FALSE(std::filesystem::exists("Config.xml.tmp"));

    // A variable that names no setting changes nothing.
    const std::string before = session.folder().read("Config.xml");
    EXPECT_FALSE(crv::WriteConfigSetting(L"volume", 0.5));
    EXPECT_EQ(session.folder().read("Config.xml"), before);
}

TEST(Config, InterruptedWriteLeavesThePreviousFileWhole) {
    NovelSession session([](NovelFolder& novel) { novel.write("Config.xml", kFullConfig); });
    ASSERT_TRUE(crv::WriteConfigSetting(L"textSpeed", 0.1));
    const std::string before = session.folder().read("Config.xml");
    std::string pending;
    crv::SetConfigCommitHook([&] {
        pending = session.folder().read("Config.xml.tmp");
        return false; // the process dies here, between the write and the rename
    });
    EXPECT_FALSE(crv::WriteConfigSetting(L"textSpeed", 0.9));
    crv::SetConfigCommitHook({});
    EXPECT_NE(pending.find("sysTextSpeed=\"90\""), std::string::npos); // the new file was complete
    EXPECT_EQ(session.folder().read("Config.xml"), before);
    EXPECT_TRUE(crv::ReadConfig());
    EXPECT_EQ(session.vars().sysTextSpeed, 10);

    // Once the write can finish, the next move lands.
    ASSERT_TRUE(crv::WriteConfigSetting(L"textSpeed", 0.9));
    pugi::xml_document doc;
    EXPECT_EQ(gameSettings(doc, session.folder().read("Config.xml")).attribute("sysTextSpeed").as_int(), 90);
}

TEST(Config, TheDemoNovelShipsEverySetting) {
    const std::string demo = std::string(CORVEL_SOURCE_DIR) + "/examples/demo/Config.xml";
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(demo.c_str()));
    const pugi::xml_node root = doc.child("Ferncastle");
    EXPECT_FALSE(root.child("Settings").attribute("MsgboxScript").empty());
    for (const char* attribute : {"sysWaitInputIcon", "sysMasterVolume", "sysBgmVolume", "sysSfxVolume",
                                  "sysVoiceVolume", "sysTextSpeed", "sysAutoSpeed", "sysAutoWait"})
        EXPECT_FALSE(root.child("GameSettings").attribute(attribute).empty()) << attribute;
}
