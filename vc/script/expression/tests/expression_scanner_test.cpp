// How far a string token reaches, and the tokens of the operator spellings.
#include <gtest/gtest.h>

#include "vc/script/expression/expression_scanner.h"
#include "vc/script/expression/tests/expression_test_support.h"

namespace vc {
namespace {

TEST(StringTokenLength, OneEscapeOrOneQuotedText)
{
    struct Row {
        const char* text;
        const char* token;
    } rows[] = {
        {"\"abc\" + 1", "\"abc\""},
        {"'a\"b' x", "'a\"b'"},
        {"\"a$\"b\" x", "\"a$\"b\""},          // $" does not close the text
        {"\"a#b\"", "\"a"},                     // "#" ends the text as written
        {"\"a$#b\" x", "\"a$#b\""},             // $# escapes it
        {"\"open", "\"open"},
        {"\"$upper(\")\") x", "\"$upper(\")\""},  // an escape reaches its ")", quotes inside it do not count
        {"$(name) + 1", "$(name)"},
        {"$(name)$(other)", "$(name)"},         // exactly one escape per unquoted token
        {"$$x", "$$"},
        {"$#", "$#"},
        {"$\"", "$\""},
        {"$fn(a,(b),c) == 1", "$fn(a,(b),c)"},
        {"$fn(a$)b) c", "$fn(a$)"},
        {"$fn(x$#y) z", "$fn(x$#y)"},
        {"$fn(a # b)", "$fn(a "},
        {"$fn(unclosed", "$fn(unclosed"},
        {"$name rest", "$name"},
        {"$name_2(x) rest", "$name_2(x)"},
        {"$ x", "$"},
        {"$", "$"},
        {"$1", "$"},
    };
    for (const Row& row : rows) {
        std::string_view text = row.text;
        EXPECT_EQ(text.substr(0, stringTokenLength(text)), std::string_view(row.token)) << row.text;
    }
}

TEST(ExpressionScanner, OperatorSpellings)
{
    struct Row {
        const char* text;
        int code;
    } rows[] = {
        {"==", kTokenEqual},        {"=", kTokenEqual},       {"!=", kTokenNotEqual},
        {"<>", kTokenNotEqual},     {"<=", kTokenLessEqual},  {">=", kTokenGreaterEqual},
        {"&&", kTokenAnd},          {"&", kTokenAnd},         {"||", kTokenOr},
        {"|", kTokenOr},            {"<", '<'},               {">", '>'},
        {"+", '+'},                 {"!", '!'},               {"(", '('},
        {")", ')'},                 {"- 1", '-'},             {"_", '_'},
        {"# comment", kTokenEnd},   {"   ", kTokenEnd},
    };
    for (const Row& row : rows) {
        test::TestEnvironment env;
        ExpressionScanner scanner(row.text, env);
        EXPECT_EQ(scanner.next().code, row.code) << row.text;
    }
}

TEST(ExpressionScanner, NumbersNamesAndTheEnd)
{
    test::TestEnvironment env;
    ExpressionScanner scanner("-12 abc9 7x", env);
    ScannedToken t = scanner.next();
    EXPECT_EQ(t.code, kTokenNumber);
    EXPECT_EQ(t.number, -12);
    t = scanner.next();
    EXPECT_EQ(t.code, kTokenName);
    EXPECT_EQ(t.text, "abc9");
    t = scanner.next();
    EXPECT_EQ(t.code, kTokenNumber);
    EXPECT_EQ(t.number, 7);
    t = scanner.next();
    EXPECT_EQ(t.code, kTokenName);
    EXPECT_EQ(t.text, "x");
    EXPECT_EQ(scanner.next().code, kTokenEnd);
    EXPECT_EQ(scanner.next().code, kTokenEnd);
}

}  // namespace
}  // namespace vc
