// The comparison window on screen: both sides level and in their colours,
// moving between blocks, the summary following a scroll, diffs only, copy,
// the saved listing, and the merge with its choices, edits and questions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <set>

#include "merge/qt/comparison_window.h"
#include "merge/qt/diff_list.h"
#include "merge/qt/edit_block_dialog.h"
#include "merge/qt/merge_list.h"
#include "merge/qt/tests/qt_test_support.h"
#include "platform/ui/testing/scripted_ui.h"
#include "merge/qt/vardel_ui.h"

namespace orv::merge::qt {
namespace {

using testing::fixture;
using testing::readFile;
using testing::screenshot;
using ui::testing::ScriptedUi;

struct ComparisonWindowTest : ::testing::Test {
  test::TempDir dir{"orv-mergeqt"};
  ScriptedUi ui;
  MergeSettings settings;

  std::unique_ptr<ComparisonWindow> open(const std::string& a, const std::string& b, const std::string& n1,
                                         const std::string& n2, QSize size = {1100, 640}) {
    auto diff = std::make_unique<FileDiff>(a, b);
    EXPECT_EQ(diff->result(), kReady);
    auto w = std::make_unique<ComparisonWindow>(ui, std::move(diff), n1, n2, settings);
    w->resize(size);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get(), 60000));
    return w;
  }
  std::unique_ptr<ComparisonWindow> openQueue(QSize size = {1100, 640}) {
    return open(fixture("queue_v1.c"), fixture("queue_v2.c"), "queue_v1.c", "queue_v2.c", size);
  }
  std::string file(const std::string& name, const std::string& text) {
    sys::writeWholeFile(dir.file(name), text);
    return dir.file(name);
  }
};

// The colour at the middle of a row, near the list's right edge (clear of text).
QColor rowColour(RowList* list, int row) {
  const QImage image = list->viewport()->grab().toImage();
  const int y = (row - list->topRow()) * list->rowHeight() + list->rowHeight() / 2;
  return QColor(image.pixel(image.width() - 4, y));
}

TEST_F(ComparisonWindowTest, BothSidesLevelAndInTheirColours) {
  settings.viewMode = 3;
  auto w = openQueue();
  std::set<char> kinds;
  for (const DiffBlock& b : w->diff().blocks()) kinds.insert(b.kind);
  ASSERT_EQ(kinds, (std::set<char>{'a', 'c', 'd'}));
  DiffList* one = w->list(kSide1);
  DiffList* two = w->list(kSide2);
  ASSERT_EQ(one->rowCount(), two->rowCount());
  EXPECT_TRUE(one->isVisible() && two->isVisible() && !w->list(kCombined)->isVisible());
  EXPECT_EQ(one->geometry().top(), two->geometry().top());
  EXPECT_EQ(one->viewport()->height(), two->viewport()->height());

  const QColor white(255, 255, 255), yellow(255, 255, 0), green(0, 255, 0), red(255, 0, 0);
  auto expected = [&](int cls) {
    return cls == kChanged ? yellow : cls == kAdded ? green : cls == kDeleted ? red : white;
  };
  screenshot(w.get(), "comparison_both_sides");
  // Every shown row of both sides in its colour, at the same height, from
  // the top and again with the bar moved down.
  for (int top : {0, one->rowCount() - one->visibleRows()}) {
    w->verticalBar()->setValue(top);
    ASSERT_EQ(one->topRow(), top);
    ASSERT_EQ(two->topRow(), top);
    for (int r = top; r < std::min(one->rowCount(), top + one->visibleRows()); ++r) {
      EXPECT_EQ(rowColour(one, r), expected(one->rowClass(r))) << "file 1 row " << r;
      EXPECT_EQ(rowColour(two, r), expected(two->rowClass(r))) << "file 2 row " << r;
      if (one->rowClass(r) == kChanged) {
        EXPECT_TRUE(two->rowClass(r) == kChanged || two->emptyRow(r));
      }
    }
  }
  screenshot(w.get(), "comparison_both_sides_end");
  // The names over the lists in the colours of their files.
  auto* caption1 = w->findChild<QLabel*>("caption108");
  ASSERT_NE(caption1, nullptr);
  EXPECT_EQ(caption1->text(), "queue_v1.c");
  EXPECT_EQ(caption1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

TEST_F(ComparisonWindowTest, SummaryAndMovingBetweenBlocks) {
  auto w = openQueue();
  QComboBox* summary = w->summaryBox();
  ASSERT_EQ(summary->count(), 4);
  EXPECT_EQ(summary->itemText(0), "Delete line 3 [queue_v1.c]");
  EXPECT_EQ(summary->itemText(1), "Change line 15 [queue_v1.c] to lines 14 - 18 [queue_v2.c]");
  EXPECT_EQ(summary->itemText(3), "Add lines 48 - 52 [queue_v2.c] after line 47 [queue_v1.c]");
  EXPECT_EQ(w->statusText(), " 4 Differences");

  auto* next = w->findChild<QToolButton*>("button101");
  auto* previous = w->findChild<QToolButton*>("button100");
  QTest::mouseClick(previous, Qt::LeftButton);  // no block yet: nothing happens
  EXPECT_EQ(w->currentBlock(), -1);
  for (int expected : {0, 1, 2, 3, 3}) {
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(w->currentBlock(), expected);
    EXPECT_EQ(summary->currentIndex(), expected);
    for (int side : {kSide1, kSide2, kCombined}) {
      DiffList* l = w->list(side);
      const int row = l->view().blockRows()[static_cast<std::size_t>(expected)];
      EXPECT_EQ(l->caretRow(), row) << side;
      EXPECT_TRUE(row >= l->topRow() && row < l->topRow() + l->visibleRows()) << side;
    }
  }
  for (int expected : {2, 1, 0, 0}) {
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(w->currentBlock(), expected);
  }
}

TEST_F(ComparisonWindowTest, ScrollingMovesTheSummaryToTheBlockComingIntoView) {
  auto w = openQueue({700, 260});
  DiffList* one = w->list(kSide1);
  ASSERT_LT(one->visibleRows(), one->rowCount());
  one->setFocus();
  int reported = -1, lineDowns = 0;
  while (one->topRow() < one->rowCount() - one->visibleRows()) {
    QTest::keyClick(one, Qt::Key_Down);
    ++lineDowns;
    const int incoming = one->topRow() + one->visibleRows() - 1;
    const int block = one->blockOfRow(incoming);
    if (block >= 0) reported = block;
    // Common rows coming in leave the summary where it was.
    EXPECT_EQ(w->summaryBox()->currentIndex(), reported) << "after " << lineDowns << " lines";
    EXPECT_EQ(w->list(kSide2)->topRow(), one->topRow());
    EXPECT_EQ(w->verticalBar()->value(), one->topRow());
  }
  EXPECT_EQ(reported, 3);
  // The horizontal bar reaches the end of the widest list and moves both
  // lists on show sideways (each as far as its own rows go).
  QScrollBar* across = w->findChild<QScrollBar*>("bar103");
  ASSERT_GT(across->maximum(), 0);
  across->setValue(across->maximum());
  int widest = 0;
  for (int side : {kSide1, kSide2}) {
    QScrollBar* own = w->list(side)->horizontalScrollBar();
    EXPECT_EQ(own->value(), std::min(across->maximum(), own->maximum())) << side;
    widest = std::max(widest, own->value());
  }
  EXPECT_EQ(widest, across->maximum());
}

TEST_F(ComparisonWindowTest, DiffsOnlyRebuildsAndKeepsTheBlock) {
  settings.lineNumbers = true;
  auto w = openQueue();
  w->showBlock(2);
  const int all = w->list(kSide1)->rowCount();
  w->setCommonLines(false);
  DiffList* one = w->list(kSide1);
  EXPECT_LT(one->rowCount(), all);
  for (int r = 0; r < one->rowCount(); ++r) EXPECT_NE(one->rowClass(r), kNormal) << r;
  EXPECT_EQ(w->currentBlock(), 2);
  EXPECT_EQ(one->caretRow(), one->view().blockRows()[2]);
  w->setViewMode(0);
  QCoreApplication::processEvents();
  // File 1 alone takes the width up to the bar.
  EXPECT_GE(one->geometry().right() + 4, w->verticalBar()->geometry().left());
  screenshot(w.get(), "difference_list_file1_diffs_only");
  w->setCommonLines(true);
  EXPECT_EQ(one->rowCount(), all);
  EXPECT_EQ(one->caretRow(), one->view().blockRows()[2]);
  // File 2's own numbers on its side, also after the blocks that moved them.
  w->setViewMode(1);
  DiffList* two = w->list(kSide2);
  EXPECT_EQ(two->rowText(two->rowCount() - 1), "00053:}");
  // Tabs stop at every eighth column of the text, after the prefix.
  EXPECT_EQ(two->rowText(13), "00013:" + QString(16, ' ') + "return NULL;");
  w->setViewMode(2);
  w->showBlock(1);
  screenshot(w.get(), "difference_list_combined");
}

TEST_F(ComparisonWindowTest, CopiesTheSelectedRange) {
  auto w = openQueue();
  QApplication::clipboard()->setText("before");
  w->copy();  // nothing selected
  EXPECT_EQ(QApplication::clipboard()->text(), "before");
  DiffList* one = w->list(kSide1);
  const int h = one->rowHeight();
  QTest::mouseClick(one->viewport(), Qt::LeftButton, {}, QPoint(30, h / 2));
  QTest::mouseClick(one->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(30, 2 * h + h / 2));
  w->copy();
  EXPECT_EQ(QApplication::clipboard()->text(), "/* A bounded queue of integers. */\n#include <stdlib.h>\n#include <string.h>\n");
}

TEST_F(ComparisonWindowTest, SavesTheListingOfTheListOnShow) {
  settings.viewMode = 1;
  settings.saveFormat = 2;
  auto w = open(file("a", "x\nb\nc\n"), file("b", "y\nb\n"), "one", "two");
  const std::string out = dir.file("listing.txt");
  ui.expectFiles("Save Diffs As", {out});
  ASSERT_TRUE(w->saveAs());
  EXPECT_EQ(readFile(out),
            "/* ***** Change line 1 [one] to line 1 [two]  BEGINS ***** */ \ny\n"
            "/* ***** Change line 1 [one] to line 1 [two]  ENDS   ***** */ \nb\n");
  ui.expectMessage("Cannot write to " + dir.file("no/such.txt"), ui::kAnswerOk);
  EXPECT_FALSE(w->saveDifferences(dir.file("no/such.txt")));
}

TEST_F(ComparisonWindowTest, MergeTakesEachSideWhole) {
  settings.saveFormat = 2;
  for (int command : {kAllFile1Blocks, kAllFile2Blocks}) {
    auto w = openQueue();
    ASSERT_TRUE(w->setMerging(true));
    ASSERT_NE(w->mergeList(), nullptr);
    EXPECT_TRUE(w->mergeCommand(command));
    const std::string out = dir.file("merged.c");
    ASSERT_TRUE(w->saveMerge(out));
    EXPECT_EQ(readFile(out), readFile(fixture(command == kAllFile1Blocks ? "queue_v1.c" : "queue_v2.c")));
    EXPECT_TRUE(w->setMerging(false));  // saved: no question
  }
}

TEST_F(ComparisonWindowTest, ClicksChooseBlocksAndTheMergeShowsThem) {
  settings.viewMode = 3;
  settings.lineNumbers = true;
  auto w = openQueue({1100, 760});
  ASSERT_TRUE(w->setMerging(true));
  DiffList* one = w->list(kSide1);
  DiffList* two = w->list(kSide2);
  const MergeModel& model = *w->mergeModel();
  auto blockRows = [&](int block) {
    std::vector<std::string> out;
    const int marker = w->mergeList()->markerRow(block);
    for (std::size_t i = static_cast<std::size_t>(marker) + 1;
         i < model.rows().size() && model.rows()[i].rowClass != kMarkerRow && model.rows()[i].line.blockIndex == block;
         ++i)
      out.push_back(model.rows()[i].line.text);
    return out;
  };
  auto click = [&](DiffList* l, int row, Qt::KeyboardModifiers m = {}) {
    l->showRow(row);
    QTest::mouseClick(l->viewport(), Qt::LeftButton, m, QPoint(40, (row - l->topRow()) * l->rowHeight() + 3));
  };
  // Block 1 (a change): file 2's lines, then file 1's added in front of them.
  click(two, two->view().blockRows()[1]);
  EXPECT_EQ(blockRows(1).size(), 5u);
  EXPECT_EQ(w->currentBlock(), 1);
  click(one, one->view().blockRows()[1], Qt::ControlModifier);
  EXPECT_EQ(blockRows(1).front(), "\tq->items = malloc(capacity * sizeof *q->items);");
  EXPECT_EQ(blockRows(1).size(), 6u);
  // Block 3 (added lines): file 2's; then its empty row on side 1 clears it.
  click(two, two->view().blockRows()[3]);
  EXPECT_EQ(blockRows(3).size(), 5u);
  click(one, one->view().blockRows()[3]);
  EXPECT_TRUE(blockRows(3).empty());
  click(two, two->view().blockRows()[3]);
  // Block 0 (a deletion): file 1 keeps the line.
  w->showBlock(0);
  EXPECT_TRUE(w->mergeCommand(kSelectFile1Block));
  EXPECT_EQ(blockRows(0), (std::vector<std::string>{"#include <string.h>"}));
  EXPECT_TRUE(model.modified());
  w->showBlock(1);
  screenshot(w.get(), "merge_some_blocks_taken");
}

TEST_F(ComparisonWindowTest, EditedBlocksAskBeforeTheyGo) {
  auto w = openQueue({1000, 700});
  ASSERT_TRUE(w->setMerging(true));
  MergeList* merge = w->mergeList();
  const MergeModel& model = *w->mergeModel();
  w->showBlock(1);
  const int marker = merge->markerRow(1);
  // A double click edits the block in the Edit Block dialog.
  std::string shot;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<EditBlockDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QPlainTextEdit*>("edit101")->setPlainText("first\nsecond");
    shot = screenshot(dialog, "edit_block_dialog");
    dialog->accept();
  });
  QTest::mouseDClick(merge->viewport(), Qt::LeftButton, {},
                     QPoint(40, (marker - merge->topRow()) * merge->rowHeight() + 3));
  ASSERT_FALSE(shot.empty());
  ASSERT_EQ(model.rows()[static_cast<std::size_t>(marker) + 1].line.text, "first");
  EXPECT_EQ(model.rows()[static_cast<std::size_t>(marker) + 2].line.text, "second");
  EXPECT_EQ(model.rows()[static_cast<std::size_t>(marker) + 3].rowClass, kCommonRow);
  screenshot(w.get(), "merge_edited_block");

  // Delete on an edited row: No keeps it, Yes removes the whole edit.
  merge->showRow(marker + 1);
  merge->setFocus();
  ui.expectMessage("Delete Edited block?", ui::kAnswerNo);
  QTest::keyClick(merge, Qt::Key_Delete);
  EXPECT_EQ(model.rows()[static_cast<std::size_t>(marker) + 1].line.text, "first");
  ui.expectMessage("Delete Edited block?", ui::kAnswerYes);
  QTest::keyClick(merge, Qt::Key_Delete);
  EXPECT_EQ(model.rows()[static_cast<std::size_t>(marker) + 1].rowClass, kCommonRow);

  // A modified merge asks on close; a cancelled save keeps the window.
  ui.expectMessage("The merged file has been modified.\nDo you wish to save it?", ui::kAnswerYes);
  ui.expectFiles("Save Merged File As", {});
  EXPECT_FALSE(w->close());
  ui.expectMessage("The merged file has been modified.", ui::kAnswerNo);
  EXPECT_TRUE(w->close());
}

}  // namespace
}  // namespace orv::merge::qt
