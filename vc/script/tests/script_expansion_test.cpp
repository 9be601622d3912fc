// Text expansion and its functions, as `echo` sees them.
#include "vc/error_codes.h"
#include "vc/tests/support_script.h"
#include "vc/config/option_state.h"

using namespace script_test;

namespace {

struct ExpansionCase {
  const char* text;
  const char* expanded;
};
void PrintTo(const ExpansionCase& c, std::ostream* os) { *os << c.text; }

// Options defined for every case: base=/home/u, pair=a,b, empty flag "flag",
// enforced "EnforceNostrict".
const ExpansionCase kExpansionCases[] = {
    {"$(base)/src", "/home/u/src"},
    {"[$(nosuch)]", "[]"},
    {"[$(flag)]", "[]"},
    {"$(BASE)", "/home/u"},
    {"cost $$5", "cost $5"},
    {"a$#b", "a#b"},
    {"say $\"hi$\"", "say \"hi\""},
    {"text # comment", "text"},
    {"\"  quoted  \"", "  quoted  "},
    {"'single' rest", "single"},
    {"\"cut # here\"", "cut "},
    {"$upper(abc)", "ABC"},
    {"$lower(AbC)", "abc"},
    {"$upper($(base))", "/HOME/U"},
    {"$upper(f(x)) tail", "F(X) tail"},
    {"$getenv(ORV_SCRIPT_TEST_VALUE)", "from env"},
    {"[$getenv(ORV_SCRIPT_TEST_NOSUCH)]", "[]"},
    {"$filename(/a/b/c.tar.gz)", "c.tar.gz"},
    {"$filename(C:\\dir\\f.c)", "f.c"},
    {"$extension(/a/b/c.tar.gz)", "gz"},
    {"[$extension(/a.b/c)]", "[]"},
    {"$basename(/a/b/c.tar.gz)", "c.tar"},
    {"$basename(/a.b/c)", "c"},
    {"$dir(/a/b/c)", "/a/b"},
    {"$dir(/c)", "/"},
    {"[$dir(rel/c)]", "[]"},
    {"$dir(C:\\x\\y)", "C:\\x"},
    {"$dir(C:\\y)", "C:\\"},
    {"$device(C:\\x)", "C:"},
    {"$device(//server/share/x)", "//server"},
    {"[$device(/x)]", "[]"},
    {"$canon(C:\\Dir\\File.TXT)", "c:/dir/file.txt"},
    {"$absname(/a/./b/../c)", "/a/./b/../c"},  // a rooted name stays as written
    {"$index(abcabc,ca)", "3"},
    {"$index(abc,x)", "0"},
    {"[$index(abc,)]", "[]"},
    {"[$index(a,b,c)]", "[]"},
    {"$index($(pair))", "0"},  // the variable's comma splits the arguments
    {"$replace(a-b-c,-,+)", "a+b+c"},
    {"$replace(aaa,a,)", ""},
    {"[$replace(a,b)]", "[]"},
    {"$substr(abcdef,2,3)", "bcd"},
    {"$substr(abcdef,0,2)", "ab"},
    {"$substr(abcdef,-2)", "ef"},
    {"$substr(abcdef,3,-2)", "cd"},
    {"[$substr(abc,10)]", "[]"},
    {"$substr(abc,-10,2)", "ab"},
    {"$substr(abc,2,99)", "bc"},
    {"[$substr(abc)]", "[]"},
    {"$flags(strict)", "EnforceNo"},
    {"[$flags(base)]", "[]"},
    {"$defined(base)", "base"},
    {"[$defined(nosuch)]", "[]"},
    {"$system(cmd,SW_HIDE)", "0"},
    {"$system(cmd, 3)", "3"},
    {"$system(cmd)", "1"},
    {"$system(cmd,sw_maximize)", "3"},
    {"$system(cmd,SW_NOPE)", "1"},
    {"$system(cmd,bogus)", "1"},
    {"$exists(/)", "/"},
    {"$isdir(/)", "/"},
    {"[$isfile(/)]", "[]"},
    {"$call(nosuch)", "0"},
};

class ExpansionTable : public ScriptTest, public ::testing::WithParamInterface<ExpansionCase> {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    ::setenv("ORV_SCRIPT_TEST_VALUE", "from env", 1);
    ASSERT_EQ(vcSetConfig("base=/home/u", nullptr), 0);
    ASSERT_EQ(vcSetConfig("pair", "a,b"), 0);
    ASSERT_EQ(vcSetConfig("flag", nullptr), 0);
    ASSERT_EQ(vcSetConfig("EnforceNostrict", nullptr), 0);
  }
};

TEST_P(ExpansionTable, EchoesTheExpandedText) {
  EXPECT_EQ(run(std::string("echo ") + GetParam().text), 0);
  EXPECT_EQ(texts(0), std::vector<std::string>{GetParam().expanded});
  EXPECT_TRUE(texts(2).empty()) << texts(2)[0];
}

INSTANTIATE_TEST_SUITE_P(Texts, ExpansionTable, ::testing::ValuesIn(kExpansionCases));

const ExpansionCase kExpansionErrors[] = {
    {"$(9)", "Bad name in ()"},
    {"$()", "Bad name in ()"},
    {"$(ab", "Bad $(<variable>)"},
    {"$(a-b)", "Bad $(<variable>)"},
    {"$%", "Bad $"},
    {"tail $", "Bad $"},
    {"$upper", "Bad $operator"},
    {"$upper x", "Bad $operator"},
    {"$nosuch(x)", "unknown operator"},
    {"$Upper(x)", "unknown operator"},
    {"$upper($(9))", "Bad name in ()"},
};

class ExpansionErrors : public ScriptTest, public ::testing::WithParamInterface<ExpansionCase> {};

TEST_P(ExpansionErrors, AreScriptErrors) {
  EXPECT_EQ(run(std::string("echo ") + GetParam().text), vc::err::kBadOptionLine);
  EXPECT_EQ(texts(2), std::vector<std::string>{GetParam().expanded});
  EXPECT_TRUE(texts(0).empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, ExpansionErrors, ::testing::ValuesIn(kExpansionErrors));

TEST_F(ScriptTest, CurrentDirectoryAndQuestions) {
  queryAnswer() = "Ann";
  EXPECT_EQ(run("echo $cwd()\necho $query(Your name?)!"), 0);
  queryAnswer().clear();
  EXPECT_EQ(run("echo [$query(Again?)]"), 0);
  EXPECT_EQ(texts(0), (std::vector<std::string>{inst().identity.currentDirectory, "Ann!", "[]"}));
  EXPECT_EQ(queryPrompts(), (std::vector<std::string>{"Your name?", "Again?"}));
}

// $absname follows the library's absolute-name rule: leading "./" and "../"
// steps against the current directory (read again at each use), a final "."
// dropped, anything inside the name kept as written.
TEST_F(ScriptTest, AbsoluteNamesAgainstTheCurrentDirectory) {
  vc::seams().currentDirectory = [](std::string& out) {
    out = "/w/x";
    return true;
  };
  EXPECT_EQ(run("echo $absname(./q)\necho $absname(../../../y/./z)\necho $absname(/r/../s)\n"
                "echo $absname(.)"),
            0);
  EXPECT_EQ(texts(0), (std::vector<std::string>{"/w/x/q", "/y/./z", "/r/../s", "/w/x"}));
  EXPECT_TRUE(texts(2).empty());
}

TEST_F(ScriptTest, TextsStopAtTheBufferEnd) {
  // A literal needs four bytes left of the 500, an inserted value two.
  // Block lines are not limited to the 256 characters of a file line.
  optionsOf(inst()).local.blocks.push_back(
      vc::VcBlock{"long", 256, {"echo " + std::string(600, 'x'), "echo $(long)",
                                "echo $(long)$upper(never called? $query(q))"}});
  ASSERT_EQ(vcSetConfig("long", std::string(600, 'v').c_str()), 0);
  EXPECT_EQ(vcRunBlock("long", 0), 0);
  ASSERT_EQ(texts(0).size(), 3u);
  EXPECT_EQ(texts(0)[0], std::string(497, 'x'));
  EXPECT_EQ(texts(0)[1], std::string(499, 'v'));
  EXPECT_EQ(texts(0)[2], std::string(499, 'v'));
  EXPECT_TRUE(queryPrompts().empty());
}

TEST_F(ScriptTest, OptionNamesWithUnderscoreAreReachedThroughExpansion) {
  EXPECT_EQ(run("bcc_cfg=turbo.cfg\nif $(bcc_cfg) == \"turbo.cfg\"\necho found\nendif"), 0);
  EXPECT_EQ(texts(0), std::vector<std::string>{"found"});
}

}  // namespace
