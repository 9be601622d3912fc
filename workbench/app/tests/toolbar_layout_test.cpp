// Tool-bar layouts from the settings, and the View/Edit button's program.
#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "workbench/app/toolbar_layout.h"

namespace orv::workbench::app {
namespace {

std::vector<int> ids(const std::vector<ToolbarButton>& b) {
  std::vector<int> out;
  for (const auto& x : b) out.push_back(x.commandId);
  return out;
}

class Toolbar : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ini.load(dir.file("ORVTY.INI"))); }
  test::TempDir dir;
  profile::ProfileFile ini;
};

TEST_F(Toolbar, OnlyNamesAllowedOnTheBarCount) {
  ini.set("Project Toolbar", "Button1", "ArchiveInfo");
  ini.set("Project Toolbar", "Button2", "checkin");
  EXPECT_EQ(ids(resolveToolbar(ToolbarKind::project, ini)), std::vector<int>{1533});
  ini.set("Archive Toolbar", "Button1", "CHECKIN");
  ini.set("Archive Toolbar", "Button2", "Separator");
  ini.set("Archive Toolbar", "Button3", "User3");
  EXPECT_EQ(ids(resolveToolbar(ToolbarKind::archive, ini)), (std::vector<int>{1509, 0, 1545}));
}

TEST_F(Toolbar, ListStopsAtTheFirstGap) {
  ini.set("Project Toolbar", "Button1", "Help");
  ini.set("Project Toolbar", "Button3", "Label");
  EXPECT_EQ(ids(resolveToolbar(ToolbarKind::project, ini)), std::vector<int>{1515});
}

TEST_F(Toolbar, DefaultsWhenNothingMatches) {
  const std::vector<int> archive = {1503, 1504, 0, 1501, 1502, 0, 1509, 1510, 0, 1511,
                                    1512, 0,    1522, 0, 1507, 0, 1513, 0, 1515};
  const std::vector<int> project = {1503, 1504, 0, 1501, 1502, 0, 1533, 1534, 0, 1529,
                                    1528, 0,    1557, 0, 1558, 0, 1513, 0, 1515};
  EXPECT_EQ(ids(resolveToolbar(ToolbarKind::archive, ini)), archive);
  ini.set("Project Toolbar", "Button1", "NoSuchButton");
  EXPECT_EQ(ids(resolveToolbar(ToolbarKind::project, ini)), project);
}

struct ProgramCase {
  const char* use;
  std::optional<std::string> associated;
  const char* editor;
  const char* program;
};

TEST(ViewButtonProgram, Choice) {
  for (const auto& c : {ProgramCase{"no", "gimp", "vi", "vi"},
                        ProgramCase{"NO", "gimp", "vi", "vi"},
                        ProgramCase{"yes", "gimp", "vi", "gimp"},
                        ProgramCase{"yes", std::nullopt, "vi", "vi"},
                        ProgramCase{"no", std::nullopt, "\"/opt/my editor\"", "/opt/my editor"},
                        ProgramCase{"no", std::nullopt, "\"gvim", "gvim"},
                        ProgramCase{"no", std::nullopt, "\"", ""},
                        ProgramCase{"no", std::nullopt, "vi  ", "vi"}}) {
    EXPECT_EQ(viewButtonProgram(c.use, c.associated, c.editor), c.program) << c.editor;
  }
}

}  // namespace
}  // namespace orv::workbench::app
