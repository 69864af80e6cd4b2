#include "core/CrashHandler.hpp"

#include "support/ScratchDir.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(CrashHandler, WritesCrashTxtAndStillEndsWithTheSignal) {
    crvtest::ScratchDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool first = crv::InstallCrashHandler();
        const bool second = crv::InstallCrashHandler();
        if (!first || second)
            _exit(3); // installs once only
        std::raise(SIGSEGV);
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit code " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    const std::string report = dir.read("crash.txt");
    EXPECT_EQ(report.rfind("Corvel has encountered an error\n", 0), 0u) << report;
    EXPECT_NE(report.find("SIGSEGV"), std::string::npos);
    EXPECT_NE(report.find((dir.path() / "debug.txt").string()), std::string::npos);
    EXPECT_NE(report.find("backtrace:"), std::string::npos);
}

} // namespace
