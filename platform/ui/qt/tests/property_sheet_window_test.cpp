// The property sheet and the moveable list on real widgets: a refused tab
// change goes back, pages are built when first shown and typing reaches
// them, OK applies and closes, Enter presses a page's default button; rows
// dragged whole to where the pointer is, never out of the list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabBar>
#include <algorithm>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest/QTest>

#include "platform/ui/moveable_list.h"
#include "platform/ui/qt/dialog_window.h"
#include "platform/ui/qt/moveable_list_widget.h"
#include "platform/ui/qt/help_key_filter.h"
#include "platform/ui/qt/property_sheet_window.h"
#include "platform/ui/help_contexts.h"
#include "platform/ui/qt/qt_ui.h"
#include "testing/qt_test_support.h"

namespace orv::ui::qt {
namespace {

TEST(MoveRowTest, MovesWholeRowsWithinTheList) {
  struct Case {
    int from, to, at;
    std::vector<int> after;
  } cases[] = {
      {0, 2, 2, {1, 2, 0}}, {2, 0, 0, {2, 0, 1}}, {1, 9, 2, {0, 2, 1}},
      {1, -4, 0, {1, 0, 2}}, {1, 1, 1, {0, 1, 2}}, {3, 0, -1, {0, 1, 2}}, {-1, 0, -1, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    std::vector<int> rows{0, 1, 2};
    EXPECT_EQ(moveRow(rows, c.from, c.to), c.at) << c.from << "->" << c.to;
    EXPECT_EQ(rows, c.after) << c.from << "->" << c.to;
  }
  std::vector<int> none;
  EXPECT_EQ(moveRow(none, 0, 0), -1);
}

TEST(MoveableListTest, ADraggedRowMovesWholeAndStaysInTheList) {
  MoveableListWidget list;
  const QString longRow(120, QLatin1Char('L'));
  list.addItems({longRow, QStringLiteral("two"), QStringLiteral("three")});
  list.resize(300, 200);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  QSignalSpy moved(&list, &MoveableListWidget::rowsReordered);
  auto centre = [&](int row) { return list.visualItemRect(list.item(row)).center(); };
  QTest::mousePress(list.viewport(), Qt::LeftButton, {}, centre(0));
  QMouseEvent move(QEvent::MouseMove, QPointF(centre(2)), list.viewport()->mapToGlobal(QPointF(centre(2))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &move);
  // Below the last row the row stays last.
  const QPoint below(centre(2).x(), list.viewport()->height() - 2);
  QMouseEvent further(QEvent::MouseMove, QPointF(below), list.viewport()->mapToGlobal(QPointF(below)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &further);
  QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, below);
  ASSERT_EQ(list.count(), 3);
  EXPECT_EQ(list.item(0)->text(), "two");
  EXPECT_EQ(list.item(1)->text(), "three");
  EXPECT_EQ(list.item(2)->text(), longRow);  // all 120 characters
  EXPECT_EQ(moved.count(), 1);

  // With moving off, a drag only selects.
  list.setMoveEnabled(false);
  QTest::mousePress(list.viewport(), Qt::LeftButton, {}, centre(0));
  QMouseEvent again(QEvent::MouseMove, QPointF(centre(2)), list.viewport()->mapToGlobal(QPointF(centre(2))),
                    Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &again);
  QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, centre(2));
  EXPECT_EQ(list.item(0)->text(), "two");
  EXPECT_EQ(moved.count(), 1);
}

class Page : public PageLogic {
 public:
  Page(int field, std::vector<std::string>& log) : field_(field), log_(log) {}
  void setUp(DialogSurface& s) override {
    log_.push_back("setUp " + std::to_string(field_));
    s.setText(field_, "start");
  }
  void command(DialogSurface& s, int id) override { log_.push_back("command " + std::to_string(id) + " " + s.text(id)); }
  bool validate(DialogSurface& s) override {
    log_.push_back("validate " + s.text(field_));
    return s.text(field_) != "bad";
  }
  bool apply() override {
    log_.push_back("apply " + std::to_string(field_));
    return true;
  }
  int defaultButton(const DialogSurface& s) const override { return s.text(field_) == "add" ? 52 : 0; }

  DialogDescription description() const {
    DialogDescription d;
    d.id = field_;
    d.helpContext = field_ + 1;
    d.controls = {{0, ControlKind::label, "&Value:", 1}, {field_, ControlKind::lineEdit, "", 1},
                  {52, ControlKind::pushButton, "&Add", 1}};
    return d;
  }

 private:
  int field_;
  std::vector<std::string>& log_;
};

TEST(PropertySheetWindowTest, TabsFollowTheControllerAndOkApplies) {
  std::vector<std::string> log;
  Page first(100, log), second(200, log);
  SheetController sheet("Sheet", {{"&First", first.description(), &first, true},
                                  {"&Second", second.description(), &second, true}});
  QtUi ui;
  PropertySheetWindow w(sheet, ui, nullptr);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(w.windowTitle(), "Sheet");
  ASSERT_TRUE(w.page(0));
  EXPECT_FALSE(w.page(1));  // built when first shown
  auto* edit = qobject_cast<QLineEdit*>(w.page(0)->control(100));
  edit->clear();
  QTest::keyClicks(edit, "bad");
  EXPECT_EQ(log.back(), "command 100 bad");  // typing reaches the page
  w.tabs()->setCurrentIndex(1);
  EXPECT_EQ(w.tabs()->currentIndex(), 0);  // refused: back on the first tab
  EXPECT_FALSE(w.page(1));
  edit->setText("add");
  QTest::keyClick(edit, Qt::Key_Return);  // the page's default button
  EXPECT_EQ(log.back(), "command 52 &Add");
  EXPECT_TRUE(w.isVisible());
  edit->setText("good");
  w.tabs()->setCurrentIndex(1);
  EXPECT_EQ(sheet.current(), 1);
  ASSERT_TRUE(w.page(1));
  log.clear();
  QTest::keyClick(qobject_cast<QLineEdit*>(w.page(1)->control(200)), Qt::Key_Return);
  EXPECT_EQ(log, (std::vector<std::string>{"validate start", "apply 100", "apply 200"}));
  EXPECT_EQ(w.result(), QDialog::Accepted);
}

TEST(PropertySheetWindowTest, HelpOpensThePageInFront) {
  std::vector<std::string> log;
  Page first(100, log), second(200, log);
  SheetController sheet("Sheet", {{"&First", first.description(), &first, true},
                                  {"&Second", second.description(), &second, true}});
  std::vector<int> contexts;
  QtUi ui([&contexts](int context) { contexts.push_back(context); });
  PropertySheetWindow w(sheet, ui, nullptr);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  auto* help = w.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help);
  help->click();
  w.tabs()->setCurrentIndex(1);
  help->click();
  EXPECT_EQ(contexts, (std::vector<int>{101, 201}));

  // F1 through the application's filter: in a page's field and on the tab
  // bar, the page in front, also after going back to an earlier tab.
  HelpKeyFilter f1(ui);
  contexts.clear();
  QTest::keyClick(w.page(1)->control(200), Qt::Key_F1);
  QTest::keyClick(w.tabs()->tabBar(), Qt::Key_F1);
  w.tabs()->setCurrentIndex(0);
  QTest::keyClick(w.tabs()->tabBar(), Qt::Key_F1);
  EXPECT_EQ(contexts, (std::vector<int>{201, 201, 101}));
  EXPECT_EQ(currentHelpContext(), 101) << "a box opened from the sheet answers with the page in front";
}

TEST(PropertySheetWindowTest, EscapeOnAPageCancelsTheSheet) {
  std::vector<std::string> log;
  Page first(100, log);
  SheetController sheet("Sheet", {{"&First", first.description(), &first, true}});
  QtUi ui;
  PropertySheetWindow w(sheet, ui, nullptr);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTest::keyClick(w.page(0)->control(100), Qt::Key_Escape);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.result(), QDialog::Rejected);
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("apply", 0) == 0; }), 0);
}

}  // namespace
}  // namespace orv::ui::qt
