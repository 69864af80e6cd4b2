#include "core/Log.hpp"

#include "support/EngineSession.hpp"

#include <gtest/gtest.h>

#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string afterHeader(const std::string& log) {
    const auto start = log.find("\n\n");
    return start == std::string::npos ? std::string() : log.substr(start + 2);
}

TEST(Log, StartsWithTheTimeHeaderAndWritesUtf8InOrder) {
    crvtest::EngineSession engine;
    crv::OutputDebugStringN(L"name:%s count:%i half:%.1f %%\n", L"Zoë 東京", 42, 0.5);
    crv::OutputDebugStringN(L"second %s|%s\n", L"a", L"b");
    const std::string log = engine.log();
    ASSERT_EQ(log.rfind("LOG START TIME (d-m-y): ", 0), 0u) << log;
    EXPECT_EQ(log.find('\n'), std::string("LOG START TIME (d-m-y): 10-12-2026 23:33:09").size());
    const auto first = log.find("name:Zoë 東京 count:42 half:0.5 %\n");
    const auto second = log.find("second a|b\n");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(second, first + std::string("name:Zoë 東京 count:42 half:0.5 %\n").size());
}

TEST(Log, FormatsUpTo1023CharactersAndDropsLonger) {
    crvtest::EngineSession engine;
    const std::wstring fits(1023 - 5, L'a'); // "fits:" + 1,018 = 1,023
    const std::wstring tooLong(1024 - 5, L'b');
    crv::OutputDebugStringN(L"fits:%s", fits.c_str());
    crv::OutputDebugStringN(L"long:%s", tooLong.c_str());
    crv::OutputDebugStringN(L"after\n");
    const std::string log = engine.log();
    EXPECT_NE(log.find("fits:" + std::string(fits.size(), 'a') + "after\n"), std::string::npos);
    EXPECT_EQ(log.find("long:"), std::string::npos);
}

TEST(Log, HostTextIsNotAFormat) {
    crvtest::EngineSession engine;
    crv::LogText(L"100% sure: %s %i\n");
    EXPECT_NE(engine.log().find("100% sure: %s %i\n"), std::string::npos);
}

TEST(Log, DropsMessagesWhileLoggingIsOff) {
    crvtest::EngineSession engine;
    engine.vars().loggingEnabled = false;
    crv::OutputDebugStringN(L"hidden %i\n", 1);
    engine.vars().loggingEnabled = true;
    crv::OutputDebugStringN(L"shown %i\n", 2);
    const std::string log = engine.log();
    EXPECT_EQ(log.find("hidden"), std::string::npos);
    EXPECT_NE(log.find("shown 2"), std::string::npos);
}

TEST(Log, BeforeTheFirstStateTheFormatIsWrittenUnexpanded) {
    crvtest::ScratchDir dir;
    crv::OutputDebugStringN(L"Max Texture size:%i \n", 4096);
    crv::FlushLog();
    EXPECT_NE(afterHeader(dir.read("debug.txt")).find("Max Texture size:%i \n"), std::string::npos);
}

TEST(Log, KeepsOrderUnderABurstOf100000Messages) {
    crvtest::EngineSession engine;
    constexpr int kCount = 100000;
    for (int i = 0; i < kCount; ++i)
        crv::OutputDebugStringN(L"burst %i\n", i);
    const std::string log = engine.log();
    std::size_t at = 0;
    for (int i = 0; i < kCount; ++i) {
        const std::string line = "burst " + std::to_string(i) + "\n";
        const auto found = log.find(line, at);
        ASSERT_EQ(found, at == 0 ? found : at) << "message " << i << " out of order or missing";
        at = found + line.size();
    }
}

TEST(Log, WidensStringConversionsOnly) {
    EXPECT_EQ(crv::WidenFormat(L"%s %5s %-3s %ls %i %d %f %% %%s %c"), L"%ls %5ls %-3ls %ls %i %d %f %% %%s %lc");
    EXPECT_EQ(crv::WidenFormat(L"100%"), L"100%");
}

} // namespace

namespace {

// At process exit everything still queued reaches debug.txt before the file is closed.
TEST(Log, WritesEverythingQueuedAtShutdown) {
    crvtest::ScratchDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (int i = 0; i < 20000; ++i)
            crv::LogText(L"queued " + std::to_wstring(i) + L"\n");
        std::exit(0); // static destructors run: the writer must drain before closing
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    const std::string log = dir.read("debug.txt");
    EXPECT_NE(log.find("queued 0\n"), std::string::npos);
    EXPECT_NE(log.find("queued 19998\nqueued 19999\n"), std::string::npos);
}

} // namespace
