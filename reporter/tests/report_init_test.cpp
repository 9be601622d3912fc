// Starting and ending a report: the library instance that rptInitialize
// starts (and ends again on every failure), the "reports" permission, the
// report types, the base path of the tables and their creation, and what
// rptTerminate keeps.
#include <dlfcn.h>
#include <sys/stat.h>

#include "reporter/tests/report_test_support.h"

namespace {

using namespace reporttest;

// The security-database double, reached through its own handle.
struct KelDouble {
  void* handle = ::dlopen(KEL_DOUBLE_PATH, RTLD_NOW | RTLD_LOCAL);
  ~KelDouble() {
    reinterpret_cast<void (*)()>(::dlsym(handle, "kelDoubleReset"))();
    ::dlclose(handle);
  }
  void refuse(const char* permission) {
    constexpr int kRefused = 22, kNoFlag = 1;  // a "No" entry of the database
    reinterpret_cast<void (*)(const char*, const char*, int, int, const char*)>(
        ::dlsym(handle, "kelDoubleSetAnswer"))("", permission, kRefused, kNoFlag, nullptr);
  }
};

struct InitTest : ReportTest {
  // Initializes on a process without a library instance; the handle.
  rptHandle start(const std::string& base, int type = 0) {
    return rptInitialize(base.c_str(), recordMessage, type, nullptr);
  }
  bool libraryRunning() { return vcGetPerm("reports") != VC_E_BAD_CALLER; }
};

TEST_F(InitTest, StartsTheLibraryAndEndsItWithTheReport) {
  ASSERT_FALSE(libraryRunning());
  rptHandle r = start(path("t"));
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(libraryRunning());
  rptTerminate(1, r);
  EXPECT_FALSE(libraryRunning());
  for (const char* e : kExtensions) EXPECT_TRUE(fs::exists(path("t") + e)) << e;
  EXPECT_TRUE(errors().empty());

  // A library the caller started is the caller's to end.
  ASSERT_EQ(vcAPIinit(), 0);
  r = start(path("t"));
  ASSERT_NE(r, nullptr);
  rptTerminate(0, r);
  EXPECT_TRUE(libraryRunning());
  EXPECT_FALSE(anyTable(path("t")));
}

// Every failure after the library was started here ends it again.
TEST_F(InitTest, RefusalsAndBadArgumentsEndTheLibraryItStarted) {
  struct Case {
    const char* base;
    int type;
    const char* error;
  };
  const std::string tables = path("tables");
  const Case cases[] = {
      {tables.c_str(), 12, "Validating arguments\n Invalid argument"},
      {tables.c_str(), -1, "Validating arguments\n Invalid argument"},
      {"", 0, "Validating arguments\n Invalid argument"},
      {nullptr, 0, "Validating arguments\n Invalid argument"},
  };
  for (const Case& c : cases) {
    calls() = Calls{};
    EXPECT_EQ(rptInitialize(c.base, recordMessage, c.type, nullptr), nullptr) << c.type;
    EXPECT_EQ(errors(), std::vector<std::string>{c.error}) << c.type;
    EXPECT_FALSE(libraryRunning()) << c.type;
  }
  EXPECT_FALSE(anyTable(tables));
}

TEST_F(InitTest, ReportsPermissionRefused) {
  KelDouble kel;
  kel.refuse("reports");
  EXPECT_EQ(start(path("t")), nullptr);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0].rfind("Checking permission to generate reports\n You do not have permission to generate reports", 0),
            0u)
      << errors()[0];
  EXPECT_FALSE(libraryRunning());
  EXPECT_FALSE(anyTable(path("t")));
}

TEST_F(InitTest, LibraryThatCannotStart) {
  ::setenv("ORV_KEL_FAIL", "init", 1);
  EXPECT_EQ(start(path("t")), nullptr);
  ::unsetenv("ORV_KEL_FAIL");
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0].rfind("Initializing\n ", 0), 0u) << errors()[0];
  EXPECT_FALSE(libraryRunning());
}

// The type table: which rows a project report writes. one.prj holds one
// archive and top.prj, whose members only types 6 to 11 walk.
TEST_F(InitTest, ReportTypesChooseTheRows) {
  fs::copy(kFixtures, dir, fs::copy_options::recursive);
  writeFile(path("one.prj"), "--ORV Project--\n$Revision$\nEndOptions\nsub.c a 1.1 archive=arc/sub.v\n"
                             "top.prj i  \n");
  struct Case {
    int type;
    std::size_t projects, archives, symbols, revisions;
  };
  const Case cases[] = {
      {0, 2, 1, 1, 1}, {1, 2, 0, 0, 0}, {2, 2, 1, 0, 0},  {3, 2, 1, 1, 1},  {4, 2, 1, 1, 1},  {5, 2, 1, 1, 1},
      {6, 4, 4, 5, 9}, {7, 4, 0, 0, 0}, {8, 4, 4, 0, 0},  {9, 4, 4, 5, 5},  {10, 4, 4, 5, 9}, {11, 4, 4, 5, 9},
  };
  for (const Case& c : cases) {
    calls() = Calls{};
    const std::string base = path("t" + std::to_string(c.type));
    rptHandle r = rptInitialize(base.c_str(), recordMessage, c.type, givePassword);
    ASSERT_NE(r, nullptr) << c.type;
    EXPECT_EQ(rptProjectReport(path("one.prj").c_str(), 0, r), 1) << c.type;
    EXPECT_EQ(rows(base, ".txp").size(), c.projects) << c.type;
    EXPECT_EQ(rows(base, ".txa").size(), c.archives) << c.type;
    EXPECT_EQ(rows(base, ".txs").size(), c.symbols) << c.type;
    EXPECT_EQ(rows(base, ".txr").size(), c.revisions) << c.type;
    rptTerminate(0, r);
  }
}

// The base path: an extension of its last component goes, a dot elsewhere
// stays; a last component that is empty or only an extension is refused,
// and so is a base longer than 256 characters.
TEST_F(InitTest, BasePathOfTheTables) {
  fs::create_directories(path("rep.d"));
  struct Case {
    std::string base;
    std::string tables;  // "" when refused
  };
  const std::string longest = dir + "/" + std::string(256 - dir.size() - 1, 'n');
  const Case cases[] = {
      {path("rep.d/tables.mdb"), path("rep.d/tables")},
      {path("rep.d/tables"), path("rep.d/tables")},
      {path("rep.d/tables.v1.mdb"), path("rep.d/tables.v1")},
      {dir + "\\rep.d\\back.mdb", path("rep.d/back")},
      {path("rep.d/.mdb"), ""},
      {path("rep.d/"), ""},
      {longest + ".mdb", longest},
      {longest + "n", ""},
  };
  ASSERT_EQ(longest.size(), 256u);
  ASSERT_EQ(vcAPIinit(), 0);
  for (const Case& c : cases) {
    calls() = Calls{};
    rptHandle r = rptInitialize(c.base.c_str(), recordMessage, 0, nullptr);
    if (c.tables.empty()) {
      EXPECT_EQ(r, nullptr) << c.base;
      // The text is cut to 255 characters with its "@".
      EXPECT_EQ(errors(), std::vector<std::string>{(c.base + " \n Invalid argument").substr(0, 254)});
      continue;
    }
    ASSERT_NE(r, nullptr) << c.base;
    EXPECT_TRUE(errors().empty()) << c.base;
    rptTerminate(1, r);
    for (const char* e : kExtensions) {
      EXPECT_TRUE(fs::exists(c.tables + e)) << c.tables << e;
      fs::remove(c.tables + e);
    }
  }
  EXPECT_EQ(scratch.entries(), (std::vector<std::string>{"rep.d", "settings"}));
  EXPECT_TRUE(fs::is_empty(path("rep.d")));
}

// A table that cannot be created: the message names it with the system's
// text, and the tables made before it are removed again.
TEST_F(InitTest, TableThatCannotBeCreated) {
  ASSERT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(rptInitialize(path("none/t").c_str(), recordMessage, 0, nullptr), nullptr);
  EXPECT_EQ(errors(), std::vector<std::string>{"Cannot open data file " + path("none/t.txp") +
                                               "\nNo such file or directory"});

  calls() = Calls{};
  fs::create_directories(path("t.txs"));
  EXPECT_EQ(rptInitialize(path("t").c_str(), recordMessage, 0, nullptr), nullptr);
  EXPECT_EQ(errors(), std::vector<std::string>{"Cannot open data file " + path("t.txs") + "\nIs a directory"});
  EXPECT_EQ(scratch.entries(), (std::vector<std::string>{"settings", "t.txs"}));
}

}  // namespace
