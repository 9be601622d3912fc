// The name rules and the shown date form that the library proper and the
// keyword library share.
#include <gtest/gtest.h>

#include "vc/tokens/token_rules.h"

namespace vc {
namespace {

TEST(TokenRules, UserNamesAndStates)
{
    struct Row {
        const char* text;
        bool userDigitFirst;  // vanillarcs off
        bool userPlain;        // vanillarcs on
        bool state;
    } rows[] = {
        {"bob", true, true, true},
        {"_x.y-z", true, true, true},
        {"9bob", true, false, false},
        {"", false, false, false},
        {"b;b", false, false, false},
        {"b:b", false, false, false},
        {"b@b", false, false, false},
        {"b,b", false, false, false},
        {"b b", false, false, false},
        {"b\x7f", false, false, false},
        {"b\xc3\xa9", false, false, false},
        {"-b", false, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(isUserName(row.text, true), row.userDigitFirst) << row.text;
        EXPECT_EQ(isUserName(row.text, false), row.userPlain) << row.text;
        EXPECT_EQ(isState(row.text), row.state) << row.text;
    }
}

TEST(TokenRules, RevisionNumbers)
{
    struct Row {
        const char* text;
        bool valid;
    } rows[] = {
        {"1.1", true}, {"0.1", true}, {"1.2.3.4", true}, {"10.20", true},
        {"1", false}, {"", false}, {"1.", false}, {".1", false}, {"1..2", false},
        {"01.1", false}, {"1.01", false}, {"1.x", false}, {"1.2 ", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(isRevisionNumber(row.text), row.valid) << row.text;
    }
}

TEST(TokenRules, Labels)
{
    EXPECT_TRUE(isLabel("rel_2"));
    EXPECT_TRUE(isLabel("_a"));
    EXPECT_FALSE(isLabel("2rel"));
    EXPECT_FALSE(isLabel("rel-2"));
    EXPECT_FALSE(isLabel(""));
}

TEST(TokenRules, ConfigLines)
{
    struct Row {
        const char* text;
        bool valid;
    } rows[] = {
        {"compress = 12", true},
        {"  \tnocompress", true},
        {"option_2 # comment $ here", true},
        {"WorkMap = *.c > rcs/", true},
        {"workmap *.c", false},        // a pair option needs its '='
        {"autoactionx = 1", true},     // starts like a pair option: only the '=' counts
        {"bad-option = 1", false},     // '-' before the '='
        {"9lives", false},
        {"", false},
        {"   ", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(isConfigLine(row.text), row.valid) << row.text;
    }
}

TEST(TokenRules, NameFormats)
{
    struct Row {
        const char* text;
        bool valid;
    } rows[] = {
        {"", true}, {"plain", true}, {"%v/%d/%f", true}, {"%x", false}, {"end%", false}, {"%%", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(isNameFormat(row.text), row.valid) << row.text;
    }
}

TEST(TokenRules, DisplayDate)
{
    EXPECT_EQ(displayDate("99.01.02.03.04.05"), "99/01/02 03:04:05");
    EXPECT_EQ(displayDate("2024.01.02.03.04.05"), "2024/01/02 03:04:05");
    EXPECT_EQ(displayDate(""), "");
}

}  // namespace
}  // namespace vc
