// vcExpression: the expression language with script variables, parameters
// and text expansion behind it.
#include "vc/error_codes.h"
#include "vc/tests/support_script.h"

using namespace script_test;

namespace {

struct ExpressionCase {
  const char* expression;
  const char* parameters;
  int value;
};
void PrintTo(const ExpressionCase& c, std::ostream* os) {
  *os << c.expression << " [" << c.parameters << "]";
}

// Options for every case: a=x, n=41, p=1, bcc_cfg=turbo.
const ExpressionCase kExpressionCases[] = {
    {"1 == 1", "", 1},
    {"2 < 1", "", 0},
    {"3 + 4", "", 7},
    {"n + 1", "", 411},             // a variable is text: "41" joined with "1"
    {"a + 1 == \"x1\"", "", 1},
    {"-5 < 0", "", 1},
    {"1 || 0 && 0", "", 1},
    {"! 1 == 2", "", 1},
    {"1 == 1 == 1", "", 1},
    {"2 == 2 == 2", "", 0},         // 2 == (2 == 2) compares 2 with the truth 1
    {"! 1 + 1", "", 0},
    {"0 + ! 0", "", 1},
    {"nosuch == 0", "", 1},         // null compares as 0 with numbers
    {"nosuch == nothing", "", 1},   // two nulls are equal
    {"nosuch < nothing", "", 0},
    {"A == 5", "a=5", 1},           // parameters are case-blind and beat options
    {"p", "p=2", 2},
    {"p", "", 1},
    {"$(p) + 0", "p=9", 90},        // "$(p)" expands through the parameters too
    {"$(bcc_cfg) == \"turbo\"", "", 1},
    {"\"b\" > \"a\"", "", 1},
    {"\"10\" < \"9\"", "", 1},      // texts compare byte by byte
    {"$upper(x) == \"X\"", "", 1},
    {"2147483647 + 1 < 0", "", 1},  // 32-bit wrap
};

class ExpressionTable : public ScriptTest, public ::testing::WithParamInterface<ExpressionCase> {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    ASSERT_EQ(vcSetConfig("a=x", nullptr), 0);
    ASSERT_EQ(vcSetConfig("n=41", nullptr), 0);
    ASSERT_EQ(vcSetConfig("p=1", nullptr), 0);
    ASSERT_EQ(vcSetConfig("bcc_cfg=turbo", nullptr), 0);
  }
};

TEST_P(ExpressionTable, ValueIsTheExtraError) {
  ASSERT_EQ(vcExpression(GetParam().expression, GetParam().parameters), 0);
  EXPECT_EQ(vcExtraError(), GetParam().value);
  EXPECT_TRUE(echoes().empty());
}

INSTANTIATE_TEST_SUITE_P(Values, ExpressionTable, ::testing::ValuesIn(kExpressionCases));

struct ErrorCase {
  const char* expression;
  const char* message;
};
void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.expression; }

const ErrorCase kErrors[] = {
    {"1 1", "Parser stack overflow"},
    {"1 -2", "Parser stack overflow"},
    {"(1", "Syntax error"},
    {"1 +", "Syntax error"},
    {"bcc_cfg", "Parser stack overflow"},  // "_" ends the name; "_cfg" is left over
    {"$nosuch()", "unknown operator"},
    {"1234567890123456789012345678901", "Number too big"},
};

class ExpressionErrors : public ScriptTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ExpressionErrors, Answer5WithExtraError0) {
  EXPECT_EQ(vcExpression(GetParam().expression, nullptr), vc::err::kDone);
  EXPECT_EQ(vcExtraError(), 0);
  ASSERT_EQ(echoes().size(), 1u);
  EXPECT_EQ(echoes()[0], (Echo{GetParam().message, "expression", 1, 2}));
}

INSTANTIATE_TEST_SUITE_P(Errors, ExpressionErrors, ::testing::ValuesIn(kErrors));

TEST_F(ScriptTest, ExpressionNeedsAnExpression) { EXPECT_EQ(vcExpression(nullptr, ""), vc::err::kBadArgument); }

}  // namespace
