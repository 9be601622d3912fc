// Project and Sandbox Information: the display form of options, the rules
// of Add (checked before anything is replaced), and OK over a real project
// file: unchanged, the file stays byte for byte as it was; changed, it
// holds the new attributes and keeps the others.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "vc/include/vc.h"
#include "workbench/commands/window_commands.h"
#include "workbench/dialogs/project_info_dialog.h"
#include "workbench/testing/library_fixtures.h"

namespace orv::workbench::dialogs {
namespace {

using ui::testing::FakeSurface;

TEST(ProjectInfoAttributes, DisplayForm) {
  EXPECT_EQ(optionDisplayForm("lang=c", 0), "lang=c");
  EXPECT_EQ(optionDisplayForm("strict", VC_OPTION_NO), "nostrict");
  EXPECT_EQ(optionDisplayForm("strict", VC_OPTION_NO | VC_OPTION_ENFORCED), "enforcenostrict");
}

class ProjectInfoTest : public testing::ProjectTest {
 protected:
  std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // p.pj with a description, two attributes and a work-to-archive entry.
  std::string makeAttributedProject() {
    const std::string path = makeProject("p.pj", {{"a.c", 'f', nullptr}});
    int h = 0;
    EXPECT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE, &h, 0), 0);
    for (const char* s : {"description=Our tools", "lang=c", "nostrict", "worktoarch /w=/a"})
      EXPECT_EQ(vcProjectOptionSet(h, s, 1), 0) << s;
    EXPECT_EQ(vcSaveProject(h), 0);
    vcCloseProject(h);
    return path;
  }
  std::vector<std::string> own(const std::string& path) {
    project::OpenProject p(ui, path.c_str(), 1);
    std::vector<std::string> out;
    char text[1024] = {};
    for (int first : {VC_PROJECT_ITEM_OWN_FIRST_OPTION, VC_PROJECT_ITEM_OWN_FIRST_WORKTOARCH})
      for (int rc = vcGetProject(p.project, first, text, sizeof text); rc == 0;
           rc = vcGetProject(p.project, first + 1, text, sizeof text))
        out.emplace_back(text);
    return out;
  }
};

TEST_F(ProjectInfoTest, AddChecksBeforeItReplaces) {
  std::vector<AttributeEntry> entries = {{"la.ng=c", true}, {"lang=c", true}, {"policy=x", false}};
  EXPECT_FALSE(addAttribute(entries, "la.ng", "d").added) << "invalid text";
  EXPECT_EQ(entries[0].text, "la.ng=c") << "the old attribute stays";
  entries.erase(entries.begin());
  EXPECT_TRUE(addAttribute(entries, "LANG", "cpp").added);
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries.back().text, "LANG=cpp") << "replaced, caseless";
  EXPECT_TRUE(addAttribute(entries, "policy", "y").added);
  EXPECT_EQ(entries.size(), 3u) << "a read-only entry of the name stays beside the new one";
  EXPECT_TRUE(addAttribute(entries, "worktoarch", "/w=/a").added);
  EXPECT_EQ(entries.back().text, "worktoarch /w=/a");
  const AddResult frozen = addAttribute(entries, "frozen", "");
  EXPECT_FALSE(frozen.added);
  EXPECT_TRUE(frozen.hint);
  const std::string v120(120, 'v');
  EXPECT_FALSE(addAttribute(entries, v120, std::string(136, 'x')).added) << "120+1+136";
  EXPECT_NE(addAttribute(entries, v120, std::string(136, 'x')).message.find("must not exceed 256"), std::string::npos);
  EXPECT_TRUE(addAttribute(entries, v120, std::string(135, 'x')).added) << "120+1+135";
}

TEST_F(ProjectInfoTest, OkWithoutChangesLeavesTheFileAsItWas) {
  const std::string path = makeAttributedProject();
  const std::string before = bytes(path);
  const auto ownBefore = own(path);
  project::OpenProject project(ui, path.c_str(), 1);
  ASSERT_TRUE(project.lock(false));
  ui.expectDialog(commands::kProjectInformationDialog, [](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_EQ(f.text(kPiDescription), "Our tools");
    const auto items = f.listItems(kPiAttributes);
    EXPECT_NE(std::find(items.begin(), items.end(), "nostrict"), items.end());
    EXPECT_NE(std::find(items.begin(), items.end(), "lang=c"), items.end());
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(runProjectInformation(project, commands::kProjectInformationDialog), 0);
  project.dropWriteLock();
  EXPECT_EQ(bytes(path), before);
  EXPECT_EQ(own(path), ownBefore);
}

TEST_F(ProjectInfoTest, OkWritesTheChangedAttributesAndKeepsTheOthers) {
  const std::string path = makeAttributedProject();
  project::OpenProject project(ui, path.c_str(), 1);
  ASSERT_TRUE(project.lock(false));
  ui.expectDialog(commands::kProjectInformationDialog, [this](FakeSurface& f, ui::DialogLogic& logic) {
    f.setText(kPiVariable, "owner");
    f.setText(kPiValue, "tools");
    f.press(logic, kPiAdd);
    f.setText(kPiVariable, "la.ng");
    f.setText(kPiValue, "c");
    ui.expectMessage("Illegal Attribute.", ui::kAnswerOk);
    f.press(logic, kPiAdd);
    f.setText(kPiDescription, "Our tools, again");
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(runProjectInformation(project, commands::kProjectInformationDialog), 0);
  project.dropWriteLock();
  const auto after = own(path);
  for (const char* s : {"lang=c", "owner=tools", "description=Our tools, again"})
    EXPECT_NE(std::find(after.begin(), after.end(), s), after.end()) << s << "\n" << ::testing::PrintToString(after);
  EXPECT_EQ(project::OpenProject(ui, path.c_str(), 1).getOption("lang", ""), "c");
}

TEST_F(ProjectInfoTest, WithoutPermissionEverythingIsReadOnly) {
  const std::string path = makeAttributedProject();
  const std::string before = bytes(path);
  kel.refuse("ModifyProject");
  restart("");
  project::OpenProject project(ui, path.c_str(), 1);
  ui.expectDialog(commands::kProjectInformationDialog, [](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_FALSE(f.isEnabled(kPiVariable));
    EXPECT_FALSE(f.isEnabled(kPiDescription));
    f.setSelection(kPiAttributes, {0});
    f.press(logic, kPiAttributes);
    EXPECT_FALSE(f.isEnabled(kPiAdd));
    EXPECT_FALSE(f.isEnabled(kPiDelete));
    EXPECT_FALSE(f.close(logic, ui::kAnswerOk));
    EXPECT_EQ(f.result(), ui::kAnswerCancel) << "OK acts as Cancel";
  });
  runProjectInformation(project, commands::kProjectInformationDialog);
  EXPECT_EQ(bytes(path), before);
}

// A sandbox edits its own attributes (a master's one may be taken over);
// the options that tie it to its master stay whatever is done.
TEST_F(ProjectInfoTest, ASandboxEditsItsOwnAttributes) {
  const std::string path = makeAttributedProject();
  ::mkdir(dir.file("box").c_str(), 0755);
  const std::string sandbox = dir.file("box/s.pj");
  int sb = 0;
  ASSERT_EQ(vcOpenSandbox(sandbox.c_str(), VC_PROJECT_OPEN_WRITE | VC_PROJECT_OPEN_CREATE, &sb, 0), 0);
  ASSERT_EQ(vcSandboxOptionSet(sb, ("masterproject=" + path).c_str(), 1), 0);
  ASSERT_EQ(vcSaveSandbox(sb), 0);
  vcCloseSandbox(sb);
  project::OpenProject project(ui, sandbox.c_str(), 1);
  ASSERT_EQ(project.status, 0);
  ASSERT_TRUE(project.lock(false));
  ui.expectDialog(commands::kSandboxInformationDialog, [](FakeSurface& f, ui::DialogLogic& logic) {
    EXPECT_EQ(f.text(kPiDescription), "Our tools");
    const auto master = f.listItems(kPiMasterAttributes);
    const auto lang = std::find(master.begin(), master.end(), "lang=c");
    ASSERT_NE(lang, master.end());
    ASSERT_EQ(f.listItems(kPiAttributes).size(), 1u);
    f.setSelection(kPiAttributes, {0});
    f.press(logic, kPiAttributes);
    EXPECT_FALSE(f.isEnabled(kPiDelete)) << "the master link stays";
    f.setSelection(kPiMasterAttributes, {static_cast<int>(lang - master.begin())});
    f.press(logic, kPiMasterAttributes);
    EXPECT_EQ(f.text(kPiVariable), "lang");
    f.setText(kPiValue, "cpp");
    f.press(logic, kPiAdd);
    f.close(logic, ui::kAnswerOk);
  });
  EXPECT_EQ(runProjectInformation(project, commands::kSandboxInformationDialog), 0);
  project.dropWriteLock();
  const std::string text = bytes(sandbox);
  EXPECT_NE(text.find("masterproject=" + path), std::string::npos) << text;
  EXPECT_NE(text.find("lang=cpp"), std::string::npos) << text;
  EXPECT_EQ(text.find("description"), std::string::npos) << "a sandbox never writes the description";
}

}  // namespace
}  // namespace orv::workbench::dialogs
