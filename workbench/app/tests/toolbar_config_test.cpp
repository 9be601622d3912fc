// The Toolbar page's model: sections in, contents and available lists out;
// Add, Remove and writing back into a settings file; the user buttons'
// keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "testing/temp_dir.h"
#include "workbench/app/toolbar_config.h"

namespace orv::workbench::app {
namespace {

using K = ToolbarKind;

std::vector<int> commands(const std::vector<ToolbarRowRef>& rows) {
  std::vector<int> out;
  for (const auto& r : rows) out.push_back(toolbarCatalogue()[static_cast<std::size_t>(r.row)].commandId);
  return out;
}
std::vector<int> commands(const std::vector<int>& rows) {
  std::vector<int> out;
  for (int r : rows) out.push_back(toolbarCatalogue()[static_cast<std::size_t>(r)].commandId);
  return out;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class ToolbarModel : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ini.load(path)); }
  void section(const char* name, std::vector<std::string> values) {
    int n = 0;
    for (const auto& v : values) ini.set(name, "Button" + std::to_string(++n), v);
  }
  test::TempDir dir;
  std::string path = dir.file("ORVTY.INI");
  profile::ProfileFile ini;
};

// Sections in, contents and available lists out.
TEST_F(ToolbarModel, SectionParse) {
  const std::vector<int> archiveDefault = {1503, 1504, 0, 1501, 1502, 0, 1509, 1510, 0, 1511,
                                           1512, 0,    1522, 0, 1507, 0,    1513, 0,    1515};
  struct Case {
    const char* what;
    std::vector<std::string> archive;
    std::vector<int> contents;
    bool fromDefaults;
  } cases[] = {
      {"CheckIn on the archive bar is the archive's check-in", {"CheckIn", "checkout"}, {1509, 1510}, false},
      {"unknown names are skipped", {"Nonsense", "Help", "MemberInfo", "separator", "USER2"}, {1515, 0, 1544}, false},
      {"nothing known: the defaults", {"Nonsense", "ProjectInfo"}, archiveDefault, true},
      {"an empty section: the defaults", {}, archiveDefault, true},
      {"reading stops at an empty value", {"Help", "", "Import"}, {1515}, false},
      {"a name twice is kept twice", {"Help", "Help"}, {1515, 1515}, false},
  };
  for (const Case& c : cases) {
    ini.removeSection("Archive Toolbar");
    section("Archive Toolbar", c.archive);
    ToolbarConfig config(ini);
    EXPECT_EQ(commands(config.contents(K::archive)), c.contents) << c.what;
    for (const auto& r : config.contents(K::archive)) EXPECT_EQ(r.fromDefaults, c.fromDefaults) << c.what;
    // Available: the separator first, then every row of the bar not in use.
    const auto available = commands(config.available(K::archive));
    ASSERT_FALSE(available.empty());
    EXPECT_EQ(available.front(), 0) << c.what;
    EXPECT_EQ(std::count(available.begin(), available.end(), 0), 1) << c.what;
    for (int id : c.contents)
      if (id) {
        EXPECT_EQ(std::count(available.begin(), available.end(), id), 0) << c.what << " " << id;
      }
    // Every row of the bar is in one list or the other.
    for (const auto& row : toolbarCatalogue()) {
      if (!rowOnBar(row, K::archive) || row.commandId == 0) continue;
      const bool shown = std::count(available.begin(), available.end(), row.commandId) +
                         std::count(c.contents.begin(), c.contents.end(), row.commandId);
      EXPECT_TRUE(shown) << c.what << " " << row.name;
    }
  }
}

TEST_F(ToolbarModel, AtMost42KeysAreRead) {
  std::vector<std::string> many(45, "Separator");
  many.push_back("Help");
  section("Project Toolbar", many);
  ToolbarConfig config(ini);
  EXPECT_EQ(config.contents(K::project).size(), 42u);
}

TEST_F(ToolbarModel, AvailableListsOfTheDefaults) {
  ToolbarConfig config(ini);
  // The project bar's rows that are not in its default layout, in
  // catalogue order.
  EXPECT_EQ(commands(config.available(K::project)),
            (std::vector<int>{0, 1519, 1554, 1532, 1526, 1527, 1535, 1541, 1538, 1555, 1556, 1574, 1575, 1576, 1577,
                              1543, 1544, 1545, 1546, 1547}));
  EXPECT_EQ(commands(config.available(K::archive)),
            (std::vector<int>{0, 1519, 1563, 1520, 1521, 1543, 1544, 1545, 1546, 1547}));
}

TEST_F(ToolbarModel, AddAndRemove) {
  section("Project Toolbar", {"CheckIn", "CheckOut"});
  ToolbarConfig config(ini);
  int at = -1;
  // The separator twice: two separators, and it stays available.
  EXPECT_EQ(config.add(K::project, 0, 0, &at), ToolbarConfig::AddResult::added);
  EXPECT_EQ(at, 1);
  EXPECT_EQ(config.add(K::project, 0, 0, &at), ToolbarConfig::AddResult::added);
  EXPECT_EQ(commands(config.contents(K::project)), (std::vector<int>{1533, 0, 0, 1534}));
  EXPECT_EQ(config.available(K::project).front(), 0);
  EXPECT_TRUE(config.modified());
  // A button leaves the available list; with no selection it goes last.
  const auto before = config.available(K::project);
  const int help = static_cast<int>(std::find(before.begin(), before.end(), 7) - before.begin());
  EXPECT_EQ(config.add(K::project, help, -1, &at), ToolbarConfig::AddResult::added);
  EXPECT_EQ(at, 4);
  EXPECT_EQ(commands(config.contents(K::project)), (std::vector<int>{1533, 0, 0, 1534, 1515}));
  EXPECT_EQ(std::count(config.available(K::project).begin(), config.available(K::project).end(), 7), 0);
  // Nothing chosen: nothing added.
  EXPECT_EQ(config.add(K::project, -1, 0), ToolbarConfig::AddResult::nothing);
  // Remove: a separator goes; a button returns to the end of the list.
  EXPECT_TRUE(config.remove(K::project, 1));
  EXPECT_TRUE(config.remove(K::project, 0));
  EXPECT_EQ(commands(config.contents(K::project)), (std::vector<int>{0, 1534, 1515}));
  EXPECT_EQ(config.available(K::project).back(), 9);
  EXPECT_FALSE(config.remove(K::project, 7));
  // The other bar is untouched.
  EXPECT_EQ(config.contents(K::archive).size(), 19u);
}

TEST_F(ToolbarModel, A43rdButtonIsRefused) {
  ToolbarConfig config(ini);
  while (config.contents(K::archive).size() < 42u)
    ASSERT_EQ(config.add(K::archive, 0, -1), ToolbarConfig::AddResult::added);
  EXPECT_EQ(config.add(K::archive, 0, -1), ToolbarConfig::AddResult::full);
  EXPECT_EQ(config.add(K::archive, 1, 3), ToolbarConfig::AddResult::full);
  EXPECT_EQ(config.contents(K::archive).size(), 42u);
  // What is written is what the next start reads.
  config.writeButtons(ini);
  ASSERT_EQ(ini.save(), 0);
  profile::ProfileFile again;
  ASSERT_TRUE(again.load(path));
  EXPECT_EQ(ToolbarConfig(again).contents(K::archive).size(), 42u);
}

TEST_F(ToolbarModel, OrientationAndHintModeMarkModified) {
  ini.set("User", "Orientation", "4");
  ini.set("User", "HintMode", "0");
  ToolbarConfig config(ini);
  EXPECT_EQ(config.orientation(), 4);
  EXPECT_EQ(config.hintMode(), 0);
  config.setHintMode(0);
  EXPECT_FALSE(config.modified());
  config.setOrientation(1);
  EXPECT_TRUE(config.modified());
  ini.set("User", "Orientation", "9");
  EXPECT_EQ(ToolbarConfig(ini).orientation(), 0);
}

TEST_F(ToolbarModel, WritesBothSectionsInListOrder) {
  ini.set("Archive Toolbar", "Button1", "Help");
  ini.set("Archive Toolbar", "Button2", "Import");
  ini.set("Archive Toolbar", "Button3", "OpenArchive");
  ini.set("Other", "Key", "kept");
  ToolbarConfig config(ini);
  // Archive: drop Import, move OpenArchive first, add a separator after it.
  ASSERT_TRUE(config.remove(K::archive, 1));
  ASSERT_TRUE(config.move(K::archive, 1, 0));
  ASSERT_EQ(config.add(K::archive, 0, 0), ToolbarConfig::AddResult::added);
  // Project: empty it.
  while (!config.contents(K::project).empty()) ASSERT_TRUE(config.remove(K::project, 0));
  config.writeButtons(ini);
  ASSERT_EQ(ini.save(), 0);
  const std::string text = readAll(path);
  EXPECT_NE(text.find("[Archive Toolbar]\nButton1=OpenArchive\nButton2=Separator\nButton3=Help\n"), std::string::npos)
      << text;
  EXPECT_EQ(text.find("Import"), std::string::npos) << text;
  EXPECT_EQ(text.find("Button4"), std::string::npos) << text;
  EXPECT_NE(text.find("[Other]\nKey=kept"), std::string::npos) << text;
  // An emptied bar shows its defaults at the next start.
  profile::ProfileFile again;
  ASSERT_TRUE(again.load(path));
  const ToolbarConfig next(again);
  EXPECT_EQ(next.contents(K::project).size(), 19u);
  EXPECT_TRUE(next.contents(K::project).front().fromDefaults);
  EXPECT_EQ(commands(next.contents(K::archive)), (std::vector<int>{1502, 0, 1515}));
}

TEST_F(ToolbarModel, UserButtonKeys) {
  ini.set("User", "User3Icon", "/old.png");
  writeUserButton(ini, 3, {"/usr/bin/make", "-k", "Build", ""});
  ASSERT_EQ(ini.save(), 0);
  const std::string text = readAll(path);
  EXPECT_NE(text.find("User3Command=/usr/bin/make"), std::string::npos) << text;
  EXPECT_NE(text.find("User3Arguments=-k"), std::string::npos) << text;
  EXPECT_NE(text.find("User3Description=Build"), std::string::npos) << text;
  EXPECT_EQ(text.find("User3Icon"), std::string::npos) << text;  // an empty field deletes its key
  EXPECT_EQ(readUserButton(ini, 3), (UserButton{"/usr/bin/make", "-k", "Build", ""}));
  EXPECT_EQ(readUserButton(ini, 4), UserButton{});
  EXPECT_EQ(userButtonOf(1543), 1);
  EXPECT_EQ(userButtonOf(1547), 5);
  EXPECT_EQ(userButtonOf(1548), 0);
}

}  // namespace
}  // namespace orv::workbench::app
