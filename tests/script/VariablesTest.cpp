#include "ScriptTestKit.hpp"

#include "script/Variables.hpp"

#include <gtest/gtest.h>

#include <pugixml.hpp>

using crv::Services;
using crvtest::EngineSession;
using crvtest::executed;
using crvtest::Probe;
using crvtest::runLine;
using crvtest::scriptOptions;

namespace {
std::wstring& var(const wchar_t* name) {
    return Services::SysVars()->variables[name];
}
} // namespace

TEST(VariablesTest, AssignmentAndArithmetic) {
    EngineSession session(scriptOptions(L"", true));
    struct Step {
        const wchar_t* line;
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Step steps[] = {
        {L"var a = 5", L"a", L"5"},           {L"var a += 2", L"a", L"7"},
        {L"var a /= 2", L"a", L"3"},          {L"var a -= 10", L"a", L"-7"},
        {L"var a /= 2", L"a", L"-3"}, // truncates toward zero
        {L"var a *= -4", L"a", L"12"},        {L"var b = a", L"b", L"12"},
        {L"var a += b", L"a", L"24"},         {L"var c = 'a quoted   text'", L"c", L"a quoted text"},
        {L"var d = +05", L"d", L"+05"}, // a literal is stored as written
        {L"var d += 0", L"d", L"5"},    // arithmetic normalises
        {L"var e = ''", L"e", L""},           {L"var f = '", L"f", L""},
        {L"var g = 'it''s'", L"g", L"it''s"},
    };
    for (const Step& s : steps) {
        runLine(s.line);
        EXPECT_EQ(var(s.name), s.expected) << crv::toNarrow(s.line);
    }
}

TEST(VariablesTest, FailuresLeaveTheVariableUnchanged) {
    EngineSession session(scriptOptions(L"", true));
    var(L"a") = L"10";
    var(L"big") = L"2147483647";
    var(L"text") = L"hello";
    const wchar_t* lines[] = {
        L"var a /= 0",          L"var a = nothere",     L"var a += nothere", L"var a %= 2",
        L"var a = 99999999999", L"var a += 3000000000", L"var a += text",    L"var text += 1",
    };
    for (const wchar_t* line : lines) {
        runLine(line);
        EXPECT_EQ(var(L"a"), L"10") << crv::toNarrow(line);
    }
    runLine(L"var big += 1");
    EXPECT_EQ(var(L"big"), L"2147483647");
    var(L"min") = L"-2147483648";
    runLine(L"var min /= -1");
    EXPECT_EQ(var(L"min"), L"-2147483648");
    runLine(L"var missing += 1");
    EXPECT_EQ(Services::SysVars()->variables.count(L"missing"), 0u);
    const std::string log = session.log();
    EXPECT_NE(log.find("DIVISION BY ZERO"), std::string::npos);
    EXPECT_NE(log.find("[getVariableValue] ERROR: value:'nothere' DOES NOT EXIST"), std::string::npos);
    EXPECT_NE(log.find("[CmdHandlers::ExecuteVar] ERROR: calculation:'%=' DOES NOT EXIST"),
              std::string::npos);
    EXPECT_NE(log.find("IS BEYOND 32 BITS"), std::string::npos);
    EXPECT_NE(log.find("RESULT BEYOND 32 BITS"), std::string::npos);
    EXPECT_NE(log.find("IS NOT A 32-BIT NUMBER"), std::string::npos);
}

TEST(VariablesTest, EditorModeChangesNothing) {
    EngineSession session(scriptOptions(L"var a = 1\nif a == 1 here end\nbookmark end\n"));
    session.mainParser().ReadScript(-1);
    EXPECT_TRUE(session.vars().variables.empty());
    EXPECT_EQ(session.mainParser().getReadLineNo(), 3);
}

TEST(VariablesTest, IfJumpsToBookmarksAndContinuesWhenFalse) {
    const std::wstring text = L"var n = 2\n"                      // 1
                              L"if n == 2 here two\n"             // 2
                              L"bg skipped\n"                     // 3
                              L"bookmark two\n"                   // 4
                              L"if n > 5 here big\n"              // 5: false, 6 tokens: go on
                              L"bg after5\n"                      // 6
                              L"if n < 0 here big x here small\n" // 7: false, else part
                              L"bookmark big\n"                   // 8
                              L"bg big\n"                         // 9
                              L"bookmark small\n"                 // 10
                              L"if n >= 2 here nowhere\n"         // 11: true but missing: go on after the if
                              L"if zz == 1 here big x\n" // 12: 7 tokens, missing variable: false, go on
                              L"if zz != 1 here last\n"  // 13: missing variable with != : true
                              L"bg notreached\n"         // 14
                              L"bookmark last\n"         // 15
                              L"if n ~~ 2 here big\n"    // 16: unknown operator
                              L"bg end\n";               // 17
    EngineSession session(scriptOptions(text, true));
    Probe probe(crv::CMD_BG);
    session.mainParser().setParserState(crv::PARSE_CONT);
    session.mainParser().ReadScript(-1);
    std::vector<std::wstring> seen;
    for (const auto& e : executed())
        seen.push_back(e.tokens[1] + L"@" + std::to_wstring(e.line));
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"after5@6", L"end@17"}));
    const std::string log = session.log();
    EXPECT_NE(log.find("[CmdHandlers::ExecuteVarIf] condition false: continue cur script."),
              std::string::npos);
    EXPECT_NE(log.find("[CmdHandlers::ExecuteVarIf] ERROR: condition:'~~' DOES NOT EXIST"),
              std::string::npos);
}

TEST(VariablesTest, IfCanEnterAnotherScript) {
    auto files = [](crvtest::ScratchDir& dir) {
        dir.write("Scripts/two.txt", "bg t1\nbookmark in\nbg t3\n");
    };
    EngineSession session(scriptOptions(L"var k = 1\nif k == 1 two.txt in\nbg main3\n", true, files));
    Probe probe(crv::CMD_BG);
    session.mainParser().setParserState(crv::PARSE_CONT);
    session.mainParser().ReadScript(-1);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].script, L"two.txt");
    EXPECT_EQ(executed()[0].tokens[1], L"t3");
}

TEST(VariablesTest, FalseIfInATriggerContinuesTheScript) {
    EngineSession session(scriptOptions(L"bg 1\nbg 2\n", true));
    Probe probe(crv::CMD_BG);
    session.mainParser().ReadScript(1); // stops after line 1
    executed().clear();
    runLine(L"if nothing == 1 here x", true);
    EXPECT_EQ(crvtest::executedLines(), (std::vector<int>{2}));
}

TEST(VariablesTest, ReferencesExpandVariablesAndScriptVariables) {
    EngineSession session(scriptOptions(L"bookmark entry _who\n", true));
    session.mainParser().GotoBookmark(L"entry");
    session.mainParser().PushScriptVarNames({L"'Bea'"});
    var(L"x") = L"42";
    var(L"*g") = L"global";
    struct Case {
        const wchar_t* token;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"{{x}}", L"42"},
        {L"a{{x}}b", L"42"},           // a variable replaces the whole token
        {L"hi_{{_who}}!", L"hi_Bea!"}, // a script variable only the reference
        {L"{{_who}}{{_who}}", L"BeaBea"},
        {L"{{*g}}", L"global"},
        {L"{{_nobody}}", L"{{_nobody}}"},
        {L"}}{{x", L"}}{{x"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(crv::ExpandVariables(c.token), c.expected) << crv::toNarrow(c.token);
}

TEST(VariablesTest, SelfReferencingScriptVariableDoesNotGrowForever) {
    EngineSession session(scriptOptions(L"bookmark entry _a\n", true));
    session.mainParser().GotoBookmark(L"entry");
    session.mainParser().PushScriptVarNames({L"{{_a}}{{_a}}"});
    const std::wstring result = crv::ExpandVariables(L"{{_a}}");
    EXPECT_LT(result.size(), 10000u);
    EXPECT_NE(session.log().find("too many references"), std::string::npos);
}

TEST(VariablesTest, GlobalVariablesSurviveTheSession) {
    crvtest::ScratchDir keep; // shared by both sessions: global0.xml lives here
    const std::filesystem::path dir = keep.path();
    auto into = [dir](crvtest::ScratchDir& scratch) {
        std::filesystem::copy_file(dir / "SaveData/global0.xml", scratch.path() / "SaveData/global0.xml");
    };
    {
        EngineSession first(scriptOptions(L"", true));
        runLine(L"var local = 1");
        EXPECT_FALSE(std::filesystem::exists("SaveData/global0.xml")); // only globals write the file
        runLine(L"var *score = 10");
        runLine(L"var *score += 5");
        runLine(L"var *name = 'Ann Lee'");
        runLine(L"var * = 3"); // one character: not global
        ASSERT_TRUE(std::filesystem::exists("SaveData/global0.xml"));
        EXPECT_FALSE(std::filesystem::exists("SaveData/global0.xml.tmp"));
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file("SaveData/global0.xml"));
        std::vector<std::string> names;
        for (auto node : doc.child("GlobalVars").children("var"))
            names.push_back(std::string(node.attribute("var_name").value()) + "=" +
                            node.attribute("var_val").value());
        EXPECT_EQ(names, (std::vector<std::string>{"*name=Ann Lee", "*score=15"}));
        EXPECT_NE(first.dir().read("SaveData/global0.xml").find("<?xml"), std::string::npos);
        EXPECT_NE(first.dir().read("SaveData/global0.xml").find("\n\t<var"), std::string::npos);
        std::filesystem::create_directories(dir / "SaveData");
        std::filesystem::copy_file("SaveData/global0.xml", dir / "SaveData/global0.xml");
    }
    auto prepare = [into](crvtest::ScratchDir& scratch) {
        std::filesystem::create_directories(scratch.path() / "SaveData");
        into(scratch);
    };
    EngineSession second(scriptOptions(L"", true, prepare));
    EXPECT_EQ(second.vars().variables[L"*score"], L"15");
    EXPECT_EQ(second.vars().variables[L"*name"], L"Ann Lee");
    EXPECT_EQ(second.vars().variables.count(L"local"), 0u);
}

TEST(VariablesTest, MalformedGlobalFileIsLoggedAndIgnored) {
    auto prepare = [](crvtest::ScratchDir& dir) {
        dir.write("SaveData/global0.xml", "<GlobalVars><var var_name=");
    };
    EngineSession session(scriptOptions(L"", true, prepare));
    EXPECT_TRUE(session.vars().variables.empty());
    EXPECT_NE(session.log().find("WARNING. (LoadGlobalVariables) global0.xml could not be read"),
              std::string::npos);
}
