// The expression grammar: precedence, grouping, the value rules, the limits
// and the error texts, as tables of expression -> value or error.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "vc/script/expression/expression.h"
#include "vc/script/expression/tests/expression_test_support.h"

namespace vc {
namespace {

using Kind = ExpressionValue::Kind;

struct Expected {
    Kind kind;
    std::int32_t number;
    std::string text;
    std::string error;  // non-empty: the script error expected instead
};

Expected n(std::int32_t n) { return {Kind::Number, n, {}, {}}; }
Expected t(std::string t) { return {Kind::Text, 0, std::move(t), {}}; }
Expected null() { return {Kind::Null, 0, {}, {}}; }
Expected error(std::string e) { return {Kind::Null, 0, {}, std::move(e)}; }

struct Case {
    std::string expression;
    Expected expected;
};

std::string repeatJoined(const std::string& term, const std::string& joint, int count)
{
    std::string out = term;
    for (int i = 1; i < count; ++i)
        out += joint + term;
    return out;
}

std::string nestedParens(int depth)
{
    return std::string(static_cast<std::size_t>(depth), '(') + "1" + std::string(static_cast<std::size_t>(depth), ')');
}

void checkTable(const Case* begin, const Case* end)
{
    for (const Case* c = begin; c != end; ++c) {
        SCOPED_TRACE("expression: " + c->expression);
        test::TestEnvironment env;
        env.variables = {{"a", "x"}, {"one", "1"}, {"ten", "10"}, {"empty", ""}, {"Mixed", "m"}};
        if (!c->expected.error.empty()) {
            try {
                evaluateExpression(c->expression, env);
                ADD_FAILURE() << "no error";
            } catch (const ScriptError& e) {
                EXPECT_EQ(std::string(e.what()), c->expected.error);
            }
            continue;
        }
        ExpressionValue value = evaluateExpression(c->expression, env);
        EXPECT_EQ(static_cast<int>(value.kind), static_cast<int>(c->expected.kind));
        if (c->expected.kind == Kind::Number) {
            EXPECT_EQ(value.number, c->expected.number);
        } else if (c->expected.kind == Kind::Text) {
            EXPECT_EQ(value.text, c->expected.text);
        }
    }
}

// Each grouping case is chosen so that the other grouping gives another value.
const Case kPrecedence[] = {
    {"1 || 0 && 0", n(1)},     // || (1, && (0,0)); (1||0)&&0 would be null
    {"0 && 0 || 2", n(2)},
    {"! 1 == 2", n(1)},        // !(1 == 2)
    {"! 0 + 1", null()},       // !(0 + 1); (!0)+1 would be 2
    {"! 0 && 0", n(0)},        // (!0) && 0 gives the right side, 0
    {"! 0 || 0", n(1)},
    {"1 + ! 0", n(2)},         // 1 + (!0)
    {"2 + ! 0 < 5", n(2)},     // 2 + !(0 < 5)
    {"1 != 2 == 3", n(1)},     // 1 != (2 == 3)
    {"3 == 3 == 1", null()},   // 3 == (3 == 1)
    {"1 == 1 == 1", n(1)},
    {"3 < 2 < 1", n(1)},       // (3 < 2) < 1
    {"2 == 2 < 3", null()},    // 2 == (2 < 3)
    {"5 < 2 + 4", n(1)},       // 5 < (2 + 4); (5<2)+4 would be 4
    {"(1 || 0) && 0", n(0)},
    {"! (0 == 1)", n(1)},
    {"!!7", n(1)},
    {"1 < 2 == 1", n(1)},      // (1 < 2) == 1
};
TEST(ExpressionGrammar, PrecedenceAndGrouping) { checkTable(std::begin(kPrecedence), std::end(kPrecedence)); }

const Case kValues[] = {
    {"1 == 1", n(1)},
    {"2 < 1", null()},
    {"3 + 4", n(7)},
    {"a + 1", t("x1")},
    {"-5 < 0", n(1)},
    {"one == 1", n(1)},          // a variable is a text: "1" against "1"
    {"ten < 9", n(1)},           // texts compare byte by byte: "10" < "9"
    {"10 < 9", null()},
    {"one == 01", n(1)},         // the number is written in decimal first
    {"a == \"x\"", n(1)},
    {"Mixed == \"M\"", null()},  // case-sensitive
    {"undefined == missing", n(1)},
    {"undefined <= missing", n(1)},
    {"undefined >= missing", n(1)},
    {"undefined < missing", null()},
    {"undefined != missing", null()},
    {"undefined == 0", n(1)},    // number comparison, null as 0
    {"undefined < 1", n(1)},
    {"undefined == \"\"", n(1)}, // text comparison, null as ""
    {"empty == undefined", n(1)},
    {"undefined + 5", n(5)},
    {"a + undefined", t("x")},
    {"undefined + missing", null()},
    {"5 + \"x\"", t("5x")},
    {"\"a\" + 'b'", t("ab")},
    {"0 || 0", n(0)},
    {"0 || undefined", null()},
    {"empty || 3", n(3)},
    {"a || 3", t("x")},
    {"0 && 1", null()},
    {"2 && a", t("x")},
    {"1 & 0", n(0)},
    {"0 | 2", n(2)},
    {"1 = 1", n(1)},
    {"1 <> 2", n(1)},
    {"2 >= 2", n(1)},
    {"1 > 2", null()},
    {"\"b\" > \"a\"", n(1)},
    {"\"\xe9\" > \"z\"", n(1)},  // bytes compare unsigned
    {"2147483647 + 1", n(-2147483647 - 1)},
    {"4294967297", n(1)},
    {"-2147483648", n(-2147483647 - 1)},
    {"12345678901234567890123456789 == 12345678901234567890123456789", n(1)},
    {"1 # + 2", n(1)},
    {"\t1\t+\t2", n(3)},
    {"$(a) + $$", t("x$")},
    {"$upper(ab) + 1", t("AB1")},
    {"\"a#b\" # the rest is a comment", t("a")},
};
TEST(ExpressionGrammar, ValueRules) { checkTable(std::begin(kValues), std::end(kValues)); }

const Case kErrors[] = {  // and the limits just inside them
    {"1 1", error("Parser stack overflow")},
    {"1 -2", error("Parser stack overflow")},
    {"1 - 2", error("Parser stack overflow")},
    {"1 )", error("Parser stack overflow")},
    {"bcc_cfg", error("Parser stack overflow")},
    {"1 @ 2", error("Parser stack overflow")},
    {"(1 1)", error("Syntax error")},
    {"1 +", error("Syntax error")},
    {"(1", error("Syntax error")},
    {")", error("Syntax error")},
    {"- 2", error("Syntax error")},
    {"", error("Syntax error")},
    {"# only a comment", error("Syntax error")},
    {"1 + + 2", error("Syntax error")},
    {"!", error("Syntax error")},
    {"123456789012345678901234567890", error("Number too big")},
    {"-123456789012345678901234567890", error("Number too big")},
    {"abcdefghijabcdefghijabcdefghi == 0", n(1)},  // 29 letters: a name
    {"abcdefghijabcdefghijabcdefghij", error("Name too long")},
    {"$nope", error("Bad $")},
    {repeatJoined("1", "+", 19), n(19)},
    {repeatJoined("1", "+", 20), error("no space")},
    {repeatJoined("1", " + ", 40), error("no space")},
    {repeatJoined("a", " == ", 19), null()},
    {repeatJoined("a", " == ", 20), error("no space")},
    {std::string(36, '!') + "0", null()},  // 36 "!" cells and one number
    {std::string(37, '!') + "0", error("no space")},
    {nestedParens(100), n(1)},
    {nestedParens(150), n(1)},
    {nestedParens(151), error("Parser stack overflow")},
    {nestedParens(1000), error("Parser stack overflow")},
};
TEST(ExpressionGrammar, LimitsAndErrors) { checkTable(std::begin(kErrors), std::end(kErrors)); }

TEST(ExpressionEvaluation, StringsAreExpandedOnlyAsTheParserReachesThem)
{
    test::TestEnvironment env;
    EXPECT_THROW(evaluateExpression("1 1 \"later\"", env), ScriptError);
    EXPECT_TRUE(env.expandedTokens.empty());

    EXPECT_THROW(evaluateExpression("\"first\" + + \"second\"", env), ScriptError);
    EXPECT_EQ(env.expandedTokens, std::vector<std::string>{"\"first\""});
}

TEST(ExpressionEvaluation, TruthAndIntegerResults)
{
    test::TestEnvironment env;
    env.variables = {{"n", "  42abc"}, {"neg", "-7"}, {"word", "x"}};
    struct Row {
        const char* expression;
        bool truth;
        std::int32_t integer;
    } rows[] = {
        {"n", true, 42},  {"neg", true, -7}, {"word", true, 0}, {"undefined", false, 0},
        {"0", false, 0},  {"\"\"", false, 0}, {"\"0\"", true, 0}, {"3 + 4", true, 7},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(evaluateExpressionTruth(row.expression, env), row.truth) << row.expression;
        EXPECT_EQ(evaluateExpressionInteger(row.expression, env), row.integer) << row.expression;
    }
}

TEST(ExpressionEvaluation, ExpansionErrorsPassThrough)
{
    FunctionExpressionEnvironment env(nullptr, [](std::string_view) -> std::string {
        throw ScriptError("unknown operator");
    });
    try {
        evaluateExpression("1 == $what(x)", env);
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_STREQ(e.what(), "unknown operator");
    }
}

}  // namespace
}  // namespace vc

namespace vc {
namespace {

// Arbitrary input either evaluates or fails with a script error; nothing
// else escapes (the sanitizer build also checks every access).
TEST(ExpressionEvaluation, ArbitraryInputEndsInAValueOrAScriptError)
{
    const std::string alphabet = "01239aZ ()!=<>&|+-\"'$#_\t";
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    test::TestEnvironment env;
    env.variables = {{"a", "x"}, {"Z", "1"}};
    for (int round = 0; round < 3000; ++round) {
        std::string input;
        std::size_t length = next() % 80;
        for (std::size_t i = 0; i < length; ++i)
            input += alphabet[next() % alphabet.size()];
        try {
            evaluateExpression(input, env);
        } catch (const ScriptError&) {
        }
    }
}

}  // namespace
}  // namespace vc
