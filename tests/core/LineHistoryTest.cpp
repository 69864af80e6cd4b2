#include "core/LineHistory.hpp"

#include "support/EngineSession.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One operation on a history of ints, at a main-script line, in a mode.
struct Step {
    enum Kind { Set, Append, Get, GetNoTrim, EraseFrom } kind;
    int line;           // main parser line while the step runs (or the argument of EraseFrom)
    int value;          // value to set, or value expected from a get
};

struct Case {
    const char* name;
    bool gameMode;
    int gameStartLine;
    std::vector<Step> steps;
    std::vector<int> keysAfter; // keys of the history after the last step
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class LineHistoryTest : public ::testing::TestWithParam<Case> {};

TEST_P(LineHistoryTest, FollowsTheEditorAndGameRules) {
    const Case& c = GetParam();
    crvtest::EngineSession engine;
    engine.vars().gameMode = c.gameMode;
    engine.vars().gameStartLine = c.gameStartLine;
    crv::LineHistory<int> history(-7);
    for (const Step& step : c.steps) {
        if (step.kind != Step::EraseFrom)
            engine.mainParser().setReadLineNo(step.line);
        switch (step.kind) {
        case Step::Set: history.set(step.value, false); break;
        case Step::Append: history.set(step.value, true); break;
        case Step::Get: EXPECT_EQ(history.get(true), step.value) << c.name << " at line " << step.line; break;
        case Step::GetNoTrim: EXPECT_EQ(history.get(false), step.value) << c.name; break;
        case Step::EraseFrom: history.eraseFrom(step.line); break;
        }
    }
    std::vector<int> keys;
    for (const auto& [key, value] : history.entries())
        keys.push_back(key);
    EXPECT_EQ(keys, c.keysAfter) << c.name;
    EXPECT_EQ(history.firstLine(), keys.empty() ? -1 : keys.front()) << c.name;
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    Rules, LineHistoryTest,
    ::testing::Values(
        Case{"empty history reads its default", false, 0, {{S::Get, 5, -7}}, {}},
        Case{"editor records at the current line and replaces that line's entry", false, 0,
             {{S::Set, 10, 1}, {S::Set, 10, 2}, {S::Set, 12, 3}, {S::Get, 12, 3}}, {10, 12}},
        Case{"editor: moving back forgets later lines on a trimming get", false, 0,
             {{S::Set, 10, 1}, {S::Set, 12, 2}, {S::Get, 11, 1}, {S::Get, 12, 1}}, {10}},
        Case{"editor: a non-trimming get keeps later lines", false, 0,
             {{S::Set, 10, 1}, {S::Set, 12, 2}, {S::GetNoTrim, 11, 2}}, {10, 12}},
        Case{"editor: before the first entry the default comes back", false, 0,
             {{S::Set, 10, 1}, {S::Get, 9, -7}}, {}},
        Case{"editor: append behaves like set", false, 0, {{S::Append, 4, 1}, {S::Append, 4, 2}, {S::Get, 4, 2}}, {4}},
        Case{"game: plain sets overwrite the single entry after the start line", true, 20,
             {{S::Set, 30, 1}, {S::Set, 45, 2}, {S::Get, 3, 2}}, {21}},
        Case{"game: appends take consecutive keys after the last", true, 20,
             {{S::Append, 30, 1}, {S::Append, 31, 2}, {S::Append, 99, 3}, {S::Get, 1, 3}}, {21, 22, 23}},
        Case{"game: a trimming get never trims", true, 0, {{S::Set, 50, 1}, {S::Get, 0, 1}}, {1}},
        Case{"eraseFrom removes the line itself and later ones in any mode", true, 0,
             {{S::Append, 0, 1}, {S::Append, 0, 2}, {S::Append, 0, 3}, {S::EraseFrom, 2, 0}, {S::Get, 0, 1}}, {1}},
        Case{"editor: eraseFrom then set at the same line", false, 0,
             {{S::Set, 3, 1}, {S::Set, 8, 2}, {S::EraseFrom, 8, 0}, {S::Set, 8, 5}, {S::Get, 8, 5}}, {3, 8}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

} // namespace
