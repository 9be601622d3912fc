// Tests of source scanning: the recognition of include lines in the four
// languages, the golden ".use" file of a mixed fixture tree, the C includes
// against what gcc -MM lists, rescans after a header changed (and not when
// only its bytes did), the resolution rules (angle brackets, badly formed
// names, exclusion, a missing header reported once, targetext) and
// vcAddUsedFiles.
#include "vc/depends/scan_settings.h"
#include "vc/depends/tests/depends_test_support.h"
#include "vc/error_codes.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

namespace err = vc::err;
using namespace dependstest;

TEST(IncludeRecognition, LinesOfEachLanguage) {
  struct Case {
    int language;
    const char* line;
    const char* token;  // null: no include
  };
  const Case cases[] = {
      {vc::kLanguageC, "#include \"a.h\"", "\"a.h\""},
      {vc::kLanguageC, "  #  include <sys/b.h> // note", "<sys/b.h>"},
      {vc::kLanguageC, "#\tinclude\t\"t.h\"", "\"t.h\""},
      {vc::kLanguageC, "#INCLUDE \"a.h\"", nullptr},          // C keeps the case
      {vc::kLanguageC, "#include a.h", nullptr},              // no opening character
      {vc::kLanguageC, "#includ", nullptr},
      {vc::kLanguageC, "#inc", nullptr},                      // shorter than 5
      {vc::kLanguageC, "#include\"a.h\"", nullptr},           // no white space after the keyword
      {vc::kLanguageC, "include \"a.h\"", nullptr},           // the prefix is needed
      {vc::kLanguageC, "#include \"a.h\">", "\"a.h\">"},      // recognised; resolution refuses it
      {vc::kLanguageFortran, "      include 'c.inc'", "'c.inc'"},   // keyword at column 7
      {vc::kLanguageFortran, "      INCLUDE 'c.inc'", "'c.inc'"},
      {vc::kLanguageFortran, "  include 'c.inc'", nullptr},         // column 3, no prefix
      {vc::kLanguageFortran, "\tinclude 'c.inc'", nullptr},         // a tab is column 8
      {vc::kLanguageFortran, "$include 'c.inc'", "'c.inc'"},
      {vc::kLanguageFortran, "  # include \"c.inc\"", "\"c.inc\""},
      {vc::kLanguageFortran, "$include 'c.inc'$", "'c.inc'"},       // the trailing "$" is dropped
      {vc::kLanguageFortran, "C     include 'c.inc'", nullptr},
      {vc::kLanguagePascal, "$INCLUDE 'p.inc'", "'p.inc'"},
      {vc::kLanguagePascal, "#include 'p.inc'#", "'p.inc'"},
      {vc::kLanguagePascal, "include 'p.inc'", nullptr},
      {vc::kLanguageAssembler, "include boot.inc", "boot.inc"},     // a bare name
      {vc::kLanguageAssembler, "\tINCLUDE \"b.inc\"", "\"b.inc\""},
      {vc::kLanguageAssembler, "#include boot.inc", nullptr},       // no prefix characters here
      {vc::kLanguageNone, "#include \"a.h\"", nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> token = vc::includeToken(c.line, c.language);
    if (!c.token)
      EXPECT_FALSE(token) << c.language << " " << c.line << " -> " << token.value_or("");
    else
      EXPECT_EQ(token.value_or("<none>"), c.token) << c.language << " " << c.line;
  }
}

TEST(IncludeRecognition, ExtensionsAndTargetExtensionList) {
  vc::clearScanSettings();
  struct Case {
    const char* name;
    bool known;
    const char* target;
    int language;
  };
  const Case table[] = {
      {"a.c", true, "obj", vc::kLanguageC},     {"a.H", true, "", vc::kLanguageC},
      {"a.CPP", true, "obj", vc::kLanguageC},   {"a.asm", true, "obj", vc::kLanguageAssembler},
      {"a.for", true, "obj", vc::kLanguageFortran}, {"a.p", true, "obj", vc::kLanguagePascal},
      {"a.txt", false, "", vc::kLanguageNone},  {".c", false, "", vc::kLanguageNone},
      {"dir.c/file", false, "", vc::kLanguageNone},
  };
  for (const Case& c : table) {
    const vc::ExtensionInfo info = vc::extensionInfo(c.name);
    EXPECT_EQ(info.known, c.known) << c.name;
    EXPECT_EQ(info.target, c.target) << c.name;
    if (c.known) {
      EXPECT_EQ(info.language, c.language) << c.name;
    }
  }
  vc::scanSettings().targetExt = {"-x", "nodash", "c-obj", "cpp-o"};
  vc::scanSettings().targetExtSet = true;
  EXPECT_EQ(vc::extensionInfo("a.cpp").target, "obj");  // "c" serves "cpp" when it comes first
  EXPECT_EQ(vc::extensionInfo("a.c").target, "obj");
  EXPECT_FALSE(vc::extensionInfo("a.asm").known);
  EXPECT_FALSE(vc::extensionInfo("a.C").known);         // compared exactly
  vc::clearScanSettings();
}

struct SourceScanTest : DependsTest {
  std::vector<std::string> used(const std::string& member) {
    usedNames().clear();
    const int rc = vcEnumUses(h, path(member).c_str(), collectUsed);
    EXPECT_TRUE(rc == 0 || rc == err::kDone) << rc;
    std::vector<std::string> out;
    for (const std::string& n : usedNames()) out.push_back(placeholders(n));
    return out;
  }
  int scan(const std::string& member, int flags = 0) {
    statusTexts().clear();
    return vcFindUses(h, path(member).c_str(), collectStatus, flags);
  }
};

TEST_F(SourceScanTest, MixedTreeScansToTheGoldenCache) {
  put("inc/defs.h", "#define X 1\n");
  put("src/local.h", "#include <defs.h>\n");
  put("src/main.c", "#include \"local.h\"\n#include <defs.h>\r\n#include \"local.h\"\n");
  put("src/common.inc", "      integer n\n");
  put("src/extra.inc", "      real r\n");
  put("src/calc.f", "C     include 'never.inc'\n      include 'common.inc'\n$include 'extra.inc'$\n");
  put("src/pdefs.inc", "const k = 1;\n");
  put("src/unit.pas", "{$I nothing}\n$INCLUDE 'pdefs.inc'\n");
  put("src/boot.inc", "; nothing\n");
  put("src/boot.asm", "\tinclude boot.inc\n");
  openProject({"include=" + path("inc")},
              {"$(projectdir)/src/main.c", "$(projectdir)/src/calc.f", "$(projectdir)/src/unit.pas",
               "$(projectdir)/src/boot.asm"});
  ASSERT_EQ(vcInitUses(h), 0);
  for (const char* m : {"src/main.c", "src/calc.f", "src/unit.pas", "src/boot.asm"}) {
    EXPECT_EQ(scan(m, 1), 0) << m;
    EXPECT_FALSE(statusTexts().empty());
    for (const std::string& t : statusTexts()) EXPECT_EQ(t.rfind("Scanning ", 0), 0u) << t;
  }
  ASSERT_EQ(vcSaveUses(h), 0);
  std::ifstream golden(std::string(VC_TEST_SOURCE_DIR) + "/fixtures/mixed_tree.use");
  std::stringstream want;
  want << golden.rdbuf();
  EXPECT_EQ(placeholders(read("p.use")), want.str());
  EXPECT_EQ(used("src/main.c"), (std::vector<std::string>{"<dir>/inc/defs.h", "<dir>/src/local.h"}));
  // A header included twice by one file gives one link; the included file
  // reaches the header again but lists it only once.
  vcCloseProject(h);
  // Reopened, the cache gives the same lists without a scan (the links
  // come back in reverse order).
  ASSERT_EQ(vcOpenProject(path("p.prj").c_str(), 2, &h, 0), 0);
  EXPECT_EQ(used("src/main.c"), (std::vector<std::string>{"<dir>/src/local.h", "<dir>/inc/defs.h"}));
  EXPECT_EQ(used("src/calc.f"), (std::vector<std::string>{"<dir>/src/common.inc", "<dir>/src/extra.inc"}));
}

// The set of files gcc -MM names for source in dir, made absolute.
std::set<std::string> gccDependencies(const std::string& dir, const std::string& source, const std::string& inc) {
  const std::string command = "cd '" + dir + "' && gcc -MM -I'" + inc + "' '" + source + "' 2>/dev/null";
  std::set<std::string> out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  std::string text;
  char buf[512];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe)) text.append(buf, n);
  if (::pclose(pipe) != 0) return {};
  std::istringstream words(text.substr(text.find(':') + 1));
  std::string word;
  while (words >> word)
    if (word != "\\" && word != source)
      out.insert(std::filesystem::weakly_canonical(std::filesystem::path(dir) / word).string());
  return out;
}

TEST_F(SourceScanTest, CIncludesMatchGcc) {
  if (std::system("gcc --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no gcc";
  put("inc/b.h", "#include \"sub/c.h\"\n");
  put("inc/sub/c.h", "#include \"d.h\"\n");
  put("inc/sub/d.h", "int d;\n");
  put("src/a.h", "#include <b.h>\n#include \"../src/e.h\"\n");
  put("src/e.h", "int e;\n");
  put("src/main.c", "#include \"a.h\"\n#include <sub/d.h>\nint main(void) { return 0; }\n");
  openProject({"include=" + path("inc")}, {"$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(scan("src/main.c"), 0);
  EXPECT_TRUE(statusTexts().empty());
  usedNames().clear();
  ASSERT_EQ(vcEnumUses(h, path("src/main.c").c_str(), collectUsed), 0);
  std::set<std::string> ours;
  for (const std::string& n : usedNames()) ours.insert(std::filesystem::weakly_canonical(n).string());
  const std::set<std::string> gcc = gccDependencies(path("src"), "main.c", path("inc"));
  ASSERT_FALSE(gcc.empty());
  EXPECT_EQ(ours, gcc);
}

TEST_F(SourceScanTest, RescanSeesAChangedHeaderOnlyWhenNewer) {
  put("src/a.h", "int a;\n");
  put("src/new.h", "int n;\n");
  put("src/main.c", "#include \"a.h\"\n");
  openProject({}, {"$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(scan("src/main.c"), 0);
  EXPECT_EQ(used("src/main.c"), (std::vector<std::string>{"<dir>/src/a.h"}));
  // New bytes under the old time: not read again...
  const long old = clock - 3;
  put("src/a.h", "#include \"new.h\"\n");
  struct utimbuf t {old, old};
  ASSERT_EQ(::utime(path("src/a.h").c_str(), &t), 0);
  ASSERT_EQ(scan("src/main.c"), 0);
  EXPECT_EQ(used("src/main.c"), (std::vector<std::string>{"<dir>/src/a.h"}));
  // ...except with flag 2; and a newer time is always read.
  ASSERT_EQ(scan("src/main.c", 2), 0);
  EXPECT_EQ(used("src/main.c"), (std::vector<std::string>{"<dir>/src/a.h", "<dir>/src/new.h"}));
  put("src/new.h", "#include \"a.h\"\n#include \"more.h\"\n");
  put("src/more.h", "\n");
  ASSERT_EQ(scan("src/main.c"), 0);
  EXPECT_EQ(used("src/main.c"),
            (std::vector<std::string>{"<dir>/src/a.h", "<dir>/src/new.h", "<dir>/src/more.h"}));
  // A second scan in the same period reads the changed header again.
  put("src/more.h", "#include \"last.h\"\n");
  put("src/last.h", "\n");
  ASSERT_EQ(scan("src/main.c"), 0);
  EXPECT_EQ(used("src/main.c").size(), 4u);
}

TEST_F(SourceScanTest, ResolutionRules) {
  put("inc/x.h", "int x;\n");
  put("src/x.h", "int localx;\n");
  put("skip/only.h", "int o;\n");
  put("src/main.c",
      "#include <x.h>\n"            // the include path only
      "#include \"x.h\"\n"          // the including file's directory first
      "#include \"bad.h>\n"         // badly formed
      "#include <only.h>\n"         // found only in an excluded directory
      "#include \"missing.h\"\n"    // nowhere
      "#include \"" + path("inc/x.h") + "\"\n");  // absolute
  put("src/other.c", "#include \"missing.h\"\n");
  openProject({"include=" + path("inc") + ";" + path("skip/"), "exclude=" + path("skip") + "/"},
              {"$(projectdir)/src/main.c", "$(projectdir)/src/other.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(scan("src/main.c"), 0);
  std::vector<std::string> texts;
  for (const std::string& t : statusTexts()) texts.push_back(placeholders(t));
  EXPECT_EQ(texts, (std::vector<std::string>{"!Badly formed name: '\"bad.h>', ignored",
                                             "!Cannot open 'missing.h': not on any Include list"}));
  EXPECT_EQ(used("src/main.c"), (std::vector<std::string>{"<dir>/src/x.h", "<dir>/inc/x.h"}));
  // Reported once while the project stays open.
  ASSERT_EQ(scan("src/other.c"), 0);
  EXPECT_TRUE(statusTexts().empty());
  EXPECT_EQ(vcEnumUses(h, path("src/other.c").c_str(), collectUsed), err::kDone);
  EXPECT_EQ(vcEnumUses(h, path("src/other.c").c_str(), nullptr), err::kBadArgument);
  // A stop answer of the callback ends the scan and is the answer.
  vcCloseProject(h);
  openProject({"include=" + path("inc")}, {"$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  EXPECT_EQ(vcFindUses(h, path("src/main.c").c_str(), [](const char*) { return -1; }, 0), -1);
  // Unknown language; an unreadable member file.
  put("src/notes.txt", "");
  vcCloseProject(h);
  openProject({"targetext=c-obj"}, {"$(projectdir)/src/notes.txt", "$(projectdir)/src/k.cpp",
                                     "$(projectdir)/src/k.asm", "$(projectdir)/src/gone.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  put("src/k.cpp", "#include \"x.h\"\n");
  put("src/k.asm", "include x.h\n");
  EXPECT_EQ(scan("src/notes.txt"), err::kNoSourceLanguage);
  EXPECT_EQ(scan("src/k.asm"), err::kNoSourceLanguage);
  EXPECT_EQ(scan("src/k.cpp"), 0);
  EXPECT_EQ(used("src/k.cpp"), (std::vector<std::string>{"<dir>/src/x.h"}));
  EXPECT_EQ(vcFindUses(h, path("src/gone.c").c_str(), nullptr, 0), 0);
  EXPECT_EQ(scan("src/gone.c"), 0);
  ASSERT_EQ(statusTexts().size(), 1u);
  EXPECT_EQ(placeholders(statusTexts()[0]).rfind("!Cannot open '<dir>/src/gone.c': ", 0), 0u);
  // The language in the rules wins over the extension.
  vcCloseProject(h);
  std::string text = "--ORV Project--\n$Revision$\nEndOptions\n$(projectdir)/src/notes.txt f  language=c\n";
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.prj"), text), 0);
  ASSERT_EQ(vcOpenProject(path("p.prj").c_str(), 2, &h, 0), 0);
  EXPECT_EQ(scan("src/notes.txt"), 0);
  EXPECT_EQ(vcFindUses(h + 50, nullptr, nullptr, 0), err::kBadProjectHandle);
}

TEST_F(SourceScanTest, SelfIncludingFilesEndTheScan) {
  put("src/loop.h", "#include \"loop.h\"\n#include \"main.c\"\n");
  put("src/main.c", "#include \"main.c\"\n#include \"loop.h\"\n");
  openProject({}, {"$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  EXPECT_EQ(scan("src/main.c"), 0);
  EXPECT_EQ(used("src/main.c"), (std::vector<std::string>{"<dir>/src/loop.h"}));
  ASSERT_EQ(vcSaveUses(h), 0);
}

int acceptAll(const char* name) {
  usedNames().push_back(name);
  return name[0] == '!' ? 0 : 1;
}
int stopAtFirst(const char*) { return -1; }

TEST_F(SourceScanTest, AddUsedFiles) {
  put("src/a.h", "#include \"b.h\"\n");
  put("src/b.h", "int b;\n");
  put("src/main.c", "#include \"a.h\"\n");
  openProject({}, {"$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(scan("src/main.c"), 0);
  usedNames().clear();
  EXPECT_EQ(vcAddUsedFiles(h, path("src/main.c").c_str(), collectUsed), 0);  // declined
  EXPECT_EQ(usedNames().size(), 1u);  // a declined file is not descended
  EXPECT_EQ(vcAddUsedFiles(h, path("src/main.c").c_str(), collectUsed), 0);  // offered once only
  EXPECT_EQ(usedNames().size(), 1u);
  vcCloseProject(h);

  openProject({}, {"$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(scan("src/main.c"), 0);
  EXPECT_EQ(vcAddUsedFiles(h, path("src/main.c").c_str(), stopAtFirst), err::kDone);
  denied().insert("addmember");
  usedNames().clear();
  EXPECT_EQ(vcAddUsedFiles(h, path("src/main.c").c_str(), acceptAll), 0);
  EXPECT_EQ(usedNames(), (std::vector<std::string>{path("src/a.h"), "!" + path("src/a.h")}));
  vcCloseProject(h);

  denied().clear();
  openProject({}, {"$(projectdir)/src/main.c"});
  ASSERT_EQ(vcInitUses(h), 0);
  ASSERT_EQ(scan("src/main.c"), 0);
  usedNames().clear();
  EXPECT_EQ(vcAddUsedFiles(h, path("src/main.c").c_str(), acceptAll), err::kFilesAdded);
  EXPECT_EQ(usedNames(), (std::vector<std::string>{path("src/a.h"), path("src/b.h")}));
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_NE(read("p.prj").find("$(projectdir)/src/a.h f"), std::string::npos);
  EXPECT_NE(read("p.prj").find("$(projectdir)/src/b.h f"), std::string::npos);
  vcCloseProject(h);

  openProject({"frozen"}, {"$(projectdir)/src/main.c"});
  EXPECT_EQ(vcAddUsedFiles(h, path("src/main.c").c_str(), acceptAll), err::kProjectFrozen);
  vcCloseProject(h);
  openProject({}, {"$(projectdir)/src/main.c"}, 0);
  EXPECT_EQ(vcAddUsedFiles(h, path("src/main.c").c_str(), acceptAll), err::kNotOpenForWrite);
}

}  // namespace
