// Tests of the project and sandbox file forms: recognition, reading, writing
// back byte for byte, the member lines, and a failed write that must leave
// the old file.
#include "vc/project/project_file.h"

#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/fault_injection.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <vector>

namespace {

using vc::VcMember;
using vc::VcProjectFile;
using vc::VcSandboxFile;
namespace err = vc::err;

std::string fixture(const std::string& name) {
  std::string text;
  EXPECT_EQ(orv::sys::readWholeFile(std::string(VC_TEST_SOURCE_DIR) + "/fixtures/" + name, text), 0);
  return text;
}

std::string withCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// One member as "dir|name|kind|revision|rules", "-" for an absent field.
std::string describe(const VcMember& m) {
  return m.directory + "|" + m.name + "|" + m.kind + "|" + m.revision.value_or("-") + "|" +
         m.rules.value_or("-");
}

std::vector<std::string> describeAll(const VcProjectFile& p) {
  std::vector<std::string> out;
  for (const VcMember& m : p.members) out.push_back(describe(m));
  return out;
}

struct ProjectFileTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-project"};
  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
  }
  void TearDown() override { vcAPIcleanup(); }
  vc::VcInstance& inst() { return *vc::currentInstance(); }

  // Reads a project of the given member lines (after an empty option part).
  VcProjectFile readMembers(const std::string& memberLines) {
    VcProjectFile p;
    EXPECT_EQ(vc::readProjectText(inst(), "t.prj",
                                  "--ORV Project--\n$Revision$\nEndOptions\n" + memberLines, p),
              0);
    return p;
  }
};

TEST_F(ProjectFileTest, GoldenProjectReadsAndWritesBackByteForByte) {
  const std::string golden = fixture("golden.prj");
  VcProjectFile p;
  ASSERT_EQ(vc::readProjectText(inst(), "golden.prj", golden, p), 0);

  EXPECT_EQ(p.revision, "1.4");
  EXPECT_EQ(vc::optionValue(p.options, "title"), "say \"hi\" for 100$");
  EXPECT_EQ(vc::optionValue(p.options, "description"), "payroll and ledger");
  ASSERT_NE(p.options.find("strictlocks"), nullptr);
  EXPECT_EQ(p.options.find("strictlocks")->flags, vc::kOptEnforce | vc::kOptNo);
  ASSERT_NE(p.options.findPair(vc::PairKind::WorkToArch, "/src/proj"), nullptr);
  ASSERT_NE(p.options.findBlock("mycheckin"), nullptr);
  EXPECT_EQ(p.options.findBlock("mycheckin")->lines,
            (std::vector<std::string>{"echo checked in", "  echo indented line"}));
  EXPECT_EQ(describeAll(p), (std::vector<std::string>{
                                "|Makefile|f|-|-",
                                "|a b.c|a|1.2|-",
                                "|main.c|a|1.3|frozen",
                                "|quote\"d.h|i|-|-",
                                "my dir|a b.c|a|1.1|-",
                                "my dir|plain.c|s|-|r1=x",
                                "src|util.c|s|1.1.1.1|a=b c,d=\"x y\"",
                            }));

  std::string text;
  ASSERT_EQ(vc::projectText(p, text), 0);
  EXPECT_EQ(text, golden);

  // Through the file as well, and the written file reads back the same.
  const std::string path = scratch.file("golden.prj");
  ASSERT_EQ(vc::writeProjectFile(inst(), path, p), 0);
  EXPECT_EQ(scratch.read("golden.prj"), golden);
}

TEST_F(ProjectFileTest, CrLfProjectReadsLikeTheLfOne) {
  const std::string golden = fixture("golden.prj");
  VcProjectFile lf, crlf;
  ASSERT_EQ(vc::readProjectText(inst(), "lf.prj", golden, lf), 0);
  ASSERT_EQ(vc::readProjectText(inst(), "crlf.prj", withCrLf(golden), crlf), 0);
  EXPECT_EQ(crlf.revision, lf.revision);
  EXPECT_EQ(describeAll(crlf), describeAll(lf));
  std::string text;
  ASSERT_EQ(vc::projectText(crlf, text), 0);
  EXPECT_EQ(text, golden);
}

struct RecogniseCase {
  const char* what;
  std::string text;
  const char* expected;  // expected revision, or null
  int result;
  const char* revision;  // the revision read, or null
};

TEST(ProjectRecognition, FormsAndRevisions) {
  const std::string project = "--ORV Project--\n";
  const RecogniseCase cases[] = {
      {"empty file", "", nullptr, vc::kRecognisedEmpty, nullptr},
      {"sandbox", "--ORV Project--Sandbox--\nmasterproject=/p/a.prj\n", nullptr,
       vc::kRecognisedSandbox, nullptr},
      {"sandbox, revision expected", "--ORV Project--Sandbox--\n", "1.2", vc::kRecognisedSandbox,
       nullptr},
      {"project without revision", project + "$Revision$\nEndOptions\n", nullptr, 0, nullptr},
      {"project with revision", project + "$Revision: 1.2 $\n", nullptr, 0, "1.2"},
      {"expected revision", project + "$Revision: 1.2 $\n", "1.2", 0, "1.2"},
      {"another revision", project + "$Revision: 1.2 $\n", "1.3", err::kProjectRevisionDiffers,
       "1.2"},
      {"no revision, one expected", project + "$Revision$\n", "1.2",
       err::kProjectRevisionDiffers, nullptr},
      {"CR LF lines", "--ORV Project--\r\n$Revision: 2.1 $\r\n", nullptr, 0, "2.1"},
      {"magic followed by more text", "--ORV Project--v2\n$Revision$\n", nullptr, 0, nullptr},
      {"revision without closing blank", project + "$Revision: 1.2$\n", nullptr,
       err::kNotProjectFile, nullptr},
      {"revision line ends after the colon", project + "$Revision:\n", nullptr,
       err::kNotProjectFile, nullptr},
      {"second line missing", project, nullptr, err::kNotProjectFile, nullptr},
      {"no line feed at all", "--ORV Project--", nullptr, err::kNotProjectFile, nullptr},
      {"short sandbox magic", "--ORV Project--Sandbox\n", nullptr, err::kNotProjectFile, nullptr},
      {"second line not a revision line", project + "$Id$\n", nullptr, err::kNotProjectFile,
       nullptr},
      {"other first line", "hello\n$Revision$\n", nullptr, err::kNotProjectFile, nullptr},
      {"empty first line", "\n", nullptr, err::kNotProjectFile, nullptr},
  };
  for (const RecogniseCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string expected = c.expected ? c.expected : "";
    std::optional<std::string> revision = "stale";
    EXPECT_EQ(vc::recognizeProjectText(c.text, c.expected ? &expected : nullptr, &revision),
              c.result);
    if (c.revision)
      EXPECT_EQ(revision, c.revision);
    else
      EXPECT_FALSE(revision);
  }
}

TEST_F(ProjectFileTest, MemberLines) {
  struct Case {
    const char* line;
    const char* member;  // describe() of the member read, or null when skipped
    const char* written;
  };
  const Case cases[] = {
      {"x.c a", "|x.c|a|-|-", "x.c a  "},
      {"x.c a 1.1", "|x.c|a|1.1|-", "x.c a 1.1 "},
      {"x.c a  r=1", "|x.c|a|-|r=1", "x.c a  r=1"},
      {"x.c area 1.1 ", "|x.c|a|1.1|-", "x.c a 1.1 "},
      {"x.c a 1.1 two  blanks ", "|x.c|a|1.1|two  blanks ", "x.c a 1.1 two  blanks "},
      {"x.c a 1.1 \"q,r\"", "|x.c|a|1.1|\"q,r\"", "x.c a 1.1 \"q,r\""},
      {"dir\\sub\\x.c i", "dir/sub|x.c|i|-|-", "dir/sub/x.c i  "},
      {"/x.c s", "/|x.c|s|-|-", "/x.c s  "},
      {"$(projectdir)/src/x.c a", "$(projectdir)/src|x.c|a|-|-", "$(projectdir)/src/x.c a  "},
      {"\"my dir\"/\"a b.c\" a", "my dir|a b.c|a|-|-", "\"my dir\"/\"a b.c\" a  "},
      {"\"my dir/a b.c\" a", "my dir|a b.c|a|-|-", "\"my dir\"/\"a b.c\" a  "},
      {"\"say \"\"hi\"\".c\" a", "|say \"hi\".c|a|-|-", "\"say \"\"hi\"\".c\" a  "},
      {"x.c a \"1 2\"", "|x.c|a|1 2|-", "x.c a \"1 2\" "},
      {"x.c z 1.1", nullptr, nullptr},
      {"x.c A 1.1", nullptr, nullptr},
      {"x.c", nullptr, nullptr},
      {"dir/ a", nullptr, nullptr},
      {"\"\" a", nullptr, nullptr},
      {"", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    VcProjectFile p = readMembers(std::string(c.line) + "\n");
    if (!c.member) {
      EXPECT_TRUE(p.members.empty());
      continue;
    }
    ASSERT_EQ(p.members.size(), 1u);
    EXPECT_EQ(describe(p.members.front()), c.member);
    EXPECT_EQ(vc::memberLine(p.members.front()), c.written);
  }
}

TEST_F(ProjectFileTest, AwkwardNamesWrittenAndReadBack) {
  VcProjectFile p;
  const std::vector<std::pair<std::string, std::string>> names = {
      {"", "a\"b"},           {"", "\""},       {"", "\"\""},          {"", "tab\tname"},
      {"", " lead"},          {"", "trail "},   {"d\"q", "x\"y z"},     {"one two", "\"start"},
      {"$(share)/a b", "c.h"}, {"C:", "w.c"},
  };
  for (const auto& [dir, name] : names) {
    VcMember m;
    m.directory = dir;
    m.name = name;
    m.kind = 's';
    m.revision = "1.2";
    m.rules = "r=\"x, y\"";
    vc::insertMember(p, m);
  }
  std::string text;
  ASSERT_EQ(vc::projectText(p, text), 0);
  VcProjectFile back;
  ASSERT_EQ(vc::readProjectText(inst(), "t.prj", text, back), 0);
  EXPECT_EQ(describeAll(back), describeAll(p));
}

TEST_F(ProjectFileTest, MembersAreKeptInDirectoryThenNameOrder) {
  VcProjectFile p = readMembers(
      "$(projectdir)/lib/b.c a\n$(projectdir)/Src/z.c a\nb.c a\nB.c a\n"
      "$(projectdir)/lib/a.c a\nb.c i\n");
  EXPECT_EQ(describeAll(p), (std::vector<std::string>{
                                "|B.c|a|-|-", "|b.c|a|-|-", "|b.c|i|-|-",
                                "$(projectdir)/Src|z.c|a|-|-", "$(projectdir)/lib|a.c|a|-|-",
                                "$(projectdir)/lib|b.c|a|-|-"}));
}

TEST_F(ProjectFileTest, WriterLeavesOutPolicyAndTemporaryOptionsAndEmptyValues) {
  VcProjectFile p;
  vc::setOption(p.options, "kept", std::string("1"), 0);
  vc::setOption(p.options, "frompolicy", std::string("2"), vc::kOptPolicy);
  vc::setOption(p.options, "scratch", std::string("3"), vc::kOptTemporary);
  vc::setOption(p.options, "emptyvalue", std::string(""), 0);
  vc::setOption(p.options, "flag", std::nullopt, 0);
  std::string text;
  ASSERT_EQ(vc::projectText(p, text), 0);
  EXPECT_EQ(text, "--ORV Project--\n$Revision$\nkept=1\nemptyvalue\nflag\nEndOptions\n");
}

TEST_F(ProjectFileTest, OptionsNamedLikeStatementsStayOptions) {
  const std::string text =
      "--ORV Project--\n$Revision$\nset echo=1\nset end_x\nNoif1\nset exit=2\nEndOptions\n";
  VcProjectFile p;
  ASSERT_EQ(vc::readProjectText(inst(), "t", text, p), 0);
  EXPECT_EQ(vc::optionValue(p.options, "echo"), "1");
  EXPECT_NE(p.options.find("end_x"), nullptr);
  EXPECT_EQ(vc::optionValue(p.options, "exit"), "2");
  std::string written;
  ASSERT_EQ(vc::projectText(p, written), 0);
  EXPECT_EQ(written, text);
}

TEST_F(ProjectFileTest, WriterRefusesWhatWouldNotReadBack) {
  struct Case {
    const char* what;
    void (*change)(VcProjectFile&);
  };
  const Case cases[] = {
      {"line feed in a name", [](VcProjectFile& p) { p.members.front().name = "a\nb"; }},
      {"carriage return in rules", [](VcProjectFile& p) { p.members.front().rules = "r\r"; }},
      {"line feed in a revision", [](VcProjectFile& p) { p.members.front().revision = "1\n2"; }},
      {"empty name", [](VcProjectFile& p) { p.members.front().name.clear(); }},
      {"unknown kind", [](VcProjectFile& p) { p.members.front().kind = 'x'; }},
      {"blank in the project revision", [](VcProjectFile& p) { p.revision = "1 2"; }},
      {"line feed in an option value",
       [](VcProjectFile& p) { vc::setOption(p.options, "v", std::string("a\nb"), 0); }},
      {"block line that ends the options",
       [](VcProjectFile& p) { p.options.blocks.push_back({"b", 256, {"echo x", "EndOptions"}}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VcProjectFile p;
    vc::insertMember(p, VcMember{"", "ok.c", 'a', std::nullopt, std::nullopt, 0});
    c.change(p);
    std::string text = "left over";
    EXPECT_EQ(vc::projectText(p, text), err::kProjectWrite);
    EXPECT_TRUE(text.empty());
    const std::string path = scratch.write("refused.prj", "old\n");
    EXPECT_EQ(vc::writeProjectFile(inst(), path, p), err::kProjectWrite);
    EXPECT_EQ(scratch.read("refused.prj"), "old\n");
  }
}

TEST_F(ProjectFileTest, ReaderRefusesOtherFormsAndScriptErrors) {
  VcProjectFile p;
  EXPECT_EQ(vc::readProjectText(inst(), "s", "--ORV Project--Sandbox--\nmasterproject=a\n", p),
            err::kNotProjectFile);
  EXPECT_EQ(vc::readProjectText(inst(), "e", "", p), err::kNotProjectFile);
  EXPECT_EQ(vc::readProjectText(inst(), "x", "--ORV Project--\n$Revision: 1$\n", p),
            err::kNotProjectFile);
  EXPECT_EQ(vc::readProjectText(inst(), "bad",
                                "--ORV Project--\n$Revision$\nok=1\n9lives=2\nEndOptions\n", p),
            err::kBadOptionLine);
  EXPECT_EQ(inst().extraError, 4);  // the line number
  // A project file may not start programs.
  EXPECT_EQ(vc::readProjectText(inst(), "exec",
                                "--ORV Project--\n$Revision$\nexec true\nEndOptions\n", p),
            err::kBadOptionLine);
}

TEST_F(ProjectFileTest, ProjectWithoutEndOptionsIsRefused) {
  // Its option part never ended: it was cut there, and whatever members it
  // had are not in this copy. Read as a project without members, a save
  // would lose them for good.
  VcProjectFile p;
  EXPECT_EQ(vc::readProjectText(inst(), "t", "--ORV Project--\n$Revision$\na=1\nx.c a\n", p),
            err::kUnexpectedEof);
  EXPECT_TRUE(p.members.empty());
  // Inside a block, without the line feed that ends every written line.
  EXPECT_EQ(vc::readProjectText(inst(), "t", "--ORV Project--\n$Revision$\nblock b\necho x\nEndOptions\n", p),
            err::kUnexpectedEof);
  EXPECT_EQ(vc::readProjectText(inst(), "t", "--ORV Project--\n$Revision$\nEndOptions\nx.c a 1.", p),
            err::kUnexpectedEof);
  VcSandboxFile s;
  EXPECT_EQ(vc::readSandboxText(inst(), "s", "--ORV Project--Sandbox--\nmasterproject=/p.prj\nblock b\n", s),
            err::kUnexpectedEof);
  EXPECT_EQ(vc::readSandboxText(inst(), "s", "--ORV Project--Sandbox--\nmasterproject=/p.p", s),
            err::kUnexpectedEof);
}

TEST_F(ProjectFileTest, SandboxFiles) {
  const std::string text =
      "--ORV Project--Sandbox--\nmasterproject=/proj/main.prj\nrevision=1.3\nfrozen\n";
  VcSandboxFile s;
  ASSERT_EQ(vc::readSandboxText(inst(), "s.sbx", text, s), 0);
  EXPECT_EQ(vc::optionValue(s.options, "masterproject"), "/proj/main.prj");
  EXPECT_EQ(vc::optionValue(s.options, "revision"), "1.3");
  EXPECT_NE(s.options.find("frozen"), nullptr);
  std::string written;
  ASSERT_EQ(vc::sandboxText(s, written), 0);
  EXPECT_EQ(written, text);
  ASSERT_EQ(vc::readSandboxText(inst(), "s.sbx", withCrLf(text), s), 0);
  EXPECT_EQ(vc::optionValue(s.options, "masterproject"), "/proj/main.prj");

  const std::string path = scratch.file("s.sbx");
  ASSERT_EQ(vc::writeSandboxFile(inst(), path, s), 0);
  EXPECT_EQ(scratch.read("s.sbx"), text);

  // Without masterproject: read, but refused; and never written.
  EXPECT_EQ(vc::readSandboxText(inst(), "s.sbx", "--ORV Project--Sandbox--\nrevision=1.3\n", s),
            err::kNoMasterProject);
  EXPECT_EQ(vc::optionValue(s.options, "revision"), "1.3");
  EXPECT_EQ(vc::sandboxText(s, written), err::kNoMasterProject);
  EXPECT_EQ(vc::writeSandboxFile(inst(), path, s), err::kNoMasterProject);
  EXPECT_EQ(scratch.read("s.sbx"), text);

  // A project file or an empty file is not a sandbox.
  EXPECT_EQ(vc::readSandboxText(inst(), "p", "--ORV Project--\n$Revision$\nEndOptions\n", s),
            err::kNotSandboxFile);
  EXPECT_EQ(vc::readSandboxText(inst(), "e", "", s), err::kNotSandboxFile);
}

TEST_F(ProjectFileTest, FailedWriteLeavesTheOldProjectFile) {
  const std::string old = fixture("golden.prj");
  VcProjectFile p;
  vc::insertMember(p, VcMember{"", "new.c", 'a', std::string("1.1"), std::nullopt, 0});
  struct Case {
    const char* what;
    std::function<int()> write;
  };
  const std::string path = scratch.write("main.prj", old);
  auto attempt = [&] { return vc::writeProjectFile(inst(), path, p); };
  const Case cases[] = {
      {"write fails",
       [&] {
         orv::sys::ScopedFault<&orv::sys::SystemCalls::write> f(ENOSPC);
         return attempt();
       }},
      {"sync fails",
       [&] {
         orv::sys::ScopedFault<&orv::sys::SystemCalls::fsync> f(EIO);
         return attempt();
       }},
      {"rename fails",
       [&] {
         orv::sys::ScopedFault<&orv::sys::SystemCalls::rename> f(EXDEV);
         return attempt();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.write(), err::kProjectWrite);
    EXPECT_NE(inst().extraError, 0);
    EXPECT_EQ(scratch.read("main.prj"), old);
    EXPECT_EQ(scratch.entries(), std::vector<std::string>{"main.prj"});
  }
  ASSERT_EQ(attempt(), 0);
  EXPECT_EQ(scratch.read("main.prj"), "--ORV Project--\n$Revision$\nEndOptions\nnew.c a 1.1 \n");
}

}  // namespace
