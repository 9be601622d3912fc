// Tests of vcWriteDepends: makefiles without a marker, with the old marker,
// with old rules to replace; members only against every used file; a header
// reached through a header; wrapping; GNU make reading the result and
// seeing a touched header as out of date; a makefile that cannot be read
// left alone; and the template form.
#include "vc/depends/tests/depends_test_support.h"
#include "vc/error_codes.h"
#include "platform/sys/fault_injection.h"

#include <dirent.h>

#include <cstdlib>
#include <sstream>

namespace {

namespace err = vc::err;
using namespace dependstest;

const std::string kMarker = "### ORV TY generated dependencies follow, do not remove/change this line";
const std::string kOldMarker = "### ORVRCS generated dependencies follow, do not remove/change this line";

// The text with every wrap (" \", a line feed, four blanks) taken out.
std::string unwrapped(std::string text) {
  const std::string wrap = " \\\n    ";
  for (std::size_t at = text.find(wrap); at != std::string::npos; at = text.find(wrap, at)) text.erase(at, wrap.size());
  return text;
}

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> out;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (e->d_name[0] != '.') out.push_back(e->d_name);
    ::closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

struct MakeRulesTest : DependsTest {
  // a.c includes the member a.h and the non-member inc/sys.h; a.h includes
  // the member b.h; notes.txt has no target extension.
  void scanFixture() {
    put("inc/sys.h", "int s;\n");
    put("src/b.h", "int b;\n");
    put("src/a.h", "#include \"b.h\"\n");
    put("src/a.c", "#include \"a.h\"\n#include <sys.h>\n");
    put("src/notes.txt", "");
    openProject({"include=" + path("inc")}, {"$(projectdir)/src/a.c", "$(projectdir)/src/a.h",
                                              "$(projectdir)/src/b.h", "$(projectdir)/src/notes.txt"});
    ASSERT_EQ(vcInitUses(h), 0);
    ASSERT_EQ(vcFindUses(h, path("src/a.c").c_str(), nullptr, 0), 0);
  }
  void setTime(const std::string& name, long when) {
    struct utimbuf t {when, when};
    ASSERT_EQ(::utime(path(name).c_str(), &t), 0);
  }
  int write(const std::string& makefile, int flags, const char* output = nullptr, const char* templ = nullptr) {
    return vcWriteDepends(h, makefile.empty() ? nullptr : path(makefile).c_str(),
                          output ? path(output).c_str() : nullptr, templ ? path(templ).c_str() : nullptr, flags);
  }
};

TEST_F(MakeRulesTest, MarkerCasesAndFlags) {
  scanFixture();
  // No marker: every line kept (a CR before LF dropped), then a line feed,
  // the marker and the rules.
  put("src/Makefile", "all: a.obj\r\n\techo done\n");
  EXPECT_EQ(write("src/Makefile", 0), err::kDone);
  const std::string rules = "a.obj : <dir>/src/a.h <dir>/src/b.h \n\n";
  EXPECT_EQ(placeholders(unwrapped(read("src/Makefile"))),
            "all: a.obj\n\techo done\n\n" + kMarker + "\n" + rules);
  // Written again: the marker is found and the rules replaced, not added.
  EXPECT_EQ(write("src/Makefile", 0), err::kDone);
  EXPECT_EQ(placeholders(unwrapped(read("src/Makefile"))),
            "all: a.obj\n\techo done\n\n" + kMarker + "\n" + rules);
  // The old marker is kept as it stands; flag 1 lists the non-member too,
  // after the header that reached it... in list order: sys.h came last.
  put("src/old.mk", "x=1\n" + kOldMarker + " (old)\nstale : rule\n");
  EXPECT_EQ(write("src/old.mk", 1), err::kDone);
  EXPECT_EQ(placeholders(unwrapped(read("src/old.mk"))),
            "x=1\n" + kOldMarker + " (old)\na.obj : <dir>/inc/sys.h <dir>/src/a.h <dir>/src/b.h \n\n");
  // To another output: the makefile stays; a missing makefile is empty.
  EXPECT_EQ(write("src/none.mk", 0, "src/out.mk"), err::kDone);
  EXPECT_EQ(read("src/none.mk"), "<missing>");
  EXPECT_EQ(placeholders(unwrapped(read("src/out.mk"))), "\n" + kMarker + "\n" + rules);
  // Arguments.
  EXPECT_EQ(vcWriteDepends(h, nullptr, path("x").c_str(), nullptr, 0), err::kBadArgument);
  EXPECT_EQ(vcWriteDepends(h, nullptr, nullptr, path("t").c_str(), 2), err::kBadArgument);
  EXPECT_EQ(vcWriteDepends(h + 7, path("m").c_str(), nullptr, nullptr, 0), err::kBadProjectHandle);
}

TEST_F(MakeRulesTest, NoRuleAnswersZero) {
  put("src/notes.txt", "");
  openProject({}, {"$(projectdir)/src/notes.txt"});
  EXPECT_EQ(write("src/Makefile", 0), 0);
  EXPECT_EQ(read("src/Makefile"), "\n" + kMarker + "\n");
}

TEST_F(MakeRulesTest, LongRulesWrapBeforeColumn70) {
  std::string source;
  std::vector<std::string> members{"$(projectdir)/src/main.c"};
  for (int i = 0; i < 12; ++i) {
    const std::string name = "header_number_" + std::to_string(i) + ".h";
    put("src/" + name, "\n");
    source += "#include \"" + name + "\"\n";
    members.push_back("$(projectdir)/src/" + name);
  }
  put("src/main.c", source);
  openProject({}, members);
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(vcFindUses(h, path("src/main.c").c_str(), nullptr, 0), 0);
  ASSERT_EQ(write("src/Makefile", 0), err::kDone);
  const std::string text = read("src/Makefile");
  const std::string rule = text.substr(text.find(kMarker) + kMarker.size() + 1);
  std::istringstream lines(rule);
  int wraps = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, " \\") == 0) {
      ++wraps;
      line.resize(line.size() - 2);
    }
    // Each line holds whole names and stays short of column 70 unless it
    // holds a single name.
    const bool oneName = line.find(' ', 4) == line.size() - 1;
    EXPECT_TRUE(line.size() < 70 || oneName) << line;
  }
  EXPECT_GT(wraps, 0);
  // Listed newest first, each once.
  std::string expected = "main.obj : ";
  for (int i = 11; i >= 0; --i) expected += path("src/header_number_" + std::to_string(i) + ".h") + " ";
  EXPECT_EQ(unwrapped(rule), expected + "\n\n");
}

TEST_F(MakeRulesTest, GnuMakeSeesATouchedHeader) {
  if (std::system("make --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no make";
  scanFixture();
  put("src/Makefile", "%.obj: %.c\n\tcat $^ > $@\n");
  ASSERT_EQ(write("src/Makefile", 0), err::kDone);
  const std::string make = "make -s -C '" + path("src") + "' ";
  // Times in the past, after every fixture file: the object is up to date.
  const long built = clock + 1000;
  ASSERT_EQ(std::system((make + "a.obj >/dev/null 2>&1").c_str()), 0);
  setTime("src/a.obj", built);
  EXPECT_EQ(std::system((make + "-q a.obj").c_str()), 0);
  setTime("src/b.h", built + 10);  // a member header reached through a.h
  EXPECT_NE(std::system((make + "-q a.obj").c_str()), 0);
  setTime("src/a.obj", built + 20);
  EXPECT_EQ(std::system((make + "-q a.obj").c_str()), 0);
  // sys.h is no member: only flag 1 makes make look at it.
  setTime("inc/sys.h", built + 30);
  EXPECT_EQ(std::system((make + "-q a.obj").c_str()), 0);
  ASSERT_EQ(write("src/Makefile", 1), err::kDone);
  EXPECT_NE(std::system((make + "-q a.obj").c_str()), 0);
}

TEST_F(MakeRulesTest, NamesWithBlanksAndMakeCharactersReadBackByGnuMake) {
  if (std::system("make --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no make";
  // A member with a blank in its name includes a member header with a blank
  // in its folder and name, and a non-member header whose name holds the
  // characters make gives a meaning ("#", ":", "$").
  put("inc/odd#1:$x.h", "int o;\n");
  put("my src/my header.h", "int b;\n");
  put("my src/my file.c", "int main;\n");
  // The dependencies as a scan records them in the cache (the scanner takes
  // no blank in an include name).
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"),
                                     "\"$(projectdir)/my src\"/\"my file.c\" 1 2 3\n"
                                     "!" + path("inc/odd#1:$x.h") + " 5\n"
                                     "!\"$(projectdir)/my src\"/\"my header.h\" 4\n"
                                     "\"$(projectdir)/my src\"/\"my header.h\" 1 2 4\n" +
                                         path("inc/odd#1:$x.h") + " 1 2 5\n"),
            0);
  openProject({}, {"\"$(projectdir)/my src/my file.c\"", "\"$(projectdir)/my src/my header.h\""});
  put("my src/Makefile", "%.obj: %.c\n\tcat '$<' > '$@'\n");
  ASSERT_EQ(write("my src/Makefile", VC_DEPENDS_ALL_FILES), err::kDone);
  const std::string text = read("my src/Makefile");
  EXPECT_NE(text.find("my\\ file.obj : "), std::string::npos) << text;
  EXPECT_NE(text.find("/my\\ src/my\\ header.h "), std::string::npos) << text;
  EXPECT_NE(text.find("/odd\\#1\\:$$x.h "), std::string::npos) << text;
  // make names each prerequisite as the file it is: with -n it would build
  // the object from the two headers; a name it split or cut would be a file
  // that does not exist ("No rule to make target").
  const std::string make = "make -C '" + path("my src") + "' ";
  const std::string log = path("make.log");
  EXPECT_EQ(std::system((make + "-n 'my file.obj' >'" + log + "' 2>&1").c_str()), 0) << read("make.log");
  EXPECT_EQ(std::system((make + "-s 'my file.obj' >'" + log + "' 2>&1").c_str()), 0) << read("make.log");
  // Built: up to date, until one of the headers is newer.
  const long built = clock + 1000;
  setTime("my src/my file.obj", built);
  EXPECT_EQ(std::system((make + "-q 'my file.obj'").c_str()), 0);
  setTime("inc/odd#1:$x.h", built + 10);
  EXPECT_NE(std::system((make + "-q 'my file.obj'").c_str()), 0);
  setTime("my src/my file.obj", built + 20);
  EXPECT_EQ(std::system((make + "-q 'my file.obj'").c_str()), 0);
  setTime("my src/my header.h", built + 30);
  EXPECT_NE(std::system((make + "-q 'my file.obj'").c_str()), 0);
}

TEST_F(MakeRulesTest, LongMakefileLinesAreCopiedWhole) {
  put("src/notes.txt", "");
  openProject({}, {"$(projectdir)/src/notes.txt"});
  // Lines about the old reading limit of 2,047 characters, and far beyond.
  std::string makefile;
  for (std::size_t length : {2046u, 2047u, 2048u, 4095u, 10000u}) {
    std::string line = "V" + std::to_string(length) + "=";
    line.resize(length, 'x');
    makefile += line + "\n";
  }
  put("src/Makefile", makefile + "all:\n");
  EXPECT_EQ(write("src/Makefile", 0), 0);
  EXPECT_EQ(read("src/Makefile"), makefile + "all:\n\n" + kMarker + "\n");
  // And in the CR LF form.
  std::string crlf;
  for (char c : makefile) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  put("src/Makefile", crlf);
  EXPECT_EQ(write("src/Makefile", 0), 0);
  EXPECT_EQ(read("src/Makefile"), makefile + "\n" + kMarker + "\n");
}

TEST_F(MakeRulesTest, UnreadableMakefileIsLeftAlone) {
  scanFixture();
  put("src/Makefile", "keep: me\n");
  const std::vector<std::string> before = filesIn(path("src"));
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::open> refused(EACCES, {.pathContains = "Makefile"});
    EXPECT_EQ(write("src/Makefile", 0), err::kCannotOpenWorkFile);
    EXPECT_EQ(vcExtraError(), EACCES);
  }
  EXPECT_EQ(read("src/Makefile"), "keep: me\n");
  EXPECT_EQ(filesIn(path("src")), before);
  // A rename that fails leaves the makefile and no temporary file either.
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::rename> refused(EIO);
    EXPECT_EQ(write("src/Makefile", 0), err::kRenameFailed);
  }
  EXPECT_EQ(read("src/Makefile"), "keep: me\n");
  EXPECT_EQ(filesIn(path("src")), before);
}

TEST_F(MakeRulesTest, Templates) {
  scanFixture();
  put("part.tpl", "included @cc@\n");
  put("deps.tpl",
      "@set cc=gcc\n"
      "CC=@cc@-c and @cc -c\n"
      "mail@@host\n"
      "[@nosuch ]\n"
      "@if 0\n"
      "hidden\n"
      "@else\n"
      "  shown\n"
      "@endif\n"
      "SRC=@sources(0) after\n"
      "OBJ=@objects\n"
      "HDR=@headers\n"
      "@template " + path("part.tpl") + " ignored\n"
      "@depends " + path("src/a.c") + "\n"
      "@done\n"
      "never\n");
  EXPECT_EQ(write("", 2, "out.mk", "deps.tpl"), err::kScriptDone);
  EXPECT_EQ(placeholders(unwrapped(read("out.mk"))),
            "CC=gcc-c and gcc -c\n"
            "mail@host\n"
            "[ ]\n"
            "  shown\n"
            "SRC= after\n"
            "OBJ=a.obj \n"
            "HDR=<dir>/src/a.h <dir>/src/b.h \n"
            "included gcc\n"
            "a.obj : <dir>/src/a.c <dir>/src/a.h <dir>/src/b.h \n\n");
  // The template's own settings end with it.
  char value[32] = {};
  EXPECT_NE(vcProjectOptionGet(h, "cc", value, sizeof value, nullptr), 0);
  EXPECT_NE(vcGetConfig("cc", nullptr, 0, value, sizeof value), 0);
  // A script error answers 27 and writes nothing; a missing template 207.
  put("bad.tpl", "@template " + path("nothere.tpl") + "\n");
  EXPECT_EQ(write("", 2, "bad.mk", "bad.tpl"), err::kBadConfigFileLine);
  EXPECT_EQ(read("bad.mk"), "<missing>");
  EXPECT_EQ(write("", 2, "bad.mk", "nothere.tpl"), err::kCannotOpenWorkFile);
  // A filter naming a project block; a true filter lists the member.
  put("f.tpl", "S=@sources(1)\n");
  EXPECT_EQ(write("", 2, "f.mk", "f.tpl"), 0);
  EXPECT_EQ(placeholders(read("f.mk")), "S=<dir>/src/a.c \n");
}

}  // namespace
