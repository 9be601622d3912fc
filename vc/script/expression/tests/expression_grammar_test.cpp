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

Expected N(std::int32_t n) { return {Kind::Number, n, {}, {}}; }
Expected T(std::string t) { return {Kind::Text, 0, std::move(t), {}}; }
Expected Null() { return {Kind::Null, 0, {}, {}}; }
Expected Error(std::string e) { return {Kind::Null, 0, {}, std::move(e)}; }

struct Case {
    std::string expression;
    Expected expected;
};

std::string repeat_joined(const std::string& term, const std::string& joint, int count)
{
    std::string out = term;
    for (int i = 1; i < count; ++i)
        out += joint + term;
    return out;
}

std::string nested_parens(int depth)
{
    return std::string(static_cast<std::size_t>(depth), '(') + "1" + std::string(static_cast<std::size_t>(depth), ')');
}

void check_table(const Case* begin, const Case* end)
{
    for (const Case* c = begin; c != end; ++c) {
        SCOPED_TRACE("expression: " + c->expression);
        test::TestEnvironment env;
        env.variables = {{"a", "x"}, {"one", "1"}, {"ten", "10"}, {"empty", ""}, {"Mixed", "m"}};
        if (!c->expected.error.empty()) {
            try {
                evaluate_expression(c->expression, env);
                ADD_FAILURE() << "no error";
            } catch (const ScriptError& e) {
                EXPECT_EQ(std::string(e.what()), c->expected.error);
            }
            continue;
        }
        ExpressionValue value = evaluate_expression(c->expression, env);
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
    {"1 || 0 && 0", N(1)},     // || (1, && (0,0)); (1||0)&&0 would be null
    {"0 && 0 || 2", N(2)},
    {"! 1 == 2", N(1)},        // !(1 == 2)
    {"! 0 + 1", Null()},       // !(0 + 1); (!0)+1 would be 2
    {"! 0 && 0", N(0)},        // (!0) && 0 gives the right side, 0
    {"! 0 || 0", N(1)},
    {"1 + ! 0", N(2)},         // 1 + (!0)
    {"2 + ! 0 < 5", N(2)},     // 2 + !(0 < 5)
    {"1 != 2 == 3", N(1)},     // 1 != (2 == 3)
    {"3 == 3 == 1", Null()},   // 3 == (3 == 1)
    {"1 == 1 == 1", N(1)},
    {"3 < 2 < 1", N(1)},       // (3 < 2) < 1
    {"2 == 2 < 3", Null()},    // 2 == (2 < 3)
    {"5 < 2 + 4", N(1)},       // 5 < (2 + 4); (5<2)+4 would be 4
    {"(1 || 0) && 0", N(0)},
    {"! (0 == 1)", N(1)},
    {"!!7", N(1)},
    {"1 < 2 == 1", N(1)},      // (1 < 2) == 1
};
TEST(ExpressionGrammar, PrecedenceAndGrouping) { check_table(std::begin(kPrecedence), std::end(kPrecedence)); }

const Case kValues[] = {
    {"1 == 1", N(1)},
    {"2 < 1", Null()},
    {"3 + 4", N(7)},
    {"a + 1", T("x1")},
    {"-5 < 0", N(1)},
    {"one == 1", N(1)},          // a variable is a text: "1" against "1"
    {"ten < 9", N(1)},           // texts compare byte by byte: "10" < "9"
    {"10 < 9", Null()},
    {"one == 01", N(1)},         // the number is written in decimal first
    {"a == \"x\"", N(1)},
    {"Mixed == \"M\"", Null()},  // case-sensitive
    {"undefined == missing", N(1)},
    {"undefined <= missing", N(1)},
    {"undefined >= missing", N(1)},
    {"undefined < missing", Null()},
    {"undefined != missing", Null()},
    {"undefined == 0", N(1)},    // number comparison, null as 0
    {"undefined < 1", N(1)},
    {"undefined == \"\"", N(1)}, // text comparison, null as ""
    {"empty == undefined", N(1)},
    {"undefined + 5", N(5)},
    {"a + undefined", T("x")},
    {"undefined + missing", Null()},
    {"5 + \"x\"", T("5x")},
    {"\"a\" + 'b'", T("ab")},
    {"0 || 0", N(0)},
    {"0 || undefined", Null()},
    {"empty || 3", N(3)},
    {"a || 3", T("x")},
    {"0 && 1", Null()},
    {"2 && a", T("x")},
    {"1 & 0", N(0)},
    {"0 | 2", N(2)},
    {"1 = 1", N(1)},
    {"1 <> 2", N(1)},
    {"2 >= 2", N(1)},
    {"1 > 2", Null()},
    {"\"b\" > \"a\"", N(1)},
    {"\"\xe9\" > \"z\"", N(1)},  // bytes compare unsigned
    {"2147483647 + 1", N(-2147483647 - 1)},
    {"4294967297", N(1)},
    {"-2147483648", N(-2147483647 - 1)},
    {"12345678901234567890123456789 == 12345678901234567890123456789", N(1)},
    {"1 # + 2", N(1)},
    {"\t1\t+\t2", N(3)},
    {"$(a) + $$", T("x$")},
    {"$upper(ab) + 1", T("AB1")},
    {"\"a#b\" # the rest is a comment", T("a")},
};
TEST(ExpressionGrammar, ValueRules) { check_table(std::begin(kValues), std::end(kValues)); }

const Case kErrors[] = {  // and the limits just inside them
    {"1 1", Error("Parser stack overflow")},
    {"1 -2", Error("Parser stack overflow")},
    {"1 - 2", Error("Parser stack overflow")},
    {"1 )", Error("Parser stack overflow")},
    {"bcc_cfg", Error("Parser stack overflow")},
    {"1 @ 2", Error("Parser stack overflow")},
    {"(1 1)", Error("Syntax error")},
    {"1 +", Error("Syntax error")},
    {"(1", Error("Syntax error")},
    {")", Error("Syntax error")},
    {"- 2", Error("Syntax error")},
    {"", Error("Syntax error")},
    {"# only a comment", Error("Syntax error")},
    {"1 + + 2", Error("Syntax error")},
    {"!", Error("Syntax error")},
    {"123456789012345678901234567890", Error("Number too big")},
    {"-123456789012345678901234567890", Error("Number too big")},
    {"abcdefghijabcdefghijabcdefghi == 0", N(1)},  // 29 letters: a name
    {"abcdefghijabcdefghijabcdefghij", Error("Name too long")},
    {"$nope", Error("Bad $")},
    {repeat_joined("1", "+", 19), N(19)},
    {repeat_joined("1", "+", 20), Error("no space")},
    {repeat_joined("1", " + ", 40), Error("no space")},
    {repeat_joined("a", " == ", 19), Null()},
    {repeat_joined("a", " == ", 20), Error("no space")},
    {std::string(36, '!') + "0", Null()},  // 36 "!" cells and one number
    {std::string(37, '!') + "0", Error("no space")},
    {nested_parens(100), N(1)},
    {nested_parens(150), N(1)},
    {nested_parens(151), Error("Parser stack overflow")},
    {nested_parens(1000), Error("Parser stack overflow")},
};
TEST(ExpressionGrammar, LimitsAndErrors) { check_table(std::begin(kErrors), std::end(kErrors)); }

TEST(ExpressionEvaluation, StringsAreExpandedOnlyAsTheParserReachesThem)
{
    test::TestEnvironment env;
    EXPECT_THROW(evaluate_expression("1 1 \"later\"", env), ScriptError);
    EXPECT_TRUE(env.expanded_tokens.empty());

    EXPECT_THROW(evaluate_expression("\"first\" + + \"second\"", env), ScriptError);
    EXPECT_EQ(env.expanded_tokens, std::vector<std::string>{"\"first\""});
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
        EXPECT_EQ(evaluate_expression_truth(row.expression, env), row.truth) << row.expression;
        EXPECT_EQ(evaluate_expression_integer(row.expression, env), row.integer) << row.expression;
    }
}

TEST(ExpressionEvaluation, ExpansionErrorsPassThrough)
{
    FunctionExpressionEnvironment env(nullptr, [](std::string_view) -> std::string {
        throw ScriptError("unknown operator");
    });
    try {
        evaluate_expression("1 == $what(x)", env);
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
            evaluate_expression(input, env);
        } catch (const ScriptError&) {
        }
    }
}

}  // namespace
}  // namespace vc
