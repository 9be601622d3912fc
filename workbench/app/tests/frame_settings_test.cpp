// Recent files, frame placement and user-tool hints.
#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "workbench/app/frame_placement.h"
#include "workbench/app/recent_files.h"

namespace orv::workbench::app {
namespace {

std::vector<std::string> paths(const RecentFiles& r) {
  std::vector<std::string> out;
  for (const auto& e : r.entries()) out.push_back(e.path);
  return out;
}

TEST(RecentFiles, OrderAndLimit) {
  RecentFiles r;
  for (int i = 1; i <= 9; ++i) r.add("/f" + std::to_string(i), 2);
  EXPECT_EQ(paths(r), (std::vector<std::string>{"/f9", "/f8", "/f7", "/f6", "/f5", "/f4", "/f3", "/f2"}));
  r.add("/F7", 2);  // found without case: moved up, spelling kept
  EXPECT_EQ(paths(r), (std::vector<std::string>{"/f7", "/f9", "/f8", "/f6", "/f5", "/f4", "/f3", "/f2"}));
}

struct KindCase {
  int before, added, after;
};

TEST(RecentFiles, KindRules) {
  for (KindCase c : {KindCase{1, 2, 2}, KindCase{1, 8, 8}, KindCase{2, 4, 4}, KindCase{2, 16, 16},
                     KindCase{4, 2, 4}, KindCase{8, 4, 8}, KindCase{2, 2, 2}}) {
    RecentFiles r;
    r.add("/a", c.before);
    r.add("/a", c.added);
    EXPECT_EQ(r.entries().front().kind, c.after) << c.before << "+" << c.added;
  }
}

TEST(RecentFiles, StoredValues) {
  EXPECT_EQ(parseRecentFile("/src/a.c").kind, 1);
  EXPECT_EQ(parseRecentFile("/src/a,b.pj,4").path, "/src/a,b.pj");
  EXPECT_EQ(parseRecentFile("/src/a,b.pj,4").kind, 4);
  EXPECT_EQ(parseRecentFile("/src/a.c,").kind, 1);
  test::TempDir dir;
  profile::ProfileFile ini;
  ASSERT_TRUE(ini.load(dir.file("ORVTY.INI")));
  ini.set("General", "LastFile1", "/x.pj,8");
  ini.set("General", "LastFile3", "/y.c");
  ini.set("General", "LastFile5", "/old.c,2");
  RecentFiles r;
  r.load(ini);
  EXPECT_EQ(paths(r), (std::vector<std::string>{"/x.pj", "/y.c", "/old.c"}));
  r.add("/new.c", 2);
  r.store(ini);
  EXPECT_EQ(ini.get("General", "LastFile1"), "/new.c,2");
  EXPECT_EQ(ini.get("General", "LastFile3"), "/y.c,1");
  EXPECT_EQ(ini.get("General", "LastFile4"), "/old.c,2");
  EXPECT_FALSE(ini.get("General", "LastFile5")) << "no stale copy of an entry left behind";
  RecentFiles again;
  again.load(ini);
  EXPECT_EQ(paths(again), paths(r));
  auto items = r.menuItems([](const std::string& p) { return p; });
  EXPECT_EQ(items.front(), "&1 /new.c");
  EXPECT_EQ(r.menuItems([](const std::string& p) { return p; }), items) << "rebuilt, not appended";
}

struct PlaceCase {
  const char* stored;
  Rect rect;
};

class FramePlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(FramePlacement, OnA1000x800Screen) {
  EXPECT_EQ(framePlacement(GetParam().stored, 1000, 800), GetParam().rect);
}

INSTANTIATE_TEST_SUITE_P(Cases, FramePlacement,
                         ::testing::Values(PlaceCase{"", {100, 80, 800, 640}},
                                           PlaceCase{"0,0,800,600", {100, 100, 800, 600}},
                                           PlaceCase{"10,10,800,600", {10, 10, 800, 600}},
                                           PlaceCase{"10,10,5000,600", {10, 10, 800, 600}},
                                           PlaceCase{"2000,10,300,200", {350, 10, 300, 200}},
                                           PlaceCase{"10,10", {10, 10, 800, 640}},
                                           PlaceCase{"x,1,2,3", {100, 80, 800, 640}}));

TEST(FramePlacement, StoredOnlyInNormalState) {
  EXPECT_EQ(storedPlacement({1, 2, 3, 4}, true), "1,2,3,4");
  EXPECT_FALSE(storedPlacement({1, 2, 3, 4}, false));
}

TEST(UserToolHint, DescriptionElseCommand) {
  EXPECT_EQ(userToolHint("", "cmd"), "Launches cmd\ncmd");
  EXPECT_EQ(userToolHint("Make it", "make"), "Launches Make it\nMake it");
  EXPECT_FALSE(userToolHint("", ""));
}

}  // namespace
}  // namespace orv::workbench::app

#include "workbench/app/startup_checks.h"

namespace orv::workbench::app {
namespace {

TEST(StartupChecks, SettingsPathLevelAndSplash) {
  EXPECT_EQ(settingsFilePath("/home/u/.config/orv"), "/home/u/.config/orv/ORVTY.INI");
  EXPECT_EQ(settingsFilePath("/"), "/ORVTY.INI");
  EXPECT_EQ(libraryLevelProblem(37),
            "Incorrect REVLIB.DLL level.\nNeed level 38, found level 37.\nCheck your system for an "
            "older version of REVLIB.DLL, and remove it.");
  EXPECT_FALSE(libraryLevelProblem(38));
  EXPECT_TRUE(showSplash(""));
  EXPECT_FALSE(showSplash("a.pj"));
}

}  // namespace
}  // namespace orv::workbench::app
