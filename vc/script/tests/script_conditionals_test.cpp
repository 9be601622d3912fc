// The conditional stack: which lines run in if/elseif/else chains, nesting,
// and the errors of misplaced conditionals.
#include "vc/error_codes.h"
#include "vc/tests/support_script.h"

using namespace script_test;

namespace {

struct ConditionalCase {
  const char* name;
  const char* script;
  const char* echoed;  // echo texts joined with ","
};

const ConditionalCase kConditionalCases[] = {
    {"true if", "if 1\necho a\nelse\necho b\nendif\necho c", "a,c"},
    {"false if", "if 0\necho a\nelse\necho b\nendif", "b"},
    {"first true elseif", "if 0\necho a\nelseif 1\necho b\nelseif 1\necho c\nelse\necho d\nendif", "b"},
    {"taken if skips elseif", "if 1\necho a\nelseif 1\necho b\nelse\necho c\nendif", "a"},
    {"all false to else", "if 0\necho a\nelseif 0\necho b\nelse\necho c\nendif", "c"},
    {"no branch, no else", "if 0\necho a\nelseif 0\necho b\nendif\necho z", "z"},
    {"nested in false", "if 0\nif 1\necho a\nelse\necho b\nendif\necho c\nelse\necho d\nendif", "d"},
    {"nested in true", "if 1\nif 0\necho a\nelse\necho b\nendif\necho c\nendif", "b,c"},
    {"elseif in skipped outer", "if 0\nif 0\necho a\nelseif 1\necho b\nendif\nendif", ""},
    {"else in skipped outer", "if 0\nif 0\necho a\nelse\necho b\nendif\nendif\necho c", "c"},
    {"variable compared", "set kind=text\nif kind == \"text\"\necho yes\nendif", "yes"},
    {"undefined is null", "if nosuch\necho a\nelse\necho b\nendif", "b"},
    {"seven levels", "if 1\nif 1\nif 1\nif 1\nif 1\nif 1\nif 1\necho deep\nendif\nendif\nendif\nendif\nendif\nendif\nendif", "deep"},
    {"open if dropped at end", "if 0\necho a", ""},
    {"comment after condition", "if 0 # 1\necho a\nendif", ""},
};

class ConditionalTable : public ScriptTest,
                         public ::testing::WithParamInterface<ConditionalCase> {};

TEST_P(ConditionalTable, RunsTheExpectedLines) {
  EXPECT_EQ(run(GetParam().script), 0);
  std::string joined;
  for (const std::string& t : texts(0)) joined += (joined.empty() ? "" : ",") + t;
  EXPECT_EQ(joined, GetParam().echoed);
  EXPECT_TRUE(texts(2).empty());
}

INSTANTIATE_TEST_SUITE_P(Chains, ConditionalTable, ::testing::ValuesIn(kConditionalCases),
                         [](const auto& param) {
                           std::string n = param.param.name;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

struct ErrorCase {
  const char* script;
  const char* message;
  int line;
};
void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.script; }

const ErrorCase kErrorCases[] = {
    {"if 1\nif 1\nif 1\nif 1\nif 1\nif 1\nif 1\nif 1\necho never", "if nested too deep", 8},
    {"set a=1\nelseif 1", "elseif without if", 2},
    {"else", "else without if", 1},
    {"if 1\nendif\nendif", "endif without if", 3},
    {"if 1 1", "Parser stack overflow", 1},
    {"if (1", "Syntax error", 1},
};

class ConditionalErrors : public ScriptTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ConditionalErrors, ReportedWithLineAndTheRunAnswers28) {
  const std::string path = write("errors.rc", GetParam().script);
  EXPECT_EQ(vcReadConfig(path.c_str()), vc::err::kBadOptionLine);
  ASSERT_EQ(texts(2).size(), 1u);
  EXPECT_EQ(echoes().back(), (Echo{GetParam().message, path, GetParam().line, 2}));
  EXPECT_TRUE(texts(0).empty());
}

INSTANTIATE_TEST_SUITE_P(Misplaced, ConditionalErrors, ::testing::ValuesIn(kErrorCases));


}  // namespace

namespace {

TEST_F(ScriptTest, SkippedBranchAppliesNoOptionAndEvaluatesNothing) {
  queryAnswer() = "1";
  EXPECT_EQ(run("if 0\nskipped=1\nif $query(asked?)\necho x\nendif\nelseif $query(second?)\n"
                "endif\nafter=1"),
            0);
  EXPECT_EQ(value("skipped"), "<none>");
  EXPECT_EQ(value("after"), "1");
  ASSERT_EQ(queryPrompts().size(), 1u);  // only the elseif of the outer level asked
  EXPECT_EQ(queryPrompts()[0], "second?");
}

TEST_F(ScriptTest, BlockInsideFalseIfIsStillDefined) {
  EXPECT_EQ(run("if 0\nblock hidden\necho from hidden\nend\nendif"), 0);
  EXPECT_EQ(vcRunBlock("hidden", 0), 0);
  EXPECT_EQ(texts(0), std::vector<std::string>{"from hidden"});
}

}  // namespace
