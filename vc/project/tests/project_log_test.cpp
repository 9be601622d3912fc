// Tests of the project transaction log (its name and its records under a
// fixed clock) and of the split of member rules.
#include "vc/project/project_log.h"
#include "vc/project/rule_split.h"

#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/fault_injection.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

using vc::VcLogEntry;
using vc::VcLogHeader;

std::int64_t fixedNow() { return 1700000000; }  // 2023/11/14 22:13:20 UTC
std::int64_t laterNow() { return 1700000065; }

TEST(ProjectLogName, ExtensionReplacedOrAppended) {
  const std::pair<const char*, const char*> cases[] = {
      {"main.prj", "main.trn"},
      {"/work/proj/main.prj", "/work/proj/main.trn"},
      {"main", "main.trn"},
      {"/work/v1.2/main", "/work/v1.2/main.trn"},
      {"C:\\v1.2\\main", "C:\\v1.2\\main.trn"},
      {"a.b.prj", "a.b.trn"},
      {"main.", "main.trn"},
      {".project", ".project.trn"},
      {"/work/.project", "/work/.project.trn"},
      {"/work/.project.prj", "/work/.project.trn"},
      {"main.trn", "main.trn"},
  };
  for (const auto& [project, log] : cases) EXPECT_EQ(vc::projectLogName(project), log) << project;
}

struct ProjectLogTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-projlog"};
  std::string savedTz;
  bool hadTz = false;
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) {
      hadTz = true;
      savedTz = tz;
    }
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    vc::seams().now = fixedNow;
  }
  void TearDown() override {
    vcAPIcleanup();
    vc::resetSeams();
    if (hadTz)
      ::setenv("TZ", savedTz.c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  vc::VcInstance& inst() { return *vc::currentInstance(); }
};

TEST_F(ProjectLogTest, EachAppendAddsOneRecordInOneWrite) {
  const std::string log = scratch.file("main.trn");
  VcLogHeader header{"/work/main.prj", std::string("1.4"), "ann", std::nullopt};
  const std::vector<VcLogEntry> first = {{"src/a.c", std::string("add 1.1")},
                                         {"set", std::string("compress")},
                                         {"checkpointed, new revision", std::nullopt}};
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::write> count(EIO, {.after = 100});
    ASSERT_EQ(vc::appendProjectLog(inst(), log, header, first), 0);
    EXPECT_EQ(count.matchingCalls(), 1);
  }
  vc::seams().now = laterNow;
  header.revision.reset();
  ASSERT_EQ(vc::appendProjectLog(inst(), log, header, {{"src/b.c", std::string("drop")}}), 0);
  EXPECT_EQ(scratch.read("main.trn"),
            "+/work/main.prj 2023/11/14 22:13:20 revision 1.4 by ann\n"
            "src/a.c add 1.1\n"
            "set compress\n"
            "checkpointed, new revision\n"
            "+/work/main.prj 2023/11/14 22:14:25 revision null by ann\n"
            "src/b.c drop\n");
}

TEST_F(ProjectLogTest, VariantSandboxHeaderAndNothingForNoEntries) {
  const std::string log = scratch.file("v.trn");
  const VcLogHeader header{"/work/main.prj", std::string("1.2.1.3"), "bo",
                           std::string("/home/bo/v.sbx")};
  ASSERT_EQ(vc::appendProjectLog(inst(), log, header, {}), 0);
  EXPECT_TRUE(scratch.entries().empty());
  ASSERT_EQ(vc::appendProjectLog(inst(), log, header, {{"x", std::nullopt}}), 0);
  EXPECT_EQ(scratch.read("v.trn"),
            "+/work/main.prj 2023/11/14 22:13:20 revision 1.2.1.3 by bo from variant sandbox "
            "/home/bo/v.sbx\nx\n");
}

TEST_F(ProjectLogTest, LogThatCannotBeOpenedOrWritten) {
  const std::string log = scratch.file("main.trn");
  const VcLogHeader header{"/work/main.prj", std::nullopt, "ann", std::nullopt};
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::open> f(EACCES, {.pathContains = ".trn"});
    EXPECT_EQ(vc::appendProjectLog(inst(), log, header, {{"x", std::nullopt}}),
              vc::err::kProjectLogWrite);
    EXPECT_EQ(inst().extraError, EACCES);
  }
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::write> f(ENOSPC);
    EXPECT_EQ(vc::appendProjectLog(inst(), log, header, {{"x", std::nullopt}}),
              vc::err::kProjectLogWrite);
    EXPECT_EQ(inst().extraError, ENOSPC);
  }
}

TEST(RuleSplit, FieldsNamesAndValues) {
  struct Case {
    const char* text;
    int maxCount;
    std::vector<std::string> fields;  // "name=value", or "name" without value
  };
  const Case cases[] = {
      {"", 8, {}},
      {"frozen", 8, {"frozen"}},
      {"a=b c,d=\"x y\",frozen", 8, {"a=b c", "d=x y", "frozen"}},
      {"a=1,b=2,c=3", 2, {"a=1", "b=2"}},
      {"a=1", 0, {}},
      {"v=\"x,y=z\",w", 8, {"v=x,y=z", "w"}},
      {"\"a=b\"=c", 8, {"a=b=c"}},  // the name holds "=": shown joined
      {"q=\"say \"\"hi\"\"\"", 8, {"q=say \"hi\""}},
      {"e=,=f", 8, {"e=", "=f"}},
      {"a,,b,", 8, {"a", "", "b", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string text = c.text;
    std::vector<char*> names(8, nullptr), values(8, nullptr);
    const int n = vcRuleSplit(text.data(), names.data(), values.data(), c.maxCount);
    ASSERT_EQ(n, static_cast<int>(c.fields.size()));
    for (int i = 0; i < n; ++i) {
      std::string got = names[i];
      if (values[i]) got += std::string("=") + values[i];
      EXPECT_EQ(got, c.fields[i]);
    }
  }
  // The name of a quoted "=" stays whole.
  std::string text = "\"a=b\"=c";
  char* name = nullptr;
  char* value = nullptr;
  ASSERT_EQ(vcRuleSplit(text.data(), &name, &value, 1), 1);
  EXPECT_STREQ(name, "a=b");
  EXPECT_STREQ(value, "c");
  // Values are optional, a missing value is null, bad arguments give none.
  text = "k,l=m";
  char* names[2] = {};
  ASSERT_EQ(vcRuleSplit(text.data(), names, nullptr, 2), 2);
  EXPECT_STREQ(names[1], "l");
  char* onlyValues[2] = {};
  text = "k,l=m";
  ASSERT_EQ(vcRuleSplit(text.data(), names, onlyValues, 2), 2);
  EXPECT_EQ(onlyValues[0], nullptr);
  EXPECT_STREQ(onlyValues[1], "m");
  EXPECT_EQ(vcRuleSplit(nullptr, names, onlyValues, 2), 0);
  EXPECT_EQ(vcRuleSplit(text.data(), nullptr, onlyValues, 2), 0);
}

}  // namespace
