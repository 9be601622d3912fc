// The five-button question: size and default button from the style bits,
// the buttons' answers, long texts cut.
#include <gtest/gtest.h>

#include "platform/ui/testing/scripted_ui.h"
#include "workbench/app/custom_message_box.h"

namespace orv::workbench::app {
namespace {

TEST(CustomMessageBox, StyleChoosesSizeAndDefault) {
  struct Case {
    unsigned style;
    BoxSize size;
    int defaultAnswer;
  } cases[] = {
      {0x0, BoxSize::small, ui::kAnswerYes},
      {0x42, BoxSize::large, ui::kAnswerNo},
      {0x4, BoxSize::medium, ui::kAnswerYes},
      {0x5, BoxSize::small, ui::kAnswerYes},  // 0x1 is tested first
      {0x6, BoxSize::medium, ui::kAnswerYes},
      {0x10, BoxSize::small, ui::kAnswerYes},
      {0x20, BoxSize::small, ui::kAnswerOk},
      {0x80, BoxSize::small, ui::kAnswerAbort},
      {0x100, BoxSize::small, ui::kAnswerCancel},
      {0x50, BoxSize::small, ui::kAnswerYes},   // several default bits keep Yes
      {0x140, BoxSize::small, ui::kAnswerYes},
  };
  for (const auto& c : cases) {
    BoxChoice got = chooseBox(c.style);
    EXPECT_EQ(got.size, c.size) << std::hex << c.style;
    EXPECT_EQ(got.defaultAnswer, c.defaultAnswer) << std::hex << c.style;
  }
}

TEST(CustomMessageBox, FiveButtonsInOrderWithTheirAnswers) {
  ui::MessageRequest r = customMessageRequest(0x42, "Check in a.c?");
  EXPECT_EQ(r.caption, "Orv Tessalyworkbench");
  EXPECT_EQ(r.icon, ui::MessageIcon::question);
  ASSERT_EQ(r.buttons.size(), 5u);
  int answers[] = {6, 1, 7, 3, 2};
  const char* captions[] = {"&Yes", "Yes to &All", "&No", "No to A&ll", "&Cancel"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(r.buttons[i].answer, answers[i]);
    EXPECT_EQ(r.buttons[i].caption, captions[i]);
  }
  EXPECT_EQ(r.defaultAnswer, 7);
  EXPECT_GT(r.textLines, customMessageRequest(0, "x").textLines);
}

TEST(CustomMessageBox, LongTextIsCutNotFatal) {
  ui::testing::ScriptedUi ui;
  ui.expectMessage("/deep", ui::kAnswerAbort);
  std::string path = "/deep" + std::string(2000, 'd') + "/a.c";
  EXPECT_EQ(customMessageBox(ui, 0, "Check in " + path + "?"), ui::kAnswerAbort);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_LE(ui.messages[0].text.size(), 510u);
  EXPECT_EQ(ui.messages[0].text.substr(ui.messages[0].text.size() - 3), "...");
}

}  // namespace
}  // namespace orv::workbench::app
