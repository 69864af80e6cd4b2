#include "ScriptTestKit.hpp"

#include <gtest/gtest.h>

#include <climits>

using crv::NHelper::isNumber;
using crv::NHelper::splitWords;
using crv::NHelper::toInt32;

TEST(NHelperTest, SplitsAtEveryKindOfWhiteSpaceAndNeverYieldsEmptyWords) {
    EXPECT_EQ(splitWords(L"  bg\tforest.png \r\n"), (crv::Tokens{L"bg", L"forest.png"}));
    EXPECT_EQ(splitWords(L"a,b\vc\fd"), (crv::Tokens{L"a,b", L"c", L"d"}));
    EXPECT_TRUE(splitWords(L" \t\r ").empty());
    EXPECT_TRUE(splitWords(L"").empty());
}

TEST(NHelperTest, NumberCheckFollowsTheSignRule) {
    struct Case {
        const wchar_t* token;
        bool allowSign;
        bool expected;
    };
    const Case cases[] = {
        {L"7", false, true},      {L"0042", false, true}, {L"", false, true},    {L"-", true, false},
        {L"+", true, false},      {L"-5", true, true},    {L"-5", false, false}, {L"+05", true, true},
        {L"5-", true, false},     {L"1.5", true, false},  {L"abc", true, false}, {L"--5", true, false},
        {L"\u0663", true, false}, // an Arabic-Indic three is not a decimal digit here
    };
    for (const Case& c : cases)
        EXPECT_EQ(isNumber(c.token, c.allowSign), c.expected) << "token '" << crv::toNarrow(c.token) << "'";
    EXPECT_TRUE(isNumber(crv::Tokens{L"1", L"+2", L""}, true));
    EXPECT_FALSE(isNumber(crv::Tokens{L"1", L"x", L"2"}, true));
}

TEST(NHelperTest, ConversionRefusesTextAndNumbersBeyond32Bits) {
    int out = 99;
    EXPECT_TRUE(toInt32(L"2147483647", out));
    EXPECT_EQ(out, INT_MAX);
    EXPECT_TRUE(toInt32(L"-2147483648", out));
    EXPECT_EQ(out, INT_MIN);
    EXPECT_TRUE(toInt32(L"+05", out));
    EXPECT_EQ(out, 5);
    out = 99;
    for (const wchar_t* bad :
         {L"2147483648", L"-2147483649", L"99999999999999999999999", L"", L"-", L"1e3", L"12a"}) {
        EXPECT_FALSE(toInt32(bad, out)) << crv::toNarrow(bad);
        EXPECT_EQ(out, 99);
    }
}

TEST(NHelperTest, WarnsOncePerMainScriptLine) {
    crvtest::EngineSession session(crvtest::scriptOptions(L"a\nb\n"));
    crv::NHelper::resetNumberWarning();
    EXPECT_FALSE(isNumber(L"x", true));
    EXPECT_FALSE(isNumber(L"y", true));
    session.mainParser().setReadLineNo(2);
    EXPECT_FALSE(isNumber(L"z", true));
    EXPECT_EQ(crvtest::countOf(session.log(), "WARNING. TOKEN NOT A NUMBER"), 2);
}
