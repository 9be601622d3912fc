// Splitting hints, routing them by hint mode, button hints, and the merge
// program's status line that repeats nothing.
#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "workbench/app/tool_hints.h"

namespace orv::workbench::app {
namespace {

TEST(ToolHints, SplitAtTheFirstLineFeed) {
  struct Case {
    const char* hint;
    HintParts parts;
  } cases[] = {
      {"A\nB", {"A", "B"}},
      {"Check in a new revision\nCheck In", {"Check in a new revision", "Check In"}},
      {"No tip here", {"No tip here", std::nullopt}},
      {"A\nB\nC", {"A", "B\nC"}},
      {"\nTip only", {"", "Tip only"}},
      {"Status\n", {"Status", ""}},
      {"", {"", std::nullopt}},
  };
  for (const Case& c : cases) EXPECT_EQ(splitHint(c.hint), c.parts) << c.hint;
}

TEST(ToolHints, RoutesByModeAndSource) {
  struct Case {
    int mode;
    bool fromBar;
    HintRoute route;
  } cases[] = {
      {0, true, {false, true}},  {1, true, {true, false}},  {2, true, {true, true}},
      {3, true, {false, false}}, {0, false, {true, false}}, {1, false, {true, false}},
      {2, false, {true, false}}, {3, false, {true, false}},  // menus always reach the status bar
      {7, true, {true, true}},   {-1, true, {true, true}},    // out of range: Both
  };
  for (const Case& c : cases) EXPECT_EQ(routeHint(c.mode, c.fromBar), c.route) << c.mode << " " << c.fromBar;
}

TEST(ToolHints, StoredModeFallsBackToBoth) {
  test::TempDir dir;
  profile::ProfileFile ini;
  ASSERT_TRUE(ini.load(dir.file("ORVTY.INI")));
  EXPECT_EQ(hintModeOf(ini), kHintBoth);
  for (auto [stored, mode] : {std::pair{"0", 0}, {"3", 3}, {"4", 2}, {"x", 2}, {"", 2}, {"-1", 2}}) {
    ini.set("User", "HintMode", stored);
    EXPECT_EQ(hintModeOf(ini), mode) << stored;
  }
}

TEST(ToolHints, ButtonHints) {
  test::TempDir dir;
  profile::ProfileFile ini;
  ASSERT_TRUE(ini.load(dir.file("ORVTY.INI")));
  EXPECT_EQ(buttonHint(1509, ini), "Checks in a new revision\nCheck In");
  EXPECT_EQ(catalogueText(1533), "Check In");
  EXPECT_EQ(catalogueText(0), "Separator");
  EXPECT_EQ(catalogueText(1545), "User 3");
  // A user button: its description, else its program.
  ini.set("User", "User2Command", "/usr/bin/make");
  EXPECT_EQ(buttonHint(1544, ini), "Launches /usr/bin/make\n/usr/bin/make");
  ini.set("User", "User2Description", "Build all");
  EXPECT_EQ(buttonHint(1544, ini), "Launches Build all\nBuild all");
  EXPECT_EQ(buttonHint(1543, ini), "Launches User 1\nUser 1");
  // Every catalogue command has a hint with a tip.
  for (int id : {1501, 1502, 1503, 1504, 1507, 1509, 1510, 1511, 1512, 1513, 1515, 1519, 1520, 1521, 1522, 1526,
                 1527, 1528, 1529, 1532, 1533, 1534, 1535, 1538, 1541, 1554, 1555, 1556, 1557, 1558, 1563, 1574,
                 1575, 1576, 1577})
    EXPECT_TRUE(splitHint(commandHint(id)).tip.has_value()) << id;
}

TEST(StatusRepeat, DropsOnlyAnEqualText) {
  StatusRepeatFilter f;
  struct Step {
    const char* text;
    bool shown;
  } steps[] = {
      {"Open", true},       {"Open", false},  // the same button again
      {"Open file", true},                    // a text extending the kept one still shows
      {"Open", true},       {"", true},       // cleared: nothing kept
      {"Open", true},       {"Open", false},
  };
  for (const Step& s : steps) EXPECT_EQ(f.pass(s.text), s.shown) << s.text;
  f.clear();
  EXPECT_TRUE(f.pass("Open"));
}

}  // namespace
}  // namespace orv::workbench::app
