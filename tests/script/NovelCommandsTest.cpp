#include "ScriptTestKit.hpp"

#include <gtest/gtest.h>

#include <pugixml.hpp>

using crv::NovelCommands;
using crv::Services;
using crv::Tokens;

namespace {
NovelCommands& vocabulary() {
    return *Services::pNCommands;
}

void writeCommands(crvtest::ScratchDir& dir, const std::string& body) {
    dir.write("Commands.xml", "<?xml version=\"1.0\"?>\n<ScriptStrings>" + body + "</ScriptStrings>\n");
}
} // namespace

TEST(NovelCommandsTest, CountRulesAndMatchersPerSlot) {
    crvtest::EngineSession session(crvtest::scriptOptions(L""));
    struct Case {
        int slot;
        Tokens tokens;
        bool expected;
    };
    const Case cases[] = {
        {crv::CMD_CLEAR, {L"clear"}, true},
        {crv::CMD_CLEAR, {L"clear", L"all"}, false},
        {crv::CMD_BG, {L"bg"}, false},
        {crv::CMD_BG, {L"bg", L"a.png"}, true},
        {crv::CMD_BG, {L"bg", L"a", L"b", L"c"}, true},
        {crv::CMD_BG, {L"bg", L"a", L"b", L"c", L"d"}, false},
        {crv::CMD_BG, {L"BG", L"a.png"}, false}, // case-sensitive
        {crv::CMD_CG, {L"cg", L"n", L"f", L"0", L"0", L"1"}, true},
        {crv::CMD_CG, {L"cg", L"n", L"f", L"0", L"0"}, false},
        {crv::CMD_SYSBUTTON, {L"sysButton", L"a", L"b", L"c", L"d"}, true},
        {crv::CMD_SYSBUTTON, {L"sysButton", L"a", L"b", L"c"}, false},
        {crv::CMD_LINE_NEW, {L"\"Hello"}, true},
        {crv::CMD_LINE_NEW, {L"-\"Hello"}, false},
        {crv::CMD_LINE_CONT, {L"-\"more", L"words"}, true},
        {crv::CMD_TILDE, {L"~\"Hi"}, true},
        {crv::CMD_BOOKMARK, {L"bookmark"}, true},
        {crv::CMD_ENDGAME, {L"endGame", L"x", L"y"}, true},
        {crv::CMD_IF, {L"if", L"a", L"==", L"1", L"here", L"b"}, true},
        {crv::CMD_IF, {L"if", L"a", L"==", L"1", L"here", L"b", L"x", L"here", L"c", L"d"}, false},
        {crv::CMD_TEXTBOX, Tokens(9, L"textbox"), true},
        {crv::CMD_TEXTBOX, Tokens(11, L"textbox"), false},
        {crv::CMD_WAIT, {}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vocabulary().slot(c.slot).matches(c.tokens), c.expected)
            << "slot " << c.slot << " first token " << (c.tokens.empty() ? "" : crv::toNarrow(c.tokens[0]));

    // The bound matcher reads the current parser's tokens.
    Services::CurParser()->getCurLineTokens() = {L"wait", L"500"};
    EXPECT_TRUE(vocabulary().slot(crv::CMD_WAIT).check());
    EXPECT_FALSE(vocabulary().slot(crv::CMD_JUMP).check());
}

TEST(NovelCommandsTest, DemoFileCoversEveryCommandOptionTypeAndMessage) {
    crvtest::EngineSession session(crvtest::scriptOptions(L""));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file("Commands.xml"));
    int commandEntries = 0;
    for (const auto entry : doc.child("ScriptStrings").child("Commands").children()) {
        ++commandEntries;
        EXPECT_TRUE(vocabulary().commands.count(crv::toWide(entry.attribute("cmd").value())))
            << entry.attribute("cmd").value();
    }
    EXPECT_EQ(commandEntries, 60);
    EXPECT_EQ(vocabulary().commands.size(), 60u);
    // Everything the built-in English set knows, the demo file spells out (and in the same words).
    for (const auto& [key, value] : NovelCommands::defaultStrings())
        EXPECT_EQ(vocabulary().getString(key), value) << crv::toNarrow(key);
    EXPECT_EQ(session.vars().typeKeywords.at(3), L"bg");
    EXPECT_EQ(session.log().find("Commands.xml could not be read"), std::string::npos);
}

TEST(NovelCommandsTest, FileReplacesWordsFirstEntryWinsAndUnknownCommandsAreIgnored) {
    auto extra = [](crvtest::ScratchDir& dir) {
        writeCommands(
            dir, "<DisplayStrings><s name='Msg_endGame' jap='Beenden?'/><s name='Msg_endGame' jap='second'/>"
                 "<s jap='no name'/></DisplayStrings>"
                 "<Commands><c cmd='wait' name='warte kurz'/><c cmd='bg' name='hintergrund'/>"
                 "<c cmd='teleport' name='tp'/><c cmd='clear'/><c name='orphan'/></Commands>"
                 "<Keywords><Types><t name='bg' jap='hg'/></Types>"
                 "<CmdOptions><o name='noCamera' jap='ohneKamera'/><o name='repeat' "
                 "jap=''/></CmdOptions></Keywords>");
    };
    crvtest::EngineSession session(crvtest::scriptOptions(L"", false, extra));
    NovelCommands& v = vocabulary();
    EXPECT_EQ(v.slot(crv::CMD_WAIT).word, L"warte");
    EXPECT_FALSE(v.slot(crv::CMD_WAIT).matches({L"wait"}));
    EXPECT_TRUE(v.slot(crv::CMD_WAIT).matches({L"warte"}));
    EXPECT_EQ(v.wordOf(L"bg"), L"hintergrund");
    EXPECT_EQ(v.commands.count(L"teleport"), 0u);
    EXPECT_EQ(v.slot(crv::CMD_CLEAR).word, L""); // cmd without name: the command is retired
    EXPECT_FALSE(v.slot(crv::CMD_CLEAR).matches({L"clear"}));
    EXPECT_FALSE(v.slot(crv::CMD_CLEAR).matches({L""}));
    EXPECT_EQ(v.getString(L"Msg_endGame"), L"Beenden?");
    EXPECT_EQ(v.getString(L"Types_bg"), L"hg");
    EXPECT_EQ(v.getString(L"CmdOptions_noCamera"), L"ohneKamera");
    EXPECT_TRUE(v.strings.count(L"CmdOptions_repeat")); // present but empty
    EXPECT_EQ(v.getString(L"CmdOptions_repeat"), L"");
    EXPECT_EQ(v.getString(L"Types_cg"), L""); // a readable file supplies its own words only
    EXPECT_EQ(session.vars().typeKeywords.at(3), L"hg");
}

class BrokenCommandsFile : public ::testing::TestWithParam<const char*> {};

TEST_P(BrokenCommandsFile, FallsBackToEnglishWithALogLine) {
    const std::string body = GetParam();
    auto extra = [body](crvtest::ScratchDir& dir) {
        std::filesystem::remove(dir.path() / "Commands.xml");
        if (!body.empty())
            dir.write("Commands.xml", body);
    };
    crvtest::EngineSession session(crvtest::scriptOptions(L"", false, extra));
    EXPECT_EQ(vocabulary().slot(crv::CMD_WAIT).word, L"wait");
    EXPECT_EQ(vocabulary().getString(L"Types_bg"), L"bg");
    EXPECT_EQ(vocabulary().getString(L"CmdOptions_noCamera"), L"noCamera");
    EXPECT_EQ(vocabulary().getString(L"Msg_endGame"), L"Quit the game?");
    EXPECT_EQ(session.vars().typeKeywords.at(2), L"cg");
    const std::string log = session.log();
    EXPECT_NE(log.find("WARNING. (NovelCommands) Commands.xml"), std::string::npos);
    EXPECT_EQ(log.find("%s"), std::string::npos) << "the reason is written out, not a placeholder";
}

// Missing, cut off in the middle, and well-formed but not a vocabulary.
INSTANTIATE_TEST_SUITE_P(NovelCommandsTest, BrokenCommandsFile,
                         ::testing::Values("", "<ScriptStrings><Commands>", "<Other/>"));
