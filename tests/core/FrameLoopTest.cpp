// One engine step at a time: jobs, timers, counting, burial, reading modes, shutdown.
#include "core/Services.hpp"
#include "scene/Entities.hpp"
#include "scene/Entity.hpp"
#include "support/EngineSession.hpp"

#include <gtest/gtest.h>

#include <physfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using crvtest::EngineSession;
using crvtest::EngineOptions;

// Runs updates until one of them gets past pacing (and so draws and reads on).
void pacedUpdate(bool handleEvents = true) {
    const long long before = crv::PacedFrameCount();
    for (int i = 0; i < 200 && crv::PacedFrameCount() == before; ++i) {
        crv::UpdateEngine(true, handleEvents);
        if (crv::PacedFrameCount() == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GT(crv::PacedFrameCount(), before);
}

EngineOptions playing() {
    EngineOptions options;
    options.gameMode = true;
    return options;
}

TEST(FrameLoop, RunsQueuedJobsInOrderIncludingJobsQueuedByJobs) {
    EngineSession engine;
    std::vector<int> order;
    crv::Services::jobs.push([&] {
        order.push_back(1);
        crv::Services::jobs.push([&] { order.push_back(3); });
    });
    crv::Services::jobs.push([&] { order.push_back(2); });
    crv::UpdateEngine(false, false);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(crv::Services::jobs.size(), 0u);
}

TEST(FrameLoop, CountsUpdatesAndFramesPerSecondWindow) {
    EngineSession engine;
    const auto start = crv::SteadyClock::now();
    int calls = 0;
    while (crv::millisecondsSince(start) < 1100) {
        crv::UpdateEngine(true, true);
        ++calls;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The counts of the first completed window are published once it ends.
    // Only the cap is exact; how many updates a loaded machine fits into a second is not.
    EXPECT_LE(engine.vars().framesPerSecond, 72) << "pacing lets at most one frame through per 14 ms";
    EXPECT_GT(engine.vars().framesPerSecond, 0);
    EXPECT_GE(engine.vars().updatesPerSecond, engine.vars().framesPerSecond);
    EXPECT_GT(engine.vars().updatesPerSecond, 0);
}

TEST(FrameLoop, TimersFireOnceOrRepeatAndOnlyWhilePlaying) {
    EngineSession engine(playing());
    auto once = std::make_shared<crv::TimerEntry>();
    once->name = L"once";
    once->duration = 0;
    once->command = L"// once";
    auto again = std::make_shared<crv::TimerEntry>(*once);
    again->name = L"again";
    again->repeat = true;
    engine.vars().timers = {once, again};
    crv::UpdateEngine(false, false);
    ASSERT_EQ(engine.vars().timers.size(), 1u) << "the one-shot timer is gone after firing";
    EXPECT_EQ(engine.vars().timers.front()->name, L"again");
    crv::UpdateEngine(false, false);
    EXPECT_EQ(engine.vars().timers.size(), 1u);

    engine.vars().gameMode = false;
    crv::UpdateEngine(false, false);
    EXPECT_TRUE(engine.vars().timers.empty()) << "editing clears timers";
    const std::string log = engine.log();
    EXPECT_NE(log.find("[UpdateEntities] exec timer func. name:once, passedDuration:"), std::string::npos);
    EXPECT_NE(log.find("Services::TriggerParseExec:// once \n"), std::string::npos);
}

TEST(FrameLoop, BuriesHiddenEntitiesAfterADrawnFrameInGameModeOnly) {
    EngineSession engine(playing());
    auto kept = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"kept", 2);
    auto gone = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"gone", 2);
    ASSERT_TRUE(crv::InsNovelEntity(kept, 2, L"kept"));
    ASSERT_TRUE(crv::InsNovelEntity(gone, 2, L"gone"));
    gone->setHidden(true);
    pacedUpdate(false);
    auto& registry = *crv::Services::Entities();
    ASSERT_EQ(registry.entityLayers[2].size(), 1u);
    EXPECT_EQ(registry.entityLayers[2].front(), kept);
    EXPECT_EQ(registry.m_nameReferences.count(L"gone"), 0u);
    EXPECT_NE(engine.log().find("removed:'gone' (ntype:2) \n"), std::string::npos);
}

TEST(FrameLoop, SkipModeContinuesAWaitingLineAndAnUnknownModeIsLogged) {
    EngineSession engine(playing());
    engine.vars().textProgressMode = 2;
    engine.mainParser().setParserState(crv::PARSE_FIN);
    pacedUpdate();
    // The waiting line was continued: a read pass ran (and, the script being empty, finished).
    EXPECT_NE(engine.log().find("[AutoContScript_ifNeeded] PARSE_CONT: AUTO CONTINUE SCRIPT."), std::string::npos);

    engine.vars().textProgressMode = 7;
    pacedUpdate();
    EXPECT_NE(engine.log().find("ERROR. (ApplyTextreadMethod) INVALID TEXT READ METHOD \n"), std::string::npos);
}

TEST(FrameLoop, ASubScriptThatHasEndedIsPoppedButNeverTheMain) {
    EngineSession engine(playing());
    auto sub = std::make_shared<crv::Parser>(L"sub.txt", L"", crv::SCRIPT_CALLED);
    crv::Services::NParser()->pushParser(sub);
    sub->setParserState(crv::PARSE_SCRIPT_FIN);
    pacedUpdate();
    EXPECT_EQ(crv::Services::NParser()->getParserCount(), 1);
    engine.mainParser().setParserState(crv::PARSE_SCRIPT_FIN);
    pacedUpdate();
    EXPECT_EQ(crv::Services::NParser()->getParserCount(), 1);
    EXPECT_NE(engine.log().find("AutoContScript_ifNeeded(fin): cur pushed parser count:1 \n"), std::string::npos);
}

TEST(FrameLoop, AConfirmedEndGameBoxStopsEverything) {
    EngineSession engine(playing());
    engine.vars().currentMsgbox = L"Msg_endGame";
    engine.vars().variables[L"Msg_endGame"] = L"1";
    crv::UpdateEngine(false, false);
    EXPECT_TRUE(engine.vars().gameOver);
    bool ran = false;
    crv::Services::jobs.push([&] { ran = true; });
    crv::UpdateEngine(true, true);
    EXPECT_FALSE(ran) << "after the end nothing runs any more";
    EXPECT_NE(engine.log().find("\nGAME END\n"), std::string::npos);
}

TEST(FrameLoop, NoStateMeansNoUpdateAndASecondCloseOnlyNotes) {
    crvtest::ScratchDir dir;
    crv::UpdateEngine(true, true); // logs and returns
    crv::CloseEngine();            // no window: notice only
    crv::FlushLog();
    EXPECT_NE(dir.read("debug.txt").find("ERROR. Services::UpdateEngine CALLED DESPITE SYSVARS NULL"), std::string::npos);
}

TEST(NovelState, PushCopiesAndRevertKeepsOnlyTheFirst) {
    EngineSession engine;
    engine.vars().variables[L"x"] = L"1";
    crv::Services::PushNovelStateCopy();
    crv::Services::PushNovelStateCopy();
    ASSERT_EQ(crv::Services::m_NovelStates.size(), 3u);
    crv::Services::SysVars()->variables[L"x"] = L"2";
    auto played = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"played", 1);
    crv::InsNovelEntity(played, 1, L"played");
    crv::Services::RevertNovelState();
    ASSERT_EQ(crv::Services::m_NovelStates.size(), 1u);
    EXPECT_EQ(crv::Services::SysVars()->variables[L"x"], L"1");
    EXPECT_EQ(crv::Services::Entities()->m_nameReferences.count(L"played"), 0u);
}

TEST(NovelState, RemoveEntitiesFromLineRewindsTheRegistryAndHistories) {
    EngineSession engine;
    auto& vars = engine.vars();
    engine.mainParser().setReadLineNo(3);
    auto early = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"early", 1);
    crv::InsNovelEntity(early, 1, L"early");
    vars.currentTextbox.set(L"box3");
    engine.mainParser().setReadLineNo(8);
    auto late = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"late", 1);
    crv::InsNovelEntity(late, 1, L"late");
    vars.currentTextbox.set(L"box8");
    vars.clearColour.set(sf::Color::Red);

    crv::Services::RemoveEntitiesFromLine(5);
    auto& registry = *crv::Services::Entities();
    EXPECT_EQ(registry.m_nameReferences.count(L"late"), 0u);
    EXPECT_EQ(registry.m_nameReferences.count(L"early"), 1u);
    EXPECT_EQ(registry.entityLayers[1].size(), 1u);
    EXPECT_EQ(vars.currentTextbox.get(false), L"box3");
    EXPECT_EQ(vars.clearColour.get(false), sf::Color::Black);
    EXPECT_EQ(engine.mainParser().getReadLineNo(), 5);

    crv::Services::RemoveEntitiesFromLine(1);
    EXPECT_TRUE(registry.m_nameReferences.empty());
    EXPECT_TRUE(vars.currentTextbox.empty());
    EXPECT_NE(engine.log().find("(Services::RemoveEntitiesFromLine) complete. line:1 \n"), std::string::npos);
    EXPECT_TRUE(registry.pCamera && registry.pBacklog && registry.pWaitIcon) << "system entities stay";
}

} // namespace

namespace {

// A host that exits without closing the engine must still end cleanly: the registry is torn
// down by static destructors, and parsers log while they go.
TEST(Shutdown, ExitingWithoutClosingTheEngineEndsCleanly) {
    crvtest::ScratchDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PHYSFS_init(nullptr);
        crv::Services::pRenderWindow = std::make_unique<sf::RenderWindow>(sf::VideoMode(64, 64), "exit");
        crv::Services::pNParser = std::make_unique<crv::NParser>(L"main.txt", L"// a line\n");
        crv::Services::InitNovelState(true);
        crv::Services::NParser()->pushParser(std::make_shared<crv::Parser>(L"sub.txt", L"", crv::SCRIPT_CALLED));
        crv::UpdateEngine(false, false);
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

} // namespace
