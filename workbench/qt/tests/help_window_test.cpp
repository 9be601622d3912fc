// The help window over the program's own pages: a context opens its page
// (at its anchor), an unknown one the contents; the contents list, the
// index with its filter and the search each open what they list.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest/QTest>

#include "testing/qt_test_support.h"
#include "workbench/app/help_topics.h"
#include "workbench/qt/help_window.h"

namespace orv::workbench {
namespace {

QString shown(const HelpWindow& w) {
  const QString fragment = w.browser()->source().fragment();
  return w.currentPage() + (fragment.isEmpty() ? QString() : "#" + fragment);
}

TEST(HelpWindow, ContextsOpenTheirPagesElseTheContents) {
  HelpWindow w(QStringLiteral(ORV_HELP_DIR));
  w.showContext(9134);
  EXPECT_EQ(shown(w), "locate_database.html#filename");
  w.showContext(app::kTechnicalSupportHelpContext);
  EXPECT_EQ(shown(w), "technical_support.html");
  w.showContext(424242);
  EXPECT_EQ(shown(w), "index.html");
  EXPECT_TRUE(w.browser()->document()->toPlainText().contains("Contents"));
  w.showPage("no_such_page.html");
  EXPECT_TRUE(w.browser()->toPlainText().contains("is not installed")) << "a missing page says so";
}

TEST(HelpWindow, ContentsIndexAndSearchOpenWhatTheyList) {
  HelpWindow w(QStringLiteral(ORV_HELP_DIR));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

  const auto pages = app::loadHelpPages(ORV_HELP_DIR);
  ASSERT_EQ(static_cast<std::size_t>(w.contentsList()->count()), app::helpContents(pages).size());
  EXPECT_EQ(w.contentsList()->count(), static_cast<int>(pages.size())) << "every page is in the contents";
  EXPECT_EQ(w.contentsList()->item(0)->text(), "Contents");
  QListWidgetItem* checkIn = w.contentsList()->findItems("Check In", Qt::MatchExactly).value(0);
  ASSERT_TRUE(checkIn);
  w.contentsList()->itemActivated(checkIn);
  EXPECT_EQ(w.currentPage(), "check_in.html");

  // The index, narrowed by what is typed.
  w.tabs()->setCurrentIndex(1);
  const int all = w.indexList()->count();
  QTest::keyClicks(w.indexFilter(), "redirector");
  ASSERT_GT(w.indexList()->count(), 0);
  EXPECT_LT(w.indexList()->count(), all);
  for (int i = 0; i < w.indexList()->count(); ++i)
    EXPECT_TRUE(w.indexList()->item(i)->text().startsWith("redirector", Qt::CaseInsensitive));
  QTest::keyClick(w.indexFilter(), Qt::Key_Return);
  EXPECT_EQ(w.currentPage(), "locate_database.html");
  w.indexFilter()->clear();
  EXPECT_EQ(w.indexList()->count(), all);

  // The search.
  w.tabs()->setCurrentIndex(2);
  QTest::keyClicks(w.searchField(), "keladm add-user");
  QTest::keyClick(w.searchField(), Qt::Key_Return);
  ASSERT_GT(w.searchResults()->count(), 0);
  QStringList titles;
  for (int i = 0; i < w.searchResults()->count(); ++i) titles << w.searchResults()->item(i)->text();
  EXPECT_TRUE(titles.contains("Locate Kelmark Database")) << titles.join(", ").toStdString();
  w.searchResults()->itemClicked(w.searchResults()->item(0));
  EXPECT_FALSE(w.currentPage().isEmpty());
  test::saveScreenshot(w, "help_window_search");

  w.searchField()->setText("zzqqxx");
  QTest::keyClick(w.searchField(), Qt::Key_Return);
  ASSERT_EQ(w.searchResults()->count(), 1);
  EXPECT_EQ(w.searchResults()->item(0)->text(), "No page holds all of these words.");

  w.tabs()->setCurrentIndex(0);
  w.showContext(6049);
  test::saveScreenshot(w, "help_window_check_in");
}

}  // namespace
}  // namespace orv::workbench
