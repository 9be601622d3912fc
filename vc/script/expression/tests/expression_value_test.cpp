// Reading texts as integers, and the parameter text of vcExpression.
#include <gtest/gtest.h>

#include "vc/script/expression/expression.h"

namespace vc {
namespace {

TEST(TextToInteger, FollowsAtoiRulesAndWraps)
{
    struct Row {
        const char* text;
        std::int32_t value;
    } rows[] = {
        {"", 0},          {"12", 12},         {"  \t-34x", -34}, {"+5", 5},
        {"x5", 0},        {"- 5", 0},         {"007", 7},        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},      {"4294967296", 0}, {"-2147483648", -2147483647 - 1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(textToInteger(row.text), row.value) << row.text;
}

TEST(ExpressionParameters, NamesWithoutCaseFirstMatchWins)
{
    struct Row {
        const char* parameters;
        const char* name;
        std::optional<std::string> value;
    } rows[] = {
        {"a=1,b=2", "b", "2"},
        {"Name=x", "nAME", "x"},
        {"a=1,a=2", "a", "1"},
        {"a=", "a", ""},
        {"noequals,a=3", "noequals", std::nullopt},
        {" spaced =v", "spaced", "v"},
        {"a=1", "ab", std::nullopt},
        {"", "a", std::nullopt},
        {"path=c:/x=y,z=1", "path", "c:/x=y"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(findExpressionParameter(row.parameters, row.name), row.value) << row.parameters;
}

TEST(ExpressionParameters, AsAnEnvironment)
{
    std::string parameters = "Rev=1.2,count=3";
    FunctionExpressionEnvironment env(
        [&](std::string_view name) { return findExpressionParameter(parameters, name); },
        [](std::string_view token) { return std::string(token.substr(1, token.size() - 2)); });
    EXPECT_EQ(evaluateExpressionInteger("count + 1", env), 31);  // a text joined with 1
    EXPECT_TRUE(evaluateExpressionTruth("REV == \"1.2\"", env));
    EXPECT_FALSE(evaluateExpressionTruth("other", env));
}

}  // namespace
}  // namespace vc
