// The launcher as a user runs it: options, missing novels, a headless run with a screenshot.

#include <gtest/gtest.h>

#include "support/ScratchDir.hpp"

#include <SFML/Graphics/Image.hpp>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int status;
    std::string output; // standard output and standard error together
};

Result run(const std::string& arguments) {
    const std::string command = std::string(CORVEL_LAUNCHER_PATH) + " " + arguments + " 2>&1";
    Result result{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe))
        result.output += buffer.data();
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

TEST(Launcher, HelpVersionAndBadOptions) {
    const Result help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("Usage: corvel [options] NOVEL_DIR"), std::string::npos);
    const Result version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.output.find("0.8.2-t2"), std::string::npos);
    struct Bad {
        const char* arguments;
        const char* says;
    };
    for (const Bad& bad : {Bad{"", "Usage:"}, Bad{"--mode sideways x", "unknown window mode 'sideways'"},
                           Bad{"--width 0 x", "positive whole number"}, Bad{"--frames ten x", "positive whole number"},
                           Bad{"a b", "Usage:"}}) {
        const Result result = run(bad.arguments);
        EXPECT_EQ(result.status, 2) << bad.arguments;
        EXPECT_NE(result.output.find(bad.says), std::string::npos) << bad.arguments << "\n" << result.output;
    }
}

TEST(Launcher, AMissingFolderOrScriptIsAClearError) {
    crvtest::ScratchDir dir;
    const Result noFolder = run((dir.path() / "nowhere").string());
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.output.find("cannot open the novel folder"), std::string::npos) << noFolder.output;

    dir.write("novel/Scripts/other.txt", "x\n");
    const Result noScript = run((dir.path() / "novel").string());
    EXPECT_EQ(noScript.status, 1);
    EXPECT_NE(noScript.output.find("the main script 'Scripts/main.txt' is not in"), std::string::npos) << noScript.output;
}

TEST(Launcher, PlaysHeadlessAndWritesTheLastFrame) {
    crvtest::ScratchDir dir;
    dir.write("novel/Scripts/start.txt", "// nothing yet\n");
    const Result result = run("--frames 20 --width 320 --height 200 --script start.txt --screenshot shot.png " +
                              (dir.path() / "novel").string());
    EXPECT_EQ(result.status, 0) << result.output;
    sf::Image shot;
    ASSERT_TRUE(shot.loadFromFile((dir.path() / "shot.png").string())) << "written relative to where it started";
    EXPECT_EQ(shot.getSize(), sf::Vector2u(320, 200));
    EXPECT_EQ(shot.getPixel(160, 100), sf::Color::Black);
    const std::string log = dir.read("novel/debug.txt");
    EXPECT_NE(log.find("[Parser] CONSTRUCTOR: script opened. filename: \"start.txt\""), std::string::npos) << log;
    EXPECT_NE(log.find("CloseEngine"), std::string::npos);
}

} // namespace
