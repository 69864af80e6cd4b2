#include "ScriptTestKit.hpp"

#include "core/Services.hpp"
#include "engine.h"

#include <gtest/gtest.h>

#include <cstdlib>

using crv::Parser;
using crv::Services;
using crvtest::EngineSession;
using crvtest::executed;
using crvtest::executedLines;
using crvtest::Probe;
using crvtest::scriptOptions;

namespace {
// Lines 1..n: "bg N" (n lines, the probe records each).
std::wstring numberedScript(int n) {
    std::wstring text;
    for (int i = 1; i <= n; ++i)
        text += L"bg " + std::to_wstring(i) + L"\n";
    return text;
}
} // namespace

TEST(ParserTest, ReadPassesContinueWhereTheLastOneStopped) {
    EngineSession session(scriptOptions(L"bg 1\n\n// note\nbg 4\nwait\nbg 6\nbg 7"));
    Probe probe(crv::CMD_BG);
    Parser& parser = session.mainParser();
    EXPECT_EQ(parser.getParserState(), crv::PARSE_FIN);
    EXPECT_EQ(parser.getReadLineNo(), 0);
    parser.ReadScript(5); // editor: runs across the wait line up to the target
    EXPECT_EQ(executedLines(), (std::vector<int>{1, 4}));
    EXPECT_EQ(parser.getReadLineNo(), 5);
    EXPECT_EQ(parser.getParserState(), crv::PARSE_FIN);
    parser.ReadScript(-1);
    EXPECT_EQ(executedLines(), (std::vector<int>{1, 4, 6, 7}));
    EXPECT_EQ(parser.getReadLineNo(), 7);
    EXPECT_TRUE(parser.isEndOfText());
    EXPECT_NE(session.log().find("[Parser::ReadScript] duration:"), std::string::npos);
}

TEST(ParserTest, GotoLineMakesTheNextReadStartAtThatLine) {
    EngineSession session(scriptOptions(numberedScript(6)));
    Probe probe(crv::CMD_BG);
    Parser& parser = session.mainParser();
    parser.ReadScript(-1);
    for (int target : {0, 1, 4, 6}) {
        executed().clear();
        parser.GotoLine(target);
        EXPECT_EQ(parser.getReadLineNo(), target >= 1 ? target - 1 : 0);
        parser.ReadScript(target >= 1 ? target : 1);
        ASSERT_EQ(executed().size(), 1u) << target;
        EXPECT_EQ(executed()[0].tokens[1], std::to_wstring(target >= 1 ? target : 1));
    }
    parser.GotoLine(40); // beyond the end: nothing left to read
    EXPECT_TRUE(parser.isEndOfText());
    executed().clear();
    parser.ReadScript(-1);
    EXPECT_TRUE(executed().empty());
}

TEST(ParserTest, ScriptFinEndsThePassOnlyAsALoneWord) {
    EngineSession session(scriptOptions(L"bg 1\nscript_fin now\nbg 3\nscript_fin\nbg 5"));
    Probe probe(crv::CMD_BG);
    Parser& parser = session.mainParser();
    parser.ReadScript(-1);
    EXPECT_EQ(parser.getParserState(), crv::PARSE_FIN);
    EXPECT_EQ(parser.getReadLineNo(), 2);
    parser.ReadScript(-1);
    EXPECT_EQ(parser.getParserState(), crv::PARSE_SCRIPT_FIN);
    EXPECT_EQ(parser.getReadLineNo(), 4);
    EXPECT_EQ(executedLines(), (std::vector<int>{1, 3}));
}

TEST(ParserTest, GotoBookmarkFindsExactNamesDeclaresVariablesAndRestoresOnFailure) {
    std::wstring text;
    for (int i = 1; i <= 11; ++i)
        text += i == 5   ? L"~bookmark Tilde\n"
                : i == 3 ? L"bookmark Start\n"
                         : L"bg " + std::to_wstring(i) + L"\n";
    text += L"bookmark start _name _mood\nbg 13\n";
    EngineSession session(scriptOptions(text, true));
    Probe probe(crv::CMD_BG);
    Parser& parser = session.mainParser();
    EXPECT_EQ(parser.GotoBookmark(L"start"), 12);
    EXPECT_EQ(parser.getReadLineNo(), 12);
    ASSERT_EQ(parser.getScriptVars().size(), 2u);
    EXPECT_EQ(parser.getScriptVars()[0], (std::pair<std::wstring, std::wstring>{L"_name", L""}));
    EXPECT_EQ(parser.getScriptVars()[1].first, L"_mood");
    parser.setParserState(crv::PARSE_CONT);
    parser.ReadScript(-1);
    EXPECT_EQ(executedLines(), (std::vector<int>{13}));

    EXPECT_EQ(parser.GotoBookmark(L"Tilde"), 5);
    EXPECT_EQ(parser.GotoBookmark(L"Start"), 3);
    // Not there: the position stays where it was (the next line read is 4).
    EXPECT_EQ(parser.GotoBookmark(L"START"), -1);
    EXPECT_EQ(parser.getReadLineNo(), 3);
    executed().clear();
    parser.ReadScript(4);
    EXPECT_EQ(executedLines(), (std::vector<int>{4}));
    EXPECT_NE(session.log().find("[GotoBookmark] ERROR. BOOKMARK:START DOES NOT EXIST"), std::string::npos);
}

TEST(ParserTest, BookmarkScanTracksTextPassages) {
    EngineSession session(scriptOptions(L"\"Hello\nbookmark here\n~bookmark out\n", true));
    Parser& parser = session.mainParser();
    EXPECT_EQ(parser.GotoBookmark(L"here"), 2);
    EXPECT_TRUE(parser.getParsingScenario().get()); // the scan passed a text line
    EXPECT_EQ(parser.GotoBookmark(L"out"), 3);
    EXPECT_FALSE(parser.getParsingScenario().get()); // and then the tilde
}

TEST(ParserTest, PushScriptVarNamesStripsQuotedValues) {
    EngineSession session(scriptOptions(L"bookmark entry _a _b _c _d\n", true));
    Parser& parser = session.mainParser();
    parser.GotoBookmark(L"entry");
    parser.PushScriptVarNames({L"too", L"few"});
    EXPECT_EQ(parser.getScriptVars()[0].second, L"");
    parser.PushScriptVarNames({L"'hello world'", L"'", L"''", L"plain", L"ignored"});
    EXPECT_EQ(parser.getScriptVars()[0].second, L"hello world");
    EXPECT_EQ(parser.getScriptVars()[1].second, L"'");
    EXPECT_EQ(parser.getScriptVars()[2].second, L"");
    EXPECT_EQ(parser.getScriptVars()[3].second, L"plain");
    EXPECT_NE(session.log().find("[PushScriptVarNames] var_values.size() < m_script_vars.size()"),
              std::string::npos);
}

TEST(ParserTest, SetScriptTextKeepsTheLineForTheSameNameAndResetsForAnother) {
    EngineSession session(scriptOptions(numberedScript(5)));
    Probe probe(crv::CMD_BG);
    Parser& parser = session.mainParser();
    parser.ReadScript(3);
    parser.setScriptText(L"main.txt", L"bg a\nbg b\nbg c\nbg d\n", false);
    EXPECT_EQ(parser.getReadLineNo(), 2); // the current line is read again from the new text
    executed().clear();
    parser.ReadScript(3);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens[1], L"c");

    parser.setScriptText(L"other.txt", L"bg x\nbg y\n", false);
    EXPECT_EQ(parser.getScriptName(), L"other.txt");
    EXPECT_EQ(parser.getReadLineNo(), 0);
    executed().clear();
    parser.ReadScript(1);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens[1], L"x");
    EXPECT_NE(session.log().find("[Parser::setScriptText] script reset. filename: \"other.txt\""),
              std::string::npos);
}

TEST(ParserTest, ParserStackIsNeverLeftEmpty) {
    EngineSession session(scriptOptions(L""));
    crv::NParser& stack = *Services::NParser();
    auto called = std::make_shared<Parser>(L"called.txt", L"bg 1", crv::SCRIPT_CALLED);
    session.mainParser().setReadLineNo(7);
    stack.pushParser(called);
    stack.pushParser(nullptr);
    EXPECT_EQ(stack.getParserCount(), 2);
    EXPECT_EQ(called->getParserIdx(), 1);
    EXPECT_EQ(called->getRefLine(), 7);
    EXPECT_EQ(stack.findParser(L"called.txt"), 1);
    EXPECT_TRUE(stack.hasParser(L"main.txt"));
    EXPECT_FALSE(stack.hasParser(L"Called.txt"));
    stack.finishPushedParsers();
    EXPECT_EQ(called->getParserState(), crv::PARSE_SCRIPT_FIN);
    EXPECT_EQ(stack.getMainParser()->getParserState(), crv::PARSE_FIN);
    stack.popParser();
    stack.popParser();
    stack.popParser();
    EXPECT_EQ(stack.getParserCount(), 1);
    EXPECT_EQ(stack.getCurParser()->getScriptName(), L"main.txt");
    auto loaded = std::make_shared<Parser>(L"loaded.txt", L"", crv::SCRIPT_MAIN);
    stack.replaceAllParsers(loaded);
    stack.replaceAllParsers(nullptr);
    EXPECT_EQ(stack.getParserCount(), 1);
    EXPECT_EQ(stack.getMainParser(), loaded);
}

TEST(ParserTest, APushedParserStopsTheOneBelowUntilItIsPopped) {
    EngineSession session(scriptOptions(L"bg 1\nbg 2\nbg 3\n", true));
    // A handler that pushes a called script when it sees "bg 2".
    auto pushOnTwo = [](crv::CmdCall& call) {
        crvtest::recordLine(call);
        if (call.tokens[1] == L"2")
            Services::NParser()->pushParser(
                std::make_shared<Parser>(L"sub.txt", L"bg s1\nbg s2", crv::SCRIPT_CALLED));
        return 0;
    };
    Probe probe(crv::CMD_BG, pushOnTwo);
    Parser& main = session.mainParser();
    main.ReadScript(-1);
    EXPECT_EQ(main.getReadLineNo(), 2);
    EXPECT_EQ(main.getParserState(), crv::PARSE_CONT);
    auto sub = Services::CurParser();
    sub->ReadScript(-1);
    EXPECT_TRUE(sub->isEndOfText());
    Services::NParser()->popParser();
    main.AutoContScript_ifNeeded();
    std::vector<std::wstring> seen;
    for (const auto& e : executed())
        seen.push_back(e.tokens[1]);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"1", L"2", L"s1", L"s2", L"3"}));
}

TEST(ParserTest, AParserPoppedByItsOwnLineFinishesThePassSafely) {
    EngineSession session(scriptOptions(L"", true));
    auto popSelf = [](crv::CmdCall& call) {
        crvtest::recordLine(call);
        Services::NParser()->resetToMainParser(); // drops the last owner but the pass's own
        return 0;
    };
    Probe probe(crv::CMD_BG, popSelf);
    Services::NParser()->pushParser(std::make_shared<Parser>(L"sub.txt", L"bg 1\nbg 2", crv::SCRIPT_CALLED));
    Services::CurParser()->ReadScript(-1);
    EXPECT_EQ(Services::NParser()->getParserCount(), 1);
    EXPECT_EQ(executed().size(), 2u);
}

// ---------------------------------------------------------------------------------------------
// Script files through the virtual file system

TEST(ParserTest, GoToScriptReadsFilesWithByteOrderMarkAndCrlf) {
    auto files = [](crvtest::ScratchDir& dir) {
        dir.write("Scripts/other.txt", "\xEF\xBB\xBF"
                                       "bg first\r\nbookmark entry _who\r\nbg {{_who}}\r\n\"Hi\r\n");
    };
    EngineSession session(scriptOptions(L"bg 1\n", true, files));
    Probe probe(crv::CMD_BG);
    Parser& parser = session.mainParser();
    parser.GoToScript(L"other.txt", L"entry");
    EXPECT_EQ(parser.getScriptName(), L"other.txt");
    EXPECT_EQ(parser.getReadLineNo(), 2);
    parser.PushScriptVarNames({L"'Ann'"});
    parser.setParserState(crv::PARSE_CONT);
    parser.ReadScript(-1);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens, (crv::Tokens{L"bg", L"Ann"}));
    EXPECT_TRUE(parser.getParsingScenario().get());

    // From the start: the byte-order mark is not part of the first word.
    parser.GoToScript(L"other.txt", L"");
    executed().clear();
    parser.setParserState(crv::PARSE_CONT);
    parser.ReadScript(1);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens[0], L"bg");
}

TEST(ParserTest, GoToScriptReadsFromAZipArchiveAndKeepsTheOldScriptOnFailure) {
    auto files = [](crvtest::ScratchDir& dir) {
        dir.write("pack/Scripts/zipped.txt", "bg z1\nbookmark b\nbg z3\n");
        const std::string command =
            "cd '" + (dir.path() / "pack").string() + "' && zip -q -r ../Scripts.crvdat Scripts";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::filesystem::remove_all(dir.path() / "pack");
    };
    EngineSession session(scriptOptions(L"bg 1\nbg 2\n", true, files));
    Probe probe(crv::CMD_BG);
    Parser& parser = session.mainParser();
    parser.GoToScript(L"missing.txt", L"b");
    EXPECT_EQ(parser.getScriptName(), L"main.txt");
    EXPECT_NE(session.log().find("[Parser::GoToScript] FAILED! dest-script:missing.txt, dest-bookmark:b"),
              std::string::npos);
    parser.GoToScript(L"zipped.txt", L"b");
    EXPECT_EQ(parser.getScriptName(), L"zipped.txt");
    parser.setParserState(crv::PARSE_CONT);
    parser.ReadScript(-1);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens[1], L"z3");
    EXPECT_EQ(executed()[0].line, 3);
}

// ---------------------------------------------------------------------------------------------
// The editor's path: setNovelScriptText and setGameMode

TEST(ParserTest, EditorReadsToTheCursorAndMovesBackAndForth) {
    const std::wstring text = numberedScript(10);
    EngineSession session(scriptOptions(L""));
    Probe probe(crv::CMD_BG);
    setNovelScriptText(text.c_str(), L"main.txt", 6, true);
    EXPECT_EQ(executedLines(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(session.mainParser().getReadLineNo(), 6);

    executed().clear();
    setNovelScriptText(text.c_str(), L"main.txt", 3, false); // back: only the cursor line runs again
    EXPECT_EQ(executedLines(), (std::vector<int>{3}));
    executed().clear();
    setNovelScriptText(text.c_str(), L"main.txt", 5, false); // forward: the lines in between run
    EXPECT_EQ(executedLines(), (std::vector<int>{4, 5}));
    executed().clear();
    setNovelScriptText(text.c_str(), L"main.txt", 5, false); // nothing changed
    setNovelScriptText(text.c_str(), L"main.txt", 0, false); // refused
    EXPECT_TRUE(executed().empty());
    setNovelScriptText(text.c_str(), L"main.txt", -1, false); // to the end
    EXPECT_EQ(executedLines(), (std::vector<int>{6, 7, 8, 9, 10}));

    // Same file, same line, new text: the current line is amended.
    executed().clear();
    const std::wstring edited = L"bg 1\nbg 2\nbg 3\nbg 4\nbg 5\nbg 6\nbg 7\nbg 8\nbg 9\nbg ten\n";
    setNovelScriptText(edited.c_str(), L"main.txt", session.mainParser().getReadLineNo(), true);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].tokens[1], L"ten");
    // A reset to another line starts over from line 1.
    executed().clear();
    setNovelScriptText(edited.c_str(), L"main.txt", 2, true);
    EXPECT_EQ(executedLines(), (std::vector<int>{1, 2}));
    const std::string log = session.log();
    EXPECT_NE(log.find("[setNovelScriptText:invalid] Invalid lineno argument: 0 [return]"),
              std::string::npos);
    EXPECT_NE(log.find("[DLL::setNovelScriptText:reset-script] AMEND CURLINE ONWARDS"), std::string::npos);
}

TEST(ParserTest, EditorTextPassageStateFollowsTheCursor) {
    const std::wstring text = L"bg 1\n\"Hello\nstill text\n~bg 4\nbg 5\n";
    EngineSession session(scriptOptions(L""));
    Probe probe(crv::CMD_BG);
    setNovelScriptText(text.c_str(), L"main.txt", 3, true);
    EXPECT_TRUE(session.mainParser().getParsingScenario().get());
    setNovelScriptText(text.c_str(), L"main.txt", 5, false);
    EXPECT_FALSE(session.mainParser().getParsingScenario().get());
    EXPECT_EQ(executedLines(), (std::vector<int>{1, 4, 5}));
    executed().clear();
    setNovelScriptText(text.c_str(), L"main.txt", 3, false); // back inside the passage
    EXPECT_TRUE(session.mainParser().getParsingScenario().get());
    setNovelScriptText(text.c_str(), L"main.txt", 4, false);
    EXPECT_EQ(executedLines(), (std::vector<int>{4}));
}

TEST(ParserTest, PlayingFromTheCursorReturnsToTheLineAfterIt) {
    const std::wstring text = L"var a = 1\nbg 2\nbg 3\nvar a = 4\nbg 5\nbg 6\n";
    EngineSession session(scriptOptions(L""));
    Probe probe(crv::CMD_BG);
    setNovelScriptText(text.c_str(), L"main.txt", 3, true);
    EXPECT_TRUE(session.vars().variables.empty()); // var acts only while playing

    setGameMode(true);
    EXPECT_TRUE(session.vars().gameMode);
    executed().clear();
    Parser& main = session.mainParser();
    main.setParserState(crv::PARSE_CONT);
    main.AutoContScript_ifNeeded();
    EXPECT_EQ(executedLines(), (std::vector<int>{5, 6}));
    EXPECT_EQ(session.vars().variables[L"a"], L"4");

    setGameMode(false);
    EXPECT_FALSE(session.vars().gameMode);
    EXPECT_EQ(session.vars().variables.count(L"a"), 0u); // the played copy is gone
    EXPECT_EQ(main.getReadLineNo(), 3);
    executed().clear();
    setNovelScriptText(text.c_str(), L"main.txt", 5, false);
    EXPECT_EQ(executedLines(), (std::vector<int>{5}));
}

TEST(ParserTest, AScriptLoopingWithoutWaitYieldsToTheNextFrame) {
    EngineSession session(scriptOptions(L"bookmark loop\nif nothing != 1 here loop\nbg never\n", true));
    Probe probe(crv::CMD_BG);
    const int previous = Parser::getMaxLinesPerPass();
    Parser::setMaxLinesPerPass(50);
    Parser& parser = session.mainParser();
    parser.setParserState(crv::PARSE_CONT);
    parser.ReadScript(-1); // returns although the script never waits
    EXPECT_EQ(parser.getParserState(), crv::PARSE_CONT);
    const int line = parser.getReadLineNo();
    EXPECT_TRUE(line == 1 || line == 2);
    parser.AutoContScript_ifNeeded(); // the next frame reads on, and yields again
    EXPECT_EQ(parser.getParserState(), crv::PARSE_CONT);
    EXPECT_TRUE(executed().empty());
    EXPECT_EQ(crvtest::countOf(session.log(), "lines without a wait"), 2);
    Parser::setMaxLinesPerPass(previous);
}
