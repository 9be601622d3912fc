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
        bool user_digit_first;  // vanillarcs off
        bool user_plain;        // vanillarcs on
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
        EXPECT_EQ(is_user_name(row.text, true), row.user_digit_first) << row.text;
        EXPECT_EQ(is_user_name(row.text, false), row.user_plain) << row.text;
        EXPECT_EQ(is_state(row.text), row.state) << row.text;
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
        EXPECT_EQ(is_revision_number(row.text), row.valid) << row.text;
    }
}

TEST(TokenRules, Labels)
{
    EXPECT_TRUE(is_label("rel_2"));
    EXPECT_TRUE(is_label("_a"));
    EXPECT_FALSE(is_label("2rel"));
    EXPECT_FALSE(is_label("rel-2"));
    EXPECT_FALSE(is_label(""));
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
        EXPECT_EQ(is_config_line(row.text), row.valid) << row.text;
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
        EXPECT_EQ(is_name_format(row.text), row.valid) << row.text;
    }
}

TEST(TokenRules, DisplayDate)
{
    EXPECT_EQ(display_date("99.01.02.03.04.05"), "99/01/02 03:04:05");
    EXPECT_EQ(display_date("2024.01.02.03.04.05"), "2024/01/02 03:04:05");
    EXPECT_EQ(display_date(""), "");
}

}  // namespace
}  // namespace vc
