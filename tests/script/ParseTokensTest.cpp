#include "ScriptTestKit.hpp"

#include "script/Variables.hpp"

#include <gtest/gtest.h>

using crv::Services;
using crv::Tokens;
using crvtest::EngineSession;
using crvtest::executed;
using crvtest::Probe;
using crvtest::runLine;
using crvtest::scriptOptions;

namespace {
// The tokens the matchers saw for a line (the dispatcher leaves them in curlineTokens).
Tokens seenTokens(const std::wstring& line, bool trigger = false) {
    runLine(line, trigger);
    return Services::CurParser()->getCurLineTokens();
}

int g_duration = 0;
int timedHandler(crv::CmdCall& call) {
    crvtest::recordLine(call);
    return g_duration;
}
} // namespace

TEST(ParseTokensTest, TokenizerTable) {
    EngineSession session(scriptOptions(L""));
    session.vars().variables[L"who"] = L"Ann";
    session.vars().variables[L"*score"] = L"12";
    struct Case {
        const wchar_t* line;
        Tokens expected;
    };
    const Case cases[] = {
        {L"bg forest.png", {L"bg", L"forest.png"}},
        {L"bg forest.png // a note here", {L"bg", L"forest.png"}},
        {L"~bg forest.png // note", {L"bg", L"forest.png"}},
        {L"bg a//b", {L"bg", L"a"}},
        {L"var t = 'hello   big world' x", {L"var", L"t", L"=", L"'hello big world'", L"x"}},
        {L"var t = \"one two\"", {L"var", L"t", L"=", L"\"one two\""}},
        {L"var t = ' x", {L"var", L"t", L"=", L"'", L"x"}}, // a lone quote is complete
        {L"var t = 'open to the end", {L"var", L"t", L"=", L"'open to the end"}},
        {L"var t = 'solo'", {L"var", L"t", L"=", L"'solo'"}},
        {L"bg {{who}}", {L"bg", L"Ann"}},
        {L"bg pre{{*score}}post", {L"bg", L"12"}},  // a variable replaces the word
        {L"bg {{nobody}}", {L"bg", L"{{nobody}}"}}, // unknown names stay
        {L"bg {{}} {{", {L"bg", L"{{}}", L"{{"}},
        {L".move cg 10 20 300", {L"move", L"cg", L"10", L"20", L"300"}},
        {L"~ bg lone", {L"bg", L"lone"}},
        {L"bg x\r", {L"bg", L"x"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(seenTokens(c.line), c.expected) << crv::toNarrow(c.line);
    // Quotes are looked for before expansion: a value with a quote does not open a quoted token.
    session.vars().variables[L"q"] = L"'half";
    EXPECT_EQ(seenTokens(L"bg {{q}} next"), (Tokens{L"bg", L"'half", L"next"}));
}

TEST(ParseTokensTest, CommentsAreSkippedAndNeverDispatched) {
    EngineSession session(scriptOptions(L""));
    Probe probe(crv::CMD_BG);
    for (const wchar_t* line : {L"// bg a", L"~// bg a", L"//bg", L"  // bg indented"}) {
        runLine(line);
        EXPECT_TRUE(executed().empty()) << crv::toNarrow(line);
    }
    runLine(L"bg a // b c");
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens, (Tokens{L"bg", L"a"}));
    EXPECT_EQ(session.log().find("UNKNOWN or INVALID COMMAND"), std::string::npos);
}

TEST(ParseTokensTest, TextPassagesAndTheTilde) {
    EngineSession session(scriptOptions(L""));
    Probe probe(crv::CMD_BG);
    auto& passage = Services::CurParser()->getParsingScenario();
    EXPECT_FALSE(passage.get());
    runLine(L"\"Hello there");
    EXPECT_TRUE(passage.get());
    runLine(L"bg inside"); // text, not a command
    runLine(L"// also text");
    runLine(L"x"); // too short: skipped
    EXPECT_TRUE(executed().empty());
    EXPECT_TRUE(passage.get());
    runLine(L"~bg out");
    EXPECT_FALSE(passage.get());
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens, (Tokens{L"bg", L"out"}));
    runLine(L"-\"continued");
    EXPECT_TRUE(passage.get());
    runLine(L"~//comment that ends the passage");
    EXPECT_FALSE(passage.get());
    EXPECT_EQ(executed().size(), 1u);
    EXPECT_EQ(session.log().find("UNKNOWN or INVALID COMMAND"), std::string::npos);
}

TEST(ParseTokensTest, TriggerModeKeepsTheTildeAndUsesTheStoredTokens) {
    EngineSession session(scriptOptions(L""));
    Probe tilde(crv::CMD_TILDE);
    runLine(L"~\"Stored text", true);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens[0], L"~\"Stored");
    EXPECT_NE(session.log().find(
                  "WARNING. [Parser::ParseTokens] parseTokens.size() == 0. using Parser.curlineTokens"),
              std::string::npos);
    // Nothing stored at all: nothing happens.
    Services::CurParser()->getCurLineTokens().clear();
    EXPECT_EQ(Services::CurParser()->ParseTokens(L"", nullptr, true), Services::CurParser()->getReadLineNo());
}

TEST(ParseTokensTest, UnknownAndMiscountedCommandsAreReportedOnce) {
    EngineSession session(scriptOptions(L""));
    Services::CurParser()->setReadLineNo(4);
    runLine(L"clear all");
    runLine(L"bg a b c d");
    runLine(L"bookmark somewhere");
    runLine(L"teleport now");
    const std::string log = session.log();
    EXPECT_NE(
        log.find("WARNING. [ParseTokens] UNKNOWN or INVALID COMMAND:'clear' script-name:main.txt curline:4"),
        std::string::npos);
    EXPECT_NE(log.find("COMMAND:'bg'"), std::string::npos);
    EXPECT_NE(log.find("COMMAND:'bookmark'"), std::string::npos);
    EXPECT_NE(log.find("COMMAND:'teleport'"), std::string::npos);
}

TEST(ParseTokensTest, DispatchRunsTheFirstMatchingRowOnly) {
    EngineSession session(scriptOptions(L""));
    // Every slot but bookmark has exactly one row.
    std::vector<int> slots;
    for (const crv::CmdEntry& entry : crv::CommandTable())
        slots.push_back(entry.slot);
    std::sort(slots.begin(), slots.end());
    EXPECT_EQ(slots.size(), 59u);
    EXPECT_TRUE(std::adjacent_find(slots.begin(), slots.end()) == slots.end());
    EXPECT_TRUE(std::find(slots.begin(), slots.end(), crv::CMD_BOOKMARK) == slots.end());
    EXPECT_EQ(crv::CommandTable().front().slot, crv::CMD_BG);

    Probe bg(crv::CMD_BG);
    runLine(L"bg one");
    runLine(L"cg name file 0 0 1"); // matches cg, not bg
    EXPECT_EQ(executed().size(), 1u);
}

TEST(ParseTokensTest, SynchronousPrefixWaitsInGameModeOnly) {
    EngineSession session(scriptOptions(L"", true));
    Probe move(crv::CMD_MOVE, timedHandler);
    auto parser = Services::CurParser();
    g_duration = 300;
    parser->setReadLineNo(9);
    runLine(L"move cg 1 2 300");
    EXPECT_EQ(parser->getParserState(), crv::PARSE_FIN); // no full stop: no wait
    runLine(L".move cg 1 2 300");
    EXPECT_EQ(parser->getParserState(), crv::SYNC_EXEC);
    EXPECT_EQ(parser->syncDuration.count(), 300);
    EXPECT_EQ(parser->syncLine, 9);
    // Not yet run out: nothing continues.
    parser->AutoContScript_ifNeeded();
    EXPECT_EQ(parser->getParserState(), crv::SYNC_EXEC);
    parser->syncStart -= std::chrono::milliseconds(400);
    parser->AutoContScript_ifNeeded();
    EXPECT_NE(parser->getParserState(), crv::SYNC_EXEC);
    EXPECT_NE(session.log().find("[AutoContScript_ifNeeded] SYNC_EXEC COMPLETE. duration:300ms"),
              std::string::npos);

    // Skip mode never waits; a zero duration never waits.
    parser->setParserState(crv::PARSE_FIN);
    session.vars().textProgressMode = 2;
    runLine(L".move cg 1 2 300");
    EXPECT_EQ(parser->getParserState(), crv::PARSE_FIN);
    session.vars().textProgressMode = 0;
    g_duration = 0;
    runLine(L".move cg 1 2 0");
    EXPECT_EQ(parser->getParserState(), crv::PARSE_FIN);
}

TEST(ParseTokensTest, AlphaFadeAndWaitAreAlwaysSynchronous) {
    EngineSession session(scriptOptions(L"", true));
    Probe fade(crv::CMD_ALPHAFADEIN, timedHandler);
    Probe wait(crv::CMD_WAIT, timedHandler);
    auto parser = Services::CurParser();
    g_duration = 250;
    runLine(L"alphaFadein cg");
    EXPECT_EQ(parser->getParserState(), crv::SYNC_EXEC);
    parser->setParserState(crv::PARSE_FIN);
    g_duration = -1; // wait for a click: no timed wait
    runLine(L"wait");
    EXPECT_EQ(parser->getParserState(), crv::PARSE_FIN);
    g_duration = 100;
    runLine(L"wait 100");
    EXPECT_EQ(parser->getParserState(), crv::SYNC_EXEC);
}

TEST(ParseTokensTest, EditorRecordsTheWaitButNeverStops) {
    EngineSession session(scriptOptions(L".move cg 1 2 300\nbg 2\n"));
    Probe move(crv::CMD_MOVE, timedHandler);
    g_duration = 300;
    session.mainParser().ReadScript(-1);
    EXPECT_EQ(session.mainParser().getReadLineNo(), 2);
    EXPECT_EQ(session.mainParser().syncDuration.count(), 300); // for the editor's tween display
    EXPECT_EQ(session.mainParser().getParserState(), crv::PARSE_FIN);
}

TEST(ParseTokensTest, TextArgumentList) {
    EngineSession session(scriptOptions(L""));
    bool inCamera = false;
    auto list = crv::BuildTextArguments(
        {L"text", L"title", L"10", L"20", L"3", L"serif.ttf", L"24", L"'Chapter", L"One'"}, inCamera);
    EXPECT_TRUE(inCamera);
    EXPECT_EQ(list,
              (std::vector<std::wstring>{L"text", L"title", L"10", L"20", L"3", L"0", L"0", L"serif.ttf",
                                         L"24", L"0", L"1", L"1", L"1", L"false", L"Chapter One'"}));
    list = crv::BuildTextArguments({L"text", L"t", L"1", L"2", L"3", L"f", L"9", L"noCamera", L"'Hi'"},
                                   inCamera);
    EXPECT_FALSE(inCamera);
    EXPECT_EQ(list.back(), L"Hi");
    list = crv::BuildTextArguments({L"text", L"t", L"1", L"2", L"3", L"f", L"9", L"noCamera"}, inCamera);
    EXPECT_EQ(list.back(), L"");
    list = crv::BuildTextArguments({L"text", L"t", L"1", L"2", L"3", L"f", L"9", L"'"}, inCamera);
    EXPECT_EQ(list.back(), L"");
}
