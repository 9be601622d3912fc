// The scripted Ui and fake surface: a small dialog logic run through them,
// and the failures a test gets for prompts out of script.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/ui/testing/scripted_ui.h"

namespace orv::ui::testing {
namespace {

constexpr int kName = 101;
constexpr int kUpper = 102;
constexpr int kOk = 1;

// OK is enabled only with a name; "Upper" turns the name to capitals; a
// close with OK asks for confirmation through the Ui.
class NameLogic : public DialogLogic {
 public:
  explicit NameLogic(Ui& ui) : ui_(ui) {}
  void setUp(DialogSurface& s) override {
    s.setText(kName, "");
    s.setEnabled(kOk, false);
  }
  void command(DialogSurface& s, int id) override {
    if (id == kUpper) {
      std::string t = s.text(kName);
      for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      s.setText(kName, t);
    }
    s.setEnabled(kOk, !s.text(kName).empty());
  }
  bool canClose(DialogSurface& s, int result) override {
    return result != kOk ||
           ui_.messageBox(yesNoBox("t", "Keep " + s.text(kName) + "?", MessageIcon::question)) ==
               kAnswerYes;
  }

 private:
  Ui& ui_;
};

TEST(ScriptedUi, PlaysADialogAndItsNestedPrompt) {
  ScriptedUi ui;
  DialogDescription d{330, "Name", {{kName, ControlKind::lineEdit, "&Name", 0}}};
  ui.expectDialog(330, [](FakeSurface& s, DialogLogic& logic) {
    EXPECT_FALSE(s.press(logic, kOk));  // disabled
    s.setText(kName, "abc");
    EXPECT_TRUE(s.press(logic, kUpper));
    EXPECT_EQ(s.text(kName), "ABC");
    EXPECT_TRUE(s.isEnabled(kOk));
    EXPECT_FALSE(s.close(logic, kOk));  // first answer: No
    EXPECT_TRUE(s.close(logic, kOk));
  });
  ui.expectMessage("Keep ABC?", kAnswerNo);
  ui.expectMessage("Keep ABC?", kAnswerYes);
  NameLogic logic(ui);
  EXPECT_EQ(ui.runDialog(d, logic), kOk);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].buttons.size(), 2u);
  EXPECT_NE(d.find(kName), nullptr);
  EXPECT_EQ(d.find(999), nullptr);
}

TEST(ScriptedUi, OutOfScriptPromptsFailTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUi ui;
        EXPECT_EQ(ui.messageBox(okBox("t", "surprise", MessageIcon::warning)), kAnswerCancel);
      },
      "unexpected prompt: surprise");
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUi ui;
        ui.expectInput("Name", std::string("x"));
        EXPECT_EQ(ui.messageBox(okBox("t", "Name", MessageIcon::none)), kAnswerCancel);
        EXPECT_EQ(ui.inputLine("c", "Name", ""), "x");  // the script still waits for it
      },
      "unexpected prompt");
  EXPECT_NONFATAL_FAILURE({ ScriptedUi ui; ui.expectMessage("never", kAnswerOk); },
                          "expected prompt never came: never");
}

TEST(ScriptedUi, PostedWorkRunsLaterInOrder) {
  ScriptedUi ui;
  std::vector<int> order;
  ui.post([&] {
    order.push_back(1);
    ui.post([&] { order.push_back(3); });
  });
  ui.post([&] { order.push_back(2); });
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(ui.runPosted(), 3);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace orv::ui::testing
