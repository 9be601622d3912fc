// The option dialogs' logic on a fake surface: Compare Files (Browse into
// the box that had the focus, the checks on OK, the options), Comments and
// the colour choice of Select Colors.
#include <gtest/gtest.h>

#include "merge/option_dialogs.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"
#include "platform/ui/testing/scripted_ui.h"

namespace orv::merge {
namespace {

using ui::testing::FakeSurface;
using ui::testing::ScriptedUi;

struct CompareFilesDialog : ::testing::Test {
  test::TempDir dir{"orv-cmpdlg"};
  ScriptedUi ui;
  CompareFiles files;
  CompareOptions options;
  FakeSurface s;
  void SetUp() override {
    sys::writeWholeFile(dir.file("a.c"), "a\n");
    sys::writeWholeFile(dir.file("b.c"), "b\n");
  }
};

TEST_F(CompareFilesDialog, BrowseFillsTheBoxWithTheFocusThenMovesOn) {
  options.ignoreCase = true;
  files.put(0, dir.file("b.c"), true);
  CompareFilesLogic logic(ui, files, options, true, dir.path());
  logic.setUp(s);
  EXPECT_EQ(s.text(kFile1Box), dir.file("b.c"));
  EXPECT_EQ(s.listItems(kFile1Box), std::vector<std::string>{dir.file("b.c")});
  EXPECT_TRUE(s.isChecked(kIgnoreCaseCheck));
  EXPECT_FALSE(s.isChecked(kIgnoreBlanksCheck));
  EXPECT_EQ(s.focus(), kFile1Box);

  ui.expectFiles("Select Compare File 1", {dir.file("a.c")});
  s.press(logic, kBrowseButton);
  EXPECT_EQ(s.text(kFile1Box), dir.file("a.c"));
  EXPECT_EQ(s.focus(), kFile2Box);
  ui.expectFiles("Select Compare File 2", {});  // cancelled: nothing changes
  s.press(logic, kBrowseButton);
  EXPECT_EQ(s.text(kFile2Box), "");
  s.setFocus(kFile2Box);
  ui.expectFiles("Select Compare File 2", {dir.file("b.c")});
  s.press(logic, kBrowseButton);
  EXPECT_EQ(s.text(kFile2Box), dir.file("b.c"));
  EXPECT_EQ(s.focus(), kFile1Box);
}

TEST_F(CompareFilesDialog, OkChecksBothNamesAndStoresTheOptions) {
  CompareFilesLogic logic(ui, files, options, true, dir.path());
  logic.setUp(s);
  struct Case {
    std::string one, two, message;
    int focus;
  } cases[] = {
      {"", "b.c", "Invalid filename or path for File 1.", kFile1Box},
      {"a.c", "missing.c", "Invalid filename or path for File 2.", kFile2Box},
      {"a.c", "", "Invalid filename or path for File 2.", kFile2Box},
  };
  int beeps = 0;
  for (const Case& c : cases) {
    s.setText(kFile1Box, c.one);
    s.setText(kFile2Box, c.two);
    s.setFocus(0);
    ui.expectMessage(c.message, ui::kAnswerOk);
    EXPECT_FALSE(s.close(logic, ui::kAnswerOk)) << c.message;
    EXPECT_EQ(s.focus(), c.focus) << c.message;
    EXPECT_EQ(ui.beeps, ++beeps);
  }
  EXPECT_TRUE(files.history(0).empty());
  s.setText(kFile1Box, "a.c");
  s.setText(kFile2Box, dir.file("b.c"));
  s.setChecked(kIgnoreBlanksCheck, true);
  s.setChecked(kIgnoreWhiteSpaceCheck, true);
  EXPECT_TRUE(s.close(logic, ui::kAnswerOk));
  EXPECT_EQ(files.selected(0), dir.file("a.c"));
  EXPECT_EQ(files.selected(1), dir.file("b.c"));
  EXPECT_TRUE(options.ignoreBlanks);
  EXPECT_TRUE(options.ignoreWhiteSpace);
  EXPECT_FALSE(options.ignoreCase);

  // Cancel keeps the options and the histories.
  FakeSurface again;
  CompareFilesLogic second(ui, files, options, true, dir.path());
  second.setUp(again);
  again.setChecked(kIgnoreBlanksCheck, false);
  EXPECT_TRUE(again.close(second, ui::kAnswerCancel));
  EXPECT_TRUE(options.ignoreBlanks);
  EXPECT_EQ(files.history(0).size(), 1u);
}

TEST(CommentsDialog, OkKeepsAtMost24CharactersCancelKeepsAll) {
  MergeSettings settings;
  CommentsLogic logic(settings);
  FakeSurface s;
  logic.setUp(s);
  EXPECT_EQ(s.text(kCommentBeginEdit), "/*");
  EXPECT_EQ(s.text(kCommentEndEdit), "*/");
  s.setText(kCommentBeginEdit, "#");
  EXPECT_TRUE(s.close(logic, ui::kAnswerCancel));
  EXPECT_EQ(settings.commentBegin, "/*");
  s.setText(kCommentBeginEdit, std::string(30, '-'));
  s.setText(kCommentEndEdit, "");
  EXPECT_TRUE(s.close(logic, ui::kAnswerOk));
  EXPECT_EQ(settings.commentBegin, std::string(24, '-'));
  EXPECT_EQ(settings.commentEnd, "");
}

TEST(ColourChoice, ClicksSetTheCurrentKindAndTheLabelsFollow) {
  ColourChoice c(defaultColours());
  EXPECT_EQ(c.label(0), "FG");   // normal text: black on white
  EXPECT_EQ(c.label(12), "BG");
  EXPECT_EQ(c.label(1), "");
  c.choose(1);                   // changed text: black on yellow
  EXPECT_EQ(c.label(13), "BG");
  EXPECT_EQ(c.label(12), "");
  c.leftClick(9);                // red text
  c.rightClick(0);               // on black
  EXPECT_EQ(c.kind(1).foreground, 0x0000FF);
  EXPECT_EQ(c.kind(1).background, 0x000000);
  EXPECT_EQ(c.label(9), "FG");
  EXPECT_EQ(c.label(0), "BG");
  c.leftClick(0);
  EXPECT_EQ(c.label(0), "FG BG");
  c.choose(7);                   // out of range: stays
  c.leftClick(16);
  EXPECT_EQ(c.current(), 1);
  EXPECT_EQ(c.kind(0).foreground, 0);
  EXPECT_EQ(ColourChoice::labelColour(7), 0xFFFFFF);
  EXPECT_EQ(ColourChoice::labelColour(8), 0x000000);

  c.choose(0);
  c.rightClick(8);  // normal lines on light grey: empty rows follow
  const ColourTable t = c.accepted();
  for (int i = 0; i < kKindCount; ++i) EXPECT_TRUE(t[static_cast<std::size_t>(i)].set);
  EXPECT_EQ(t[6].background, 0xC0C0C0);
  EXPECT_EQ(t[1].background, 0x000000);
  EXPECT_FALSE(t[7].set);
}

TEST(OptionDialogs, DescriptionsNameTheirControls) {
  const ui::DialogDescription compare = compareFilesDescription();
  EXPECT_EQ(compare.id, 4103);
  for (int id : {201, 202, 1010, 1011, 1012, 2000, 1, 2, ui::kHelpButtonId}) EXPECT_NE(compare.find(id), nullptr) << id;
  EXPECT_EQ(compare.find(1011)->caption, "Ignore &case");
  const ui::DialogDescription comments = commentsDescription();
  EXPECT_EQ(comments.id, 4106);
  EXPECT_NE(comments.find(101), nullptr);
  EXPECT_NE(comments.find(102), nullptr);
}

}  // namespace
}  // namespace orv::merge
