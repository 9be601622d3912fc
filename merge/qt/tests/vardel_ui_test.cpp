// The program's Qt services: message boxes answer with the button pressed
// and carry their caption and text; colour references read red from the low
// byte; the About box.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "merge/qt/tests/qt_test_support.h"
#include "merge/qt/vardel_frame.h"
#include "merge/qt/vardel_ui.h"

namespace orv::merge::qt {
namespace {

using testing::screenshot;

// Presses the button of the modal box that comes up next, after a look.
void pressInNextBox(QMessageBox::StandardButton button, std::string shot, QString* text) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    *text = box->windowTitle() + "|" + box->text();
    if (!shot.empty()) screenshot(box, shot);
    box->button(button)->click();
  });
}

TEST(VardelUi, MessageBoxesAnswerWithThePressedButton) {
  VardelUi ui;
  struct Case {
    QMessageBox::StandardButton press;
    int answer;
  } cases[] = {{QMessageBox::Yes, ui::kAnswerYes}, {QMessageBox::No, ui::kAnswerNo}};
  for (const Case& c : cases) {
    QString seen;
    pressInNextBox(c.press, c.answer == ui::kAnswerYes ? "message_box_yes_no" : "", &seen);
    EXPECT_EQ(ui.messageBox(ui::yesNoBox("Vardel", "The merged file has been modified.\nDo you wish to save it?",
                                         ui::MessageIcon::question)),
              c.answer);
    EXPECT_EQ(seen, "Vardel|The merged file has been modified.\nDo you wish to save it?");
  }
}

TEST(VardelUi, ColourReferencesAndTheAboutBox) {
  EXPECT_EQ(colourOf(0xFF0000), QColor(0, 0, 255));   // file 1's default foreground: blue
  EXPECT_EQ(colourOf(0x00FFFF), QColor(255, 255, 0));  // changed lines: yellow
  EXPECT_EQ(colourOf(0x000080), QColor(128, 0, 0));

  test::TempDir dir{"orv-vardel-ui"};
  VardelUi ui;
  VardelFrame frame(ui, dir.file("vardel.ini"));
  ui.setParent(&frame);
  QString seen;
  pressInNextBox(QMessageBox::Ok, "about_box", &seen);
  frame.action(kAbout)->trigger();
  EXPECT_TRUE(seen.startsWith("About Vardel|Orv Vardel for Win32\nVersion 3.2a\n")) << seen.toStdString();
  EXPECT_TRUE(seen.endsWith(" KB")) << seen.toStdString();
}

}  // namespace
}  // namespace orv::merge::qt
