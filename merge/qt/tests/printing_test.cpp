// Printing to PDF read back with poppler's tools, and Select Colors with
// the colours written at exit.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QPrinter>
#include <QProcess>
#include <QTest>

#include "merge/qt/colour_dialog.h"
#include "merge/qt/comparison_window.h"
#include "merge/qt/diff_list.h"
#include "merge/print_plan.h"
#include "platform/profile/profile.h"
#include "merge/qt/tests/qt_test_support.h"
#include "testing/qt_test_support.h"
#include "platform/ui/testing/scripted_ui.h"
#include "merge/qt/vardel_frame.h"
#include "merge/qt/vardel_ui.h"
#include "merge/option_dialogs.h"
#include "platform/ui/qt/dialog_window.h"

namespace orv::merge::qt {
namespace {

QString run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(Printing, OneRowMoreThanAPageGivesTwoPages) {
  test::TempDir dir{"orv-vardel-print"};
  ui::testing::ScriptedUi ui;
  VardelFrame frame(ui, dir.file("vardel.ini"));
  QPrinter& printer = frame.printer();
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QFont font = QFont(listFont(frame.settings().font), &printer);
  const int h = QFontMetrics(font, &printer).height();
  const int rows = planPages(Printout::List, printer.pageLayout().paintRectPixels(printer.resolution()).height(), h, 1)
                       .rowsPerPage;
  for (int extra : {0, 1}) {
    std::string a = "changed\n", b = "CHANGED\n";
    for (int i = 1; i < rows + extra; ++i) a += "line " + std::to_string(i) + "\n";
    for (int i = 1; i < rows + extra; ++i) b += "line " + std::to_string(i) + "\n";
    sys::writeWholeFile(dir.file("a.c"), a);
    sys::writeWholeFile(dir.file("b.c"), b);
    ComparisonWindow* w = frame.compare(dir.file("a.c"), dir.file("b.c"), "", "", 0, false, false);
    ASSERT_NE(w, nullptr);
    const std::string pdf = dir.file("out" + std::to_string(extra) + ".pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    EXPECT_EQ(w->print(printer, false), 1 + extra);
    EXPECT_TRUE(run("pdfinfo", {QString::fromStdString(pdf)}).contains(QRegularExpression("Pages:\\s+" + QString::number(1 + extra))));
    const QString text = run("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    EXPECT_TRUE(text.contains("Page: " + QString::number(1 + extra)));
    EXPECT_TRUE(text.contains("[ a.c : b.c ]"));
    for (const char* label : {"Changed Text", "Added Text", "Deleted Text", "File 1 Text", "File 2 Text", "Normal Text"})
      EXPECT_TRUE(text.contains(label)) << label;
    if (extra) {
      const std::string png = std::string(MERGE_QT_SCREENSHOTS) + "/printed_page";
      run("pdftoppm", {"-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile", QString::fromStdString(pdf),
                       QString::fromStdString(png)});
      QImage page(QString::fromStdString(png + ".png"));
      ASSERT_FALSE(page.isNull());
      bool yellow = false;
      for (int y = 0; y < page.height() / 4 && !yellow; ++y)
        for (int x = 0; x < page.width() && !yellow; ++x) yellow = page.pixelColor(x, y) == QColor(255, 255, 0);
      EXPECT_TRUE(yellow);
    }
    w->parentWidget()->close();
  }
}

TEST(SelectColors, ChangedColoursAreWrittenAtExitAllSix) {
  test::TempDir dir{"orv-vardel-colours"};
  ui::testing::ScriptedUi ui;
  const std::string ini = dir.file("vardel.ini");
  auto frame = std::make_unique<VardelFrame>(ui, ini);
  test::onNextModal([](QWidget* modal) {
    auto* d = qobject_cast<ColourDialog*>(modal);
    ASSERT_NE(d, nullptr);
    QTest::mouseClick(d->kindButton(1), Qt::LeftButton);
    QTest::mouseClick(d->swatch(9), Qt::LeftButton);
    QTest::mouseClick(d->swatch(0), Qt::RightButton);
    testing::screenshot(d, "select_colors");
    d->accept();
  });
  EXPECT_TRUE(frame->chooseColours());
  EXPECT_EQ(profile::getProfileString(ini, "Colours", "CHANGED_LINES", "none"), "none");  // not before exit
  EXPECT_TRUE(frame->close());
  frame.reset();
  EXPECT_EQ(profile::getProfileString(ini, "Colours", "CHANGED_LINES", ""), "255,0");
  EXPECT_EQ(profile::getProfileString(ini, "Colours", "NORMAL_LINES", ""), "0,16777215");
  EXPECT_EQ(profile::getProfileString(ini, "Colours", "FILE1_LINES", ""), "16711680,12632256");
  for (const char* key : {"ADDED_LINES", "DELETED_LINES", "FILE2_LINES"})
    EXPECT_NE(profile::getProfileString(ini, "Colours", key, ""), "") << key;
}

}  // namespace
}  // namespace orv::merge::qt

namespace orv::merge::qt {
namespace {

// The dialogs on screen: the seam's builder for Compare Files and
// Comments, the font dialog; their choices reach vardel.ini.
TEST(OptionDialogsOnScreen, CompareFilesCommentsAndFont) {
  test::TempDir dir{"orv-vardel-dialogs"};
  VardelUi ui;
  const std::string ini = dir.file("vardel.ini");
  auto frame = std::make_unique<VardelFrame>(ui, ini);
  ui.setParent(frame.get());
  test::onNextModal([&](QWidget* modal) {
    auto* d = qobject_cast<ui::qt::DialogWindow*>(modal);
    ASSERT_NE(d, nullptr);
    qobject_cast<QComboBox*>(d->control(kFile2Box))->setEditText(QString::fromStdString(testing::fixture("queue_v2.c")));
    testing::screenshot(d, "compare_files");
    QTest::mouseClick(qobject_cast<QPushButton*>(d->control(ui::kAnswerOk)), Qt::LeftButton);
  });
  frame->compareCommand(testing::fixture("queue_v1.c"));
  EXPECT_EQ(frame->comparisonCount(), 1);

  test::onNextModal([&](QWidget* modal) {
    auto* d = qobject_cast<ui::qt::DialogWindow*>(modal);
    ASSERT_NE(d, nullptr);
    qobject_cast<QLineEdit*>(d->control(kCommentBeginEdit))->setText("//");
    qobject_cast<QLineEdit*>(d->control(kCommentEndEdit))->setText("");
    testing::screenshot(d, "comments");
    QTest::mouseClick(qobject_cast<QPushButton*>(d->control(ui::kAnswerOk)), Qt::LeftButton);
  });
  EXPECT_TRUE(frame->editComments());
  EXPECT_EQ(profile::getProfileString(ini, "Options", "CommentBegin", ""), "//");

  test::onNextModal([&](QWidget* modal) {
    auto* d = qobject_cast<QFontDialog*>(modal);
    ASSERT_NE(d, nullptr);
    QFont f("DejaVu Sans Mono");
    f.setPixelSize(17);
    f.setItalic(true);
    d->setCurrentFont(f);
    testing::screenshot(d, "font");
    QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
  });
  EXPECT_TRUE(frame->chooseFont());
  EXPECT_TRUE(frame->close());
  frame.reset();
  const FontSpec font = loadSettings(ini).font;
  EXPECT_FALSE(font.system);
  EXPECT_EQ(font.face, "DejaVu Sans Mono");
  EXPECT_EQ(font.italic, 1);
  EXPECT_LT(font.height, 0);
  EXPECT_EQ(loadSettings(ini).commentEnd, "");
}

}  // namespace
}  // namespace orv::merge::qt
