// Dialogs built from their descriptions: layout of every control kind, the
// logic driving the surface, commands from clicks, canClose on OK and Esc,
// help from the Help button and F1.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>
#include <functional>

#include "testing/qt_test_support.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/help_key_filter.h"
#include "platform/ui/help_contexts.h"
#include "platform/ui/qt/qt_ui.h"

namespace orv::ui::qt {
namespace {

enum : int { kName = 100, kNameLabel = 101, kKeep = 102, kFast = 103, kSafe = 104, kFiles = 105,
             kKind = 106, kClear = 107, kOptions = 108 };

DialogDescription description() {
  DialogDescription d;
  d.id = 900;
  d.title = "Sample";
  d.helpContext = 777;
  d.helpPairs = {{kName, 5001}, {kOptions, 5002}};
  d.controls = {
      {kNameLabel, ControlKind::label, "&Name:", 1},
      {kName, ControlKind::lineEdit, "", 1},
      {0, ControlKind::label, "Kind:", 1},
      {kKind, ControlKind::comboBox, "", 1},
      {kOptions, ControlKind::groupBox, "Options", 2},
      {kKeep, ControlKind::checkBox, "&Keep", 2},
      {kFast, ControlKind::radioButton, "&Fast", 2},
      {kSafe, ControlKind::radioButton, "&Safe", 2},
      {0, ControlKind::label, "Files:", 3},
      {kFiles, ControlKind::multiSelectListBox, "", 3},
      {kClear, ControlKind::pushButton, "C&lear", 3},
      {1, ControlKind::defaultButton, "OK", 0},
      {2, ControlKind::pushButton, "Cancel", 0},
      {kHelpButtonId, ControlKind::pushButton, "&Help", 0},
  };
  return d;
}

// Fills the dialog, clears the list on Clear, refuses OK while the name is
// empty, records what reached it.
struct SampleLogic : DialogLogic {
  void setUp(DialogSurface& s) override {
    s.setText(kName, "a.c");
    s.setChecked(kKeep, true);
    s.setChecked(kSafe, true);
    s.setListItems(kFiles, {"a.c", "b.c", "c.c"});
    s.setSelection(kFiles, {0, 2});
    s.setListItems(kKind, {"archive", "project"});
    s.setFocus(kName);
  }
  void command(DialogSurface& s, int id) override {
    commands.push_back(id);
    if (id == kClear) s.setListItems(kFiles, {});
  }
  bool canClose(DialogSurface& s, int result) override {
    closes.push_back(result);
    name = s.text(kName);
    keep = s.isChecked(kKeep);
    fast = s.isChecked(kFast);
    rows = s.selection(kFiles);
    return result != kAnswerOk || !name.empty();
  }
  std::vector<int> commands, closes, rows;
  std::string name;
  bool keep = false, fast = false;
};

TEST(DialogWindow, BuildsEveryControlAndTheLogicFillsThem) {
  DialogDescription d = description();
  SampleLogic logic;
  QtUi ui;
  DialogWindow w(d, logic, ui, nullptr);
  w.setUpLogic();
  EXPECT_TRUE(logic.commands.empty()) << "the logic's own changes are no commands";
  EXPECT_EQ(qobject_cast<QLineEdit*>(w.control(kName))->text(), "a.c");
  EXPECT_EQ(qobject_cast<QLabel*>(w.control(kNameLabel))->buddy(), w.control(kName));
  EXPECT_EQ(qobject_cast<QGroupBox*>(w.control(kOptions))->title(), "Options");
  EXPECT_EQ(w.control(kKeep)->parentWidget(), w.control(kOptions));
  EXPECT_TRUE(qobject_cast<QPushButton*>(w.control(1))->isDefault());
  EXPECT_EQ(w.surface().selection(kFiles), (std::vector<int>{0, 2}));
  EXPECT_EQ(w.surface().listItems(kKind), (std::vector<std::string>{"archive", "project"}));
  w.show();
  QApplication::setActiveWindow(&w);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.surface().focus() == kName; }, 30000));
  w.adjustSize();
  test::saveScreenshot(w, "generic_dialog");
}

TEST(DialogWindow, ClicksReachTheLogicAndOkAsksCanClose) {
  DialogDescription d = description();
  SampleLogic logic;
  QtUi ui;
  test::onNextModal([&](QWidget* m) {
    auto* w = static_cast<DialogWindow*>(m);
    static_cast<QAbstractButton*>(w->control(kFast))->click();
    static_cast<QAbstractButton*>(w->control(kKeep))->click();
    auto* list = qobject_cast<QListWidget*>(w->control(kFiles));
    list->item(1)->setSelected(true);
    QTest::mouseClick(w->control(kClear), Qt::LeftButton);
    EXPECT_TRUE(w->surface().listItems(kFiles).empty());
    auto* name = qobject_cast<QLineEdit*>(w->control(kName));
    name->clear();
    QTest::mouseClick(w->control(1), Qt::LeftButton);
    EXPECT_TRUE(w->isVisible()) << "an empty name may not close";
    QTest::keyClicks(name, "b.c");
    QTest::mouseClick(w->control(1), Qt::LeftButton);
  });
  EXPECT_EQ(ui.runDialog(d, logic), kAnswerOk);
  // Each key typed into the name reaches the logic too (clearing it from
  // the code does not).
  EXPECT_EQ(logic.commands, (std::vector<int>{kFast, kKeep, kFiles, kClear, kName, kName, kName}));
  EXPECT_EQ(logic.closes, (std::vector<int>{kAnswerOk, kAnswerOk}));
  EXPECT_EQ(logic.name, "b.c");
  EXPECT_TRUE(logic.fast);
  EXPECT_FALSE(logic.keep);
}

TEST(DialogWindow, EscapeIsCancelAfterCanClose) {
  DialogDescription d = description();
  SampleLogic logic;
  QtUi ui;
  test::onNextModal([](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); });
  EXPECT_EQ(ui.runDialog(d, logic), kAnswerCancel);
  EXPECT_EQ(logic.closes, (std::vector<int>{kAnswerCancel}));
}

TEST(DialogWindow, HelpButtonAndF1OpenTheirContexts) {
  DialogDescription d = description();
  SampleLogic logic;
  std::vector<int> opened;
  QtUi ui([&](int context) { opened.push_back(context); });
  test::onNextModal([](QWidget* m) {
    auto* w = static_cast<DialogWindow*>(m);
    QTest::mouseClick(w->control(kHelpButtonId), Qt::LeftButton);
    // F1 goes to the control that has the focus.
    auto f1 = [](QWidget* target) {
      target->setFocus(Qt::OtherFocusReason);
      QTest::keyClick(target, Qt::Key_F1);
    };
    f1(w->control(kName));   // its own pair
    f1(w->control(kKeep));   // the group's pair
    f1(w->control(kFiles));  // none: the dialog's own page
    f1(qobject_cast<QComboBox*>(w->control(kKind))->lineEdit());  // inside a control without one
    QTest::mouseClick(w->control(2), Qt::LeftButton);
  });
  EXPECT_EQ(ui.runDialog(d, logic), kAnswerCancel);
  EXPECT_EQ(opened, (std::vector<int>{777, 5001, 5002, 777, 777}));
}

// With the application's filter installed: F1 in a box opened from a
// dialog opens the dialog's page, an inner dialog opens its own, and once
// it has closed the outer dialog's page comes back.
TEST(HelpKeyFilter, NestedDialogsAndBoxesAnswerWithTheirDialogsPage) {
  DialogDescription outer = description();
  DialogDescription inner = description();
  inner.helpContext = 888;
  inner.helpPairs.clear();
  std::vector<int> opened;
  QtUi ui([&](int context) { opened.push_back(context); });
  HelpKeyFilter filter(ui);
  struct Nesting : SampleLogic {
    std::function<void()> onClear;
    void command(DialogSurface& s, int id) override {
      if (id == kClear && onClear) onClear();
      SampleLogic::command(s, id);
    }
  } logic;
  SampleLogic innerLogic;
  logic.onClear = [&] {
    test::onNextModal([](QWidget* box) {
      QTest::keyClick(box, Qt::Key_F1);
      QTest::keyClick(box, Qt::Key_Return);
    });
    ui.messageBox(okBox("Sample", "A question", MessageIcon::question));
    test::onNextModal([](QWidget* m) {
      QTest::keyClick(static_cast<DialogWindow*>(m)->control(kFiles), Qt::Key_F1);
      QTest::keyClick(m, Qt::Key_Escape);
    });
    ui.runDialog(inner, innerLogic);
  };
  test::onNextModal([](QWidget* m) {
    auto* w = static_cast<DialogWindow*>(m);
    QTest::mouseClick(w->control(kClear), Qt::LeftButton);
    w->control(kFiles)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(w->control(kFiles), Qt::Key_F1);
    QTest::keyClick(w->control(kName), Qt::Key_F1);
    QTest::keyClick(m, Qt::Key_Escape);
  });
  ui.runDialog(outer, logic);
  EXPECT_EQ(opened, (std::vector<int>{777, 888, 777, 5001}));
  EXPECT_EQ(helpContextDepth(), 0);

  // A window that names its own context.
  QWidget window;
  window.setProperty(kHelpContextProperty, 6084);
  QLineEdit* edit = new QLineEdit(&window);
  EXPECT_EQ(HelpKeyFilter::contextFor(edit), 6084);
}

TEST(DialogCentring, OverTheFrameElseOnTheScreen) {
  const Rect screen{0, 0, 1024, 768};
  struct Case {
    std::optional<Rect> frame;
    int w, h;
    Point want;
  } cases[] = {
      {Rect{100, 100, 600, 400}, 200, 100, {300, 250}},
      {std::nullopt, 200, 100, {412, 334}},
      {Rect{900, 100, 600, 400}, 400, 100, {312, 334}},   // past the right edge
      {Rect{0, 0, 100, 100}, 301, 100, {361, 334}},       // negative half: screen
  };
  for (const auto& c : cases) EXPECT_EQ(centredPosition(c.frame, screen, c.w, c.h), c.want);
}

}  // namespace
}  // namespace orv::ui::qt
