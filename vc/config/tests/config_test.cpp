#include "vc/script/config_file.h"
#include "vc/instance/instance.h"
#include "vc/config/option_lookup.h"
#include "vc/error_codes.h"
#include "vc/tests/support_kel_double.h"
#include "vc/config/option_state.h"
#include "testing/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct ConfigTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-config"};
  const std::string dir = scratch.path();
  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
  }
  void TearDown() override { vcAPIcleanup(); }
  std::string write(const std::string& name, const std::string& text) { return scratch.write(name, text); }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static std::string value(const char* name) {
    char v[600] = {};
    int rc = vcGetConfig(name, nullptr, 0, v, sizeof v);
    return rc == 0 ? v : "<" + std::to_string(rc) + ">";
  }
  static std::string qualifier(const char* name) {
    char q[64] = {};
    int rc = vcGetConfig(name, q, sizeof q, nullptr, 0);
    return rc == 0 ? q : "<" + std::to_string(rc) + ">";
  }
  // Everything a caller can see of the local list, for comparisons.
  static std::string snapshot() {
    vc::VcInstance& inst = *vc::currentInstance();
    std::string out;
    for (const auto& o : optionsOf(inst).local.options)
      out += o.name + "|" + o.value.value_or("<none>") + "|" + std::to_string(o.flags & 0x825) + "\n";
    for (auto kind : {vc::PairKind::WorkToArch, vc::PairKind::WorkMap, vc::PairKind::AutoAction})
      for (const auto& p : optionsOf(inst).local.pairs(kind))
        out += std::string(vc::pairKeyword(kind)) + " " + p.name + "=" + p.value + "\n";
    for (const auto& b : optionsOf(inst).local.blocks) {
      out += "block " + b.name + "\n";
      for (const auto& l : b.lines) out += l + "\n";
    }
    return out;
  }
};

}  // namespace

TEST_F(ConfigTest, FixtureReadsWritesAndReadsBackTheSame) {
  const std::string fixture = std::string(VC_TEST_SOURCE_DIR) + "/fixtures/orvrcs.rc";
  ASSERT_EQ(vcReadConfig(fixture.c_str()), 0);
  EXPECT_EQ(value("logformat"), "%C %u %r \"%f\" $HOME # not a comment");
  EXPECT_EQ(value("rcswork"), "/src/linux/work");
  EXPECT_EQ(qualifier("strictlocks"), "enforcestrictlocks");
  EXPECT_EQ(qualifier("compress"), "nocompress");
  EXPECT_EQ(value("temporaryish"), "1");
  EXPECT_TRUE(vc::optionBool(*vc::currentInstance(), "keywordexpand", false));
  EXPECT_FALSE(vc::optionBool(*vc::currentInstance(), "compress", true));
  vc::VcOptionList& local = vc::optionsOf(*vc::currentInstance()).local;
  ASSERT_NE(local.findPair(vc::PairKind::AutoAction, "checkin"), nullptr);
  EXPECT_EQ(local.findPair(vc::PairKind::AutoAction, "checkin")->value, "mycheckin");
  EXPECT_EQ(local.findPair(vc::PairKind::AutoAction, "checkout")->value, "mycheckout");
  EXPECT_EQ(local.findPair(vc::PairKind::WorkToArch, "/src/proj")->value, "/archive/proj");
  ASSERT_EQ(local.blocks.size(), 2u);
  EXPECT_EQ(local.blocks.front().name, "mycheckin");
  EXPECT_EQ(local.blocks.back().name, "mycheckout");
  EXPECT_EQ(local.blocks.front().lines.size(), 2u);
  const std::string first = snapshot();

  const std::string out = dir + "/ORVRCS.RC";
  ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
  const std::string written = read(out);
  EXPECT_NE(written.find("autoaction checkin=mycheckin\n"), std::string::npos);
  EXPECT_NE(written.find("Enforcestrictlocks\n"), std::string::npos);
  EXPECT_NE(written.find("logformat=%C %u %r $\"%f$\" $$HOME $# not a comment\n"), std::string::npos);
  EXPECT_EQ(written.find("temporaryish"), std::string::npos);  // set by a statement

  vcAPIcleanup();
  ASSERT_EQ(vcAPIinit(), 0);
  ASSERT_EQ(vcReadConfig(out.c_str()), 0);
  // Options are written oldest first, so one write and read gives the same
  // list; the resolved values and the flags are the same too.
  std::string expected;
  std::istringstream lines(first);
  for (std::string l; std::getline(lines, l);)
    if (l.find("temporaryish") == std::string::npos) expected += l + "\n";
  EXPECT_EQ(snapshot(), expected);
  EXPECT_EQ(value("logformat"), "%C %u %r \"%f\" $HOME # not a comment");
  EXPECT_EQ(value("rcswork"), "/src/linux/work");
  EXPECT_EQ(qualifier("strictlocks"), "enforcestrictlocks");
  EXPECT_EQ(qualifier("compress"), "nocompress");
  EXPECT_EQ(value("temporaryish"), "<30>");
  const std::string again = dir + "/again.rc";
  ASSERT_EQ(vcWriteConfig(again.c_str()), 0);
  vcAPIcleanup();
  ASSERT_EQ(vcAPIinit(), 0);
  ASSERT_EQ(vcReadConfig(again.c_str()), 0);
  // A second write and read gives the same list and the same bytes.
  EXPECT_EQ(snapshot(), expected);
  EXPECT_EQ(read(again), written);
}

TEST_F(ConfigTest, WriteReadWriteReadKeepsBytesAndLists) {
  // Each text is read, written, read back and written again: both written
  // texts are the same bytes and both read lists the same, in their order.
  // A text already in the written form is written back as it stands.
  struct Case {
    const char* name;
    const char* text;
    bool writtenForm;
  };
  const Case cases[] = {
      {"options", "alpha=1\nbeta=2\ngamma=3\n", true},
      {"prefixes", "EnforceNostrictlocks\nNocompress\nEnforcerolled=yes\nplain\n", true},
      {"redefined", "a=1\nb=2\na=3\n", false},
      {"escapes", "fmt=%C $\"%f$\" $$HOME $# x\nlead=\"  two\"\n", true},
      {"everything",
       "one=1\nNotwo\nworktoarch /src=/arch\nworktoarch /src/sub=/arch2\n"
       "autoaction checkin=blk\nblock blk\necho in block\nend\n",
       true},
      {"statement names", "set echo=hi\nmiddle=1\nset if1=2\nset end_x\nset done=yes\nlast=z\n", true},
      {"hand written", "# comment\n  spaced=1\nif 1\ninside=2\nendif\nset temp=3\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vcAPIcleanup();
    ASSERT_EQ(vcAPIinit(), 0);
    const std::string source = write("source.rc", c.text);
    ASSERT_EQ(vcReadConfig(source.c_str()), 0);
    const std::string firstList = snapshot();
    const std::string out1 = dir + "/one.rc", out2 = dir + "/two.rc";
    ASSERT_EQ(vcWriteConfig(out1.c_str()), 0);
    vcAPIcleanup();
    ASSERT_EQ(vcAPIinit(), 0);
    ASSERT_EQ(vcReadConfig(out1.c_str()), 0) << read(out1);
    const std::string secondList = snapshot();
    ASSERT_EQ(vcWriteConfig(out2.c_str()), 0);
    EXPECT_EQ(read(out2), read(out1));
    if (c.writtenForm) {
      EXPECT_EQ(read(out1), c.text);
    }
    vcAPIcleanup();
    ASSERT_EQ(vcAPIinit(), 0);
    ASSERT_EQ(vcReadConfig(out2.c_str()), 0);
    EXPECT_EQ(snapshot(), secondList);
    if (c.writtenForm) {
      EXPECT_EQ(secondList, firstList);
    }
  }
}

TEST_F(ConfigTest, StatementNamedOptionsSurviveAndDoNotRun) {
  // Each name, written as a plain option line, would run as a statement:
  // echo, an if with no endif, an end outside a block, done (which would
  // stop the reading), a block that would swallow the lines after it.
  struct Case {
    const char* name;
    const char* value;
    const char* line;
  };
  const Case cases[] = {
      {"echo", "hello", "set echo=hello\n"},     {"if1", "1", "set if1=1\n"},
      {"end_x", "x", "set end_x=x\n"},           {"done", "yes", "set done=yes\n"},
      {"block2", "b", "set block2=b\n"},         {"set", "s", "set set=s\n"},
      {"exit", "3", "set exit=3\n"},             {"endif", "e", "set endif=e\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vcAPIcleanup();
    ASSERT_EQ(vcAPIinit(), 0);
    ASSERT_EQ(vcSetConfig("before", "1"), 0);
    ASSERT_EQ(vcSetConfig(c.name, c.value), 0);
    ASSERT_EQ(vcSetConfig("after", "2"), 0);
    const std::string out = dir + "/statement.rc";
    ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
    const std::string written = read(out);
    EXPECT_EQ(written, std::string("before=1\n") + c.line + "after=2\n");
    // Prefixed, the line begins with another word and needs no "set".
    EXPECT_EQ(vc::optionLineText({c.name, std::nullopt, vc::kOptNo}), std::string("No") + c.name);
    EXPECT_EQ(vc::optionLineText({c.name, std::string("v"), vc::kOptEnforce}),
              std::string("Enforce") + c.name + "=v");

    vcAPIcleanup();
    ASSERT_EQ(vcAPIinit(), 0);
    ASSERT_EQ(vcReadConfig(out.c_str()), 0);
    EXPECT_EQ(value("before"), "1");
    EXPECT_EQ(value(c.name), c.value);
    EXPECT_EQ(value("after"), "2");
    // Still saved: written again as it was.
    const std::string again = dir + "/again.rc";
    ASSERT_EQ(vcWriteConfig(again.c_str()), 0);
    EXPECT_EQ(read(again), written);
  }
}

TEST_F(ConfigTest, SetOfAnOrdinaryNameIsNotSaved) {
  const std::string path = write("set.rc", "set plain=1\nkept=2\n");
  ASSERT_EQ(vcReadConfig(path.c_str()), 0);
  EXPECT_EQ(value("plain"), "1");
  const std::string out = dir + "/out.rc";
  ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
  EXPECT_EQ(read(out), "kept=2\n");
}

TEST_F(ConfigTest, PairsReadBackInTheirOrder) {
  // Two worktoarch roots that both cover /src/sub: the newest pair is tried
  // first, and a written file must read back with the same one first.
  std::string path = write("pairs.rc",
                           "worktoarch /src=/arch/one\n"
                           "worktoarch /src/sub=/arch/two\n"
                           "workmap /a=/b\n"
                           "workmap /c=/d\n");
  ASSERT_EQ(vcReadConfig(path.c_str()), 0);
  const std::string before = snapshot();
  const std::string out = dir + "/written.rc";
  ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
  EXPECT_EQ(read(out),
            "worktoarch /src=/arch/one\n"
            "worktoarch /src/sub=/arch/two\n"
            "workmap /a=/b\n"
            "workmap /c=/d\n");
  vcAPIcleanup();
  ASSERT_EQ(vcAPIinit(), 0);
  ASSERT_EQ(vcReadConfig(out.c_str()), 0);
  EXPECT_EQ(snapshot(), before);
}

TEST_F(ConfigTest, ValuesWithSpecialCharactersRoundTrip) {
  const char* values[] = {"a#b", "$dollar$", "say \"hi\"", "  lead", "'quoted'", "x=y"};
  for (const char* v : values) {
    ASSERT_EQ(vcSetConfig("special", v), 0) << v;
    const std::string out = dir + "/special.rc";
    ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
    ASSERT_EQ(vcDropConfig("special"), 0);
    ASSERT_EQ(vcReadConfig(out.c_str()), 0) << read(out);
    EXPECT_EQ(value("special"), v) << read(out);
  }
}

TEST_F(ConfigTest, LongLineGives27WithItsLineNumber) {
  const std::size_t limit = vc::kMaxConfigLine;
  std::string path = write("long.rc", "a=1\nb=2\n" + std::string(limit + 1, 'x') + "\nc=3\n");
  EXPECT_EQ(vcReadConfig(path.c_str()), vc::err::kBadConfigFileLine);
  EXPECT_EQ(vcExtraError(), 3);
  EXPECT_EQ(value("b"), "2");
  EXPECT_EQ(value("c"), "<30>");
  // A line of the limit is accepted, also with CR LF.
  path = write("edge.rc", "#" + std::string(limit - 1, 'c') + "\r\nv=ok\n");
  EXPECT_EQ(vcReadConfig(path.c_str()), 0);
  EXPECT_EQ(value("v"), "ok");
}

TEST_F(ConfigTest, LinesLongerThan256CharactersReadBackWhole) {
  // A mapping of two long paths and a long list of states, as the
  // configuration sheet writes them.
  const std::string work = "/" + std::string(300, 'w');
  const std::string arch = "/" + std::string(vc::kMaxConfigValue - 1, 'a');
  std::string states;
  for (int i = 0; i < 60; ++i) states += "State" + std::to_string(i) + " ";
  ASSERT_EQ(vcSetConfig("worktoarch", (work + "=" + arch).c_str()), 0);
  ASSERT_EQ(vcSetConfig("states", states.c_str()), 0);
  const std::string out = dir + "/ORVRCS.RC";
  ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
  vcAPIcleanup();
  ASSERT_EQ(vcAPIinit(), 0);
  ASSERT_EQ(vcReadConfig(out.c_str()), 0) << read(out);
  std::string trimmed = states;
  trimmed.pop_back();  // values lose their trailing blanks when read
  EXPECT_EQ(value("states"), trimmed);
  char buffer[2048] = {};
  ASSERT_EQ(vcGetConfigList(VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH, buffer, sizeof buffer), 0);
  EXPECT_EQ(std::string(buffer), "worktoarch " + work + "=" + arch);
}

TEST_F(ConfigTest, WriterRefusesWhatTheReaderCouldNotReadAndKeepsTheOldFile) {
  const std::string out = write("ORVRCS.RC", "keep=me\n");
  // A value longer than the reader gives back, and a line longer than it reads.
  ASSERT_EQ(vcSetConfig("long", std::string(vc::kMaxConfigValue + 1, 'z').c_str()), 0);
  EXPECT_EQ(vcWriteConfig(out.c_str()), vc::err::kBadConfigFileLine);
  ASSERT_EQ(vcDropConfig("long"), 0);
  ASSERT_EQ(vcSetConfig("worktoarch", ("/" + std::string(vc::kMaxConfigLine, 'w') + "=/a").c_str()), 0);
  EXPECT_EQ(vcWriteConfig(out.c_str()), vc::err::kBadConfigFileLine);
  EXPECT_EQ(read(out), "keep=me\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
}

TEST_F(ConfigTest, TheLongestValueRoundTrips) {
  // Escaped characters count once: "$" is written "$$".
  for (char c : {'v', '$'}) {
    const std::string v(vc::kMaxConfigValue, c);
    ASSERT_EQ(vcSetConfig("longest", v.c_str()), 0);
    const std::string out = dir + "/longest.rc";
    ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
    ASSERT_EQ(vcDropConfig("longest"), 0);
    ASSERT_EQ(vcReadConfig(out.c_str()), 0);
    EXPECT_EQ(value("longest"), v);
  }
}

TEST_F(ConfigTest, ReaderStatusesAndDone) {
  EXPECT_EQ(vcReadConfig((dir + "/missing.rc").c_str()), vc::err::kCannotOpenConfig);
  EXPECT_EQ(vcExtraError(), ENOENT);
  EXPECT_EQ(vcReadConfig(nullptr), vc::err::kBadArgument);
  std::string path = write("done.rc", "one=1\ndone\ntwo=2\n");
  EXPECT_EQ(vcReadConfig(path.c_str()), 0);
  EXPECT_EQ(value("one"), "1");
  EXPECT_EQ(value("two"), "<30>");
  path = write("bad.rc", "good=1\n9bad=2\nafter=3\n");
  EXPECT_EQ(vcReadConfig(path.c_str()), vc::err::kBadOptionLine);  // "Illegal variable name"
  EXPECT_EQ(value("after"), "<30>");
  path = write("syntax.rc", "name value\nafter=3\n");
  EXPECT_EQ(vcReadConfig(path.c_str()), 0);  // a bad line is ignored, reading goes on
  EXPECT_EQ(value("after"), "3");
  EXPECT_EQ(value("name"), "<30>");
  path = write("last.rc", "nolf=1");
  EXPECT_EQ(vcReadConfig(path.c_str()), 0);
  EXPECT_EQ(qualifier("lf"), "nolf");
}

TEST_F(ConfigTest, EnforcedGlobalBeatsLocal) {
  vc::VcInstance& inst = *vc::currentInstance();
  vc::setOption(optionsOf(inst).global, "strictlocks", std::nullopt, vc::kOptEnforce);
  vc::setOption(optionsOf(inst).global, "plain", std::string("global"), 0);
  ASSERT_EQ(vcSetConfig("NoStrictLocks", nullptr), 0);
  ASSERT_EQ(vcSetConfig("plain", "local"), 0);
  EXPECT_EQ(qualifier("strictlocks"), "enforcestrictlocks");
  EXPECT_EQ(value("plain"), "local");
}

TEST_F(ConfigTest, GetConfigArguments) {
  ASSERT_EQ(vcSetConfig("EnforceNoThing", nullptr), 0);
  char q[17], v[17];
  EXPECT_EQ(vcGetConfig("thing", q, 16, nullptr, 0), vc::err::kBadArgument);
  EXPECT_EQ(vcGetConfig("thing", nullptr, 0, v, 16), vc::err::kBadArgument);
  EXPECT_EQ(vcGetConfig(nullptr, q, 17, v, 17), vc::err::kBadArgument);
  EXPECT_EQ(vcGetConfig("thing", q, 17, v, 17), 0);
  EXPECT_STREQ(q, "enforcenothing");
  EXPECT_STREQ(v, "");
  EXPECT_EQ(vcGetConfig("ENFORCEnoTHING", q, 17, nullptr, 0), 0);  // prefixes parsed off
  ASSERT_EQ(vcSetConfig("logformat", "0123456789abcdefghij"), 0);
  EXPECT_EQ(vcGetConfig("logformat", nullptr, 0, v, 17), vc::err::kBufferTooSmall);
  EXPECT_STREQ(v, "0123456789abcdef");
  EXPECT_EQ(vcBufferLenQ(), 21);
  EXPECT_EQ(vcGetConfig("nosuch", nullptr, 0, v, 17), vc::err::kUnknownOption);
  unsigned flags = 0;
  EXPECT_EQ(vcGetConfigFlags("nosuch", &flags), vc::err::kUnknownOption);
  EXPECT_EQ(flags, 2u);
  EXPECT_EQ(vcGetConfigFlags("thing", &flags), 0);
  EXPECT_EQ(flags, 0x805u);
}

TEST_F(ConfigTest, SetFlagsDropAndEqualValue) {
  ASSERT_EQ(vcSetConfig("a", "1"), 0);
  EXPECT_EQ(vcExtraError(), 0);
  ASSERT_EQ(vcSetConfig("a", "1"), 0);
  EXPECT_EQ(vcExtraError(), -1);  // equal value: nothing changed
  EXPECT_EQ(vcSetConfigFlags("a", 0xffffffffu), 0);
  unsigned flags = 0;
  vcGetConfigFlags("a", &flags);
  EXPECT_EQ(flags, 0x825u);
  EXPECT_EQ(vcSetConfigFlags("a", 0), vc::err::kOptionEnforced);  // enforced options keep their flags
  ASSERT_EQ(vcSetConfig("b", nullptr), 0);
  EXPECT_EQ(vcSetConfigFlags("b", 0x11), 0);
  vcGetConfigFlags("b", &flags);
  EXPECT_EQ(flags, 0x801u);
  EXPECT_EQ(vcSetConfigFlags("nosuch", 0), vc::err::kUnknownOption);
  EXPECT_EQ(vcDropConfig("b"), 0);
  EXPECT_EQ(vcDropConfig("b"), vc::err::kUnknownOption);
  ASSERT_EQ(vcSetConfig("worktoarch /Src=/arc", nullptr), 0);
  EXPECT_EQ(vcDropConfig("worktoarch /src"), vc::err::kUnknownOption);  // pair names keep their case
  EXPECT_EQ(vcDropConfig("worktoarch /Src"), 0);
  EXPECT_EQ(vcSetConfig("worktoarch", nullptr), vc::err::kBadOptionLine);
}

TEST_F(ConfigTest, NoCompressAndPairs) {
  ASSERT_EQ(vcSetConfig("NoCompress", nullptr), 0);
  EXPECT_EQ(qualifier("compress"), "nocompress");
  EXPECT_FALSE(vc::optionBool(*vc::currentInstance(), "compress", true));
  ASSERT_EQ(vcSetConfig("autoaction checkin=mycheckin", nullptr), 0);
  EXPECT_EQ(value("autoaction"), "<30>");  // a pair, not an option
  std::string out = dir + "/pairs.rc";
  ASSERT_EQ(vcWriteConfig(out.c_str()), 0);
  EXPECT_EQ(read(out), "Nocompress\nautoaction checkin=mycheckin\n");
}

TEST_F(ConfigTest, ListWalks) {
  ASSERT_EQ(vcSetConfig("first", "1"), 0);
  ASSERT_EQ(vcSetConfig("second", nullptr), 0);
  ASSERT_EQ(vcSetConfig("worktoarch /a=/b", nullptr), 0);
  auto walk = [](int firstItem) {
    std::vector<std::string> out;
    char buf[128];
    for (int item = firstItem; vcGetConfigList(item, buf, sizeof buf) == 0; item = firstItem + 1)
      out.push_back(buf);
    return out;
  };
  EXPECT_EQ(walk(128), (std::vector<std::string>{"first=1", "second"}));
  EXPECT_EQ(walk(130), (std::vector<std::string>{"worktoarch /a=/b"}));
  std::vector<std::string> all = walk(120);
  ASSERT_EQ(all.size(), 10u);  // local two, then the eight defaults oldest first
  // The global list was reordered at start-up: the last default is now its oldest entry.
  EXPECT_EQ(all[2], "os=linux");
  EXPECT_EQ(all[9], "textdiff");
  EXPECT_EQ(walk(132).size(), 8u);
  char buf[4];
  EXPECT_EQ(vcGetConfigList(119, buf, sizeof buf), vc::err::kBadArgument);
  EXPECT_EQ(vcGetConfigList(120, buf, 0), vc::err::kBadArgument);
  EXPECT_EQ(vcGetConfigList(120, buf, sizeof buf), vc::err::kBufferTooSmall);
}

TEST_F(ConfigTest, VariablesAndEscapesInValues) {
  ASSERT_EQ(vcSetConfig("base", "/home/u"), 0);
  std::string path = write("vars.rc",
                           "path=$(base)/src\n"
                           "undefined=[$(nosuch)]\n"
                           "quoted=\"  keep $# this  \"\n"
                           "cut=\"a # quoted text ends at a hash too\"\n"
                           "bad=$(9)\n");
  EXPECT_EQ(vcReadConfig(path.c_str()), vc::err::kBadOptionLine);  // "Bad name in ()" on line 5
  EXPECT_EQ(value("path"), "/home/u/src");
  EXPECT_EQ(value("undefined"), "[]");
  EXPECT_EQ(value("quoted"), "  keep # this");  // trailing blanks are always cut
  EXPECT_EQ(value("cut"), "a");
}
