// Waits, jumps, called scripts, key triggers, timers, message boxes, the end, the clear colour.
#include "ScriptTestKit.hpp"

#include "script/FlowCommands.hpp"

#include <gtest/gtest.h>

namespace {

using crvtest::runLine;
using crvtest::scriptOptions;

TEST(FlowCommands, WaitWaitsOnlyWhilePlaying) {
    struct Case {
        const char* line;
        bool gameMode;
        std::int8_t state;
        long long syncDuration;
    };
    for (const Case& c : {Case{"wait 250", true, crv::SYNC_EXEC, 250}, Case{"wait", true, crv::PARSE_FIN, 0},
                          Case{"wait soon", true, crv::PARSE_FIN, 0}, Case{"wait 1 2", true, crv::PARSE_FIN, 0},
                          Case{"wait buttonSelect", true, crv::WAIT_BTNSEL, 0},
                          Case{"wait msgboxSelect", true, crv::WAIT_MSGBOXSEL, 0},
                          Case{"wait 250", false, crv::PARSE_CONT, 0}, Case{"wait", false, crv::PARSE_CONT, 0}}) {
        crvtest::EngineSession engine(scriptOptions(L"", c.gameMode));
        auto parser = crv::Services::CurParser();
        parser->setParserState(crv::PARSE_CONT);
        runLine(crv::toWide(c.line));
        EXPECT_EQ(parser->getParserState(), c.state) << c.line << (c.gameMode ? " playing" : " editing");
        if (c.state == crv::SYNC_EXEC) {
            EXPECT_EQ(parser->syncDuration.count(), c.syncDuration) << c.line;
        }
    }
}

const wchar_t* const kJumpScript = L"var a = 1\njump there\nvar a = 2\nbookmark there\nvar b = 3\n";

TEST(FlowCommands, JumpFindsABookmarkOfTheCurrentScriptWhilePlaying) {
    crvtest::EngineSession engine(scriptOptions(kJumpScript, true));
    engine.mainParser().ReadScript(-1);
    EXPECT_EQ(engine.vars().variables[L"a"], L"1") << "line 3 was jumped over";
    EXPECT_EQ(engine.vars().variables[L"b"], L"3");
    EXPECT_NE(engine.log().find("[ExecuteJump] searched bookmark: 'there' found at line: 4 \n"), std::string::npos);
}

TEST(FlowCommands, TheEditorReadsStraightThroughAJump) {
    crvtest::EngineSession engine(scriptOptions(kJumpScript, false));
    engine.mainParser().ReadScript(-1);
    EXPECT_EQ(engine.mainParser().getReadLineNo(), 5);
    EXPECT_NE(engine.log().find("[ExecuteJump] (gameplaymode: false) PROHIBIT SCRIPT JUMP \n"), std::string::npos);
}

TEST(FlowCommands, ACalledScriptThatEndsIsPoppedWithinItsLine) {
    crvtest::EngineSession engine(scriptOptions(L"script sub.txt entry 7\nvar after = {{seen}}\n", true,
                                                [](crvtest::ScratchDir& dir) {
                                                    dir.write("Scripts/sub.txt",
                                                              "var skipped = 1\nbookmark entry _who\nvar seen = {{_who}}\nscript_fin\nvar skipped = 2\n");
                                                }));
    engine.mainParser().ReadScript(-1);
    EXPECT_EQ(crv::Services::NParser()->getParserCount(), 1);
    EXPECT_EQ(engine.vars().variables[L"after"], L"7");
    EXPECT_EQ(engine.vars().variables.count(L"skipped"), 0u);
    EXPECT_NE(engine.log().find("[ExecuteScript] LOADING NEW SCRIPT:sub.txt \n"), std::string::npos);
}

TEST(FlowCommands, AMissingScriptOrBookmarkChangesNothing) {
    crvtest::EngineSession engine(scriptOptions(L"script absent.txt\nscript sub.txt nowhere\nvar done = 1\n", true,
                                                [](crvtest::ScratchDir& dir) { dir.write("Scripts/sub.txt", "var x = 1\n"); }));
    engine.mainParser().ReadScript(-1);
    EXPECT_EQ(crv::Services::NParser()->getParserCount(), 1);
    EXPECT_EQ(engine.vars().variables[L"done"], L"1");
    EXPECT_NE(engine.log().find("(ExecuteScript) TRIED TO JUMP TO INVALID BOOKMARK"), std::string::npos);
}

TEST(FlowCommands, KeyTriggersTimersAndTheClearColour) {
    crvtest::EngineSession engine(scriptOptions(L"", true));
    runLine(L"keyTrigger ctrl var pressed = 1");
    runLine(L"keyTrigger ctrl var pressed = 2");
    runLine(L"keyTrigger r.click jump menu");
    runLine(L"keyTrigger shift var x = 1");
    auto& vars = engine.vars();
    ASSERT_EQ(vars.keyTriggers.size(), 1u);
    EXPECT_EQ(vars.keyTriggers[37].trigger_function, L"var pressed = 2") << "the second binding replaces the first";
    EXPECT_EQ(vars.mouseTriggers[1].trigger_function, L"jump menu");

    runLine(L"timer tick 1000 repeat var t = 1");
    runLine(L"timer tick 500 var u = 1");
    runLine(L"timer other 10 var v = 1");
    runLine(L"timer bad 1.5 var w = 1");
    ASSERT_EQ(vars.timers.size(), 3u);
    EXPECT_TRUE(vars.timers[0]->repeat);
    EXPECT_EQ(vars.timers[0]->command, L"var t = 1");
    EXPECT_EQ(vars.timers[1]->duration, 500);
    runLine(L"timerEnd tick");
    ASSERT_EQ(vars.timers.size(), 1u) << "both timers of the name go";
    EXPECT_EQ(vars.timers[0]->name, L"other");

    runLine(L"clearRGB 300 0 -1");
    EXPECT_EQ(vars.clearColour.get(), sf::Color(44, 0, 255));
    runLine(L"clearRGB 99999999999 0 0");
    EXPECT_EQ(vars.clearColour.get(), sf::Color(44, 0, 255)) << "out-of-range values change nothing";
    const std::string log = engine.log();
    EXPECT_NE(log.find("(ExecuteKeyTrigger) INVALID TRIGGER KEY:shift"), std::string::npos);
    EXPECT_NE(log.find("(ExecuteClearRGB) INVALID VALUES"), std::string::npos);
}

TEST(FlowCommands, EndGameEndsAnApplication) {
    crvtest::EngineSession engine(scriptOptions(L"endGame\nvar after = 1\n", true));
    engine.mainParser().ReadScript(-1);
    EXPECT_TRUE(engine.vars().gameOver);
    EXPECT_EQ(engine.mainParser().getParserState(), crv::PARSE_STOP);
    EXPECT_EQ(engine.vars().variables.count(L"after"), 0u);
}

TEST(FlowCommands, EndGameIsIgnoredByTheEditor) {
    crvtest::EngineSession engine(scriptOptions(L"endGame\n", false));
    engine.mainParser().ReadScript(-1);
    EXPECT_FALSE(engine.vars().gameOver);
    EXPECT_NE(engine.log().find("[ExecuteEndGame] EDITOR MODE) IGNORING CMD: endGame. \n"), std::string::npos);
}

TEST(FlowCommands, AConfirmedDialogRunsItsLine) {
    crvtest::EngineSession engine(scriptOptions(L"dialog 'Really quit?' var confirmed = 5\n", true,
                                                [](crvtest::ScratchDir& dir) { dir.write("Scripts/box.txt", "wait msgboxSelect\n// the buttons answer\n"); }));
    engine.vars().msgboxScript = L"box.txt";
    engine.mainParser().ReadScript(-1);
    crv::UpdateEngine(false, false); // the queued dialog opens the box script
    EXPECT_EQ(engine.vars().currentMsgbox, L"Msg_userDefined");
    EXPECT_EQ(engine.vars().variables[L"msg_str"], L"'Really quit?'");
    EXPECT_EQ(crv::Services::CurParser()->getScriptName(), L"box.txt");
    engine.vars().variables[L"Msg_userDefined"] = L"1"; // the box's yes button
    crv::UpdateEngine(false, false);
    crv::UpdateEngine(false, false);
    EXPECT_EQ(engine.vars().variables[L"confirmed"], L"5");
    EXPECT_TRUE(engine.vars().currentMsgbox.empty());
}

TEST(FlowCommands, WithoutAMessageBoxScriptClosingStillEndsTheGame) {
    crvtest::EngineSession engine(scriptOptions(L"", true));
    crv::CmdHandlers::ExecuteMessageBox(L"Msg_endGame");
    crv::UpdateEngine(false, false);
    EXPECT_TRUE(engine.vars().gameOver);
}

} // namespace
