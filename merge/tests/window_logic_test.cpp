// The comparison window's logic without a window, as tables.
#include <gtest/gtest.h>

#include "merge/file_diff.h"
#include "merge/window_logic.h"

namespace {

using namespace orv::merge;

TEST(WindowLogic, StatusAndNavigation) {
  EXPECT_EQ(statusText(1), " 1 Difference ");
  EXPECT_EQ(statusText(12), " 12 Differences");
  struct Case {
    int current, blocks, next, previous;
  } cases[] = {{-1, 3, 0, -1}, {0, 3, 1, 0}, {1, 3, 2, 0}, {2, 3, 2, 1}, {-1, 0, -1, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(nextBlock(c.current, c.blocks), c.next) << c.current;
    EXPECT_EQ(previousBlock(c.current, c.blocks), c.previous) << c.current;
  }
}

TEST(WindowLogic, ScrollPercentAndBack) {
  struct Case {
    int top, rows, visible, percent;
  } cases[] = {{0, 10, 20, 100}, {0, 100, 20, 0}, {80, 100, 20, 100}, {40, 100, 20, 49}, {1, 1000, 10, 0}};
  for (const Case& c : cases) EXPECT_EQ(scrollPercent(c.top, c.rows, c.visible), c.percent) << c.top;
  // Every row of a long list is reachable by dragging the bar.
  EXPECT_EQ(rowForPercent(100, 5000, 40), 4960);
  EXPECT_EQ(rowForPercent(50, 5000, 40), 2480);
  EXPECT_EQ(rowForPercent(0, 5000, 40), 0);
  EXPECT_EQ(rowForPercent(50, 10, 20), 0);
  struct Scroll {
    ScrollCode code;
    int top, thumb, row;
  } scrolls[] = {{ScrollCode::LineUp, 10, 0, 9},    {ScrollCode::LineDown, 10, 0, 30},  {ScrollCode::PageUp, 10, 0, 0},
                 {ScrollCode::PageDown, 10, 0, 49}, {ScrollCode::PageDown, 90, 0, 99}, {ScrollCode::Thumb, 0, 57, 57},
                 {ScrollCode::LineUp, 0, 0, 0}};
  for (const Scroll& s : scrolls) EXPECT_EQ(rowComingIntoView(s.code, s.top, 20, 100, s.thumb), s.row) << s.top;
  EXPECT_EQ(displayedListId(0), 105);
  EXPECT_EQ(displayedListId(3), 105);
  EXPECT_EQ(displayedListId(1), 106);
  EXPECT_EQ(displayedListId(2), 111);
}

TEST(WindowLogic, CaptionAndResultReports) {
  EXPECT_EQ(comparisonCaption("Revision 1.3", "/tmp/T", "", "/src/w.c"), "Revision 1.3 : w.c");
  EXPECT_EQ(comparisonCaption("", "a:b/x", "", "c\\y"), "x : y");
  struct Case {
    int result;
    const char* text;
    bool yesNo;
  } cases[] = {
      {kNoTemporaryFile, "File open failed.", false},
      {kReadFailure, "File read failed. Unknown Error.", false},
      {kBinaryInput, "Cannot difference binary files.", false},
      {kNoDifferences, "No difference between the files.", false},
      {kDifferTrouble, "insufficient memory (try diff -h)\n\nOkay to continue?", true},
      {kOutOfMemory, "Cannot allocate memory!\nOK to proceed?", true},
      {-3, "Window is invalid : Error Code -3.\nOK to proceed?", true},
  };
  for (const Case& c : cases) {
    const ResultReport r = resultReport(c.result, "insufficient memory (try diff -h)\n");
    EXPECT_EQ(r.text, c.text);
    EXPECT_EQ(r.askYesNo, c.yesNo);
  }
  EXPECT_EQ(resultReport(kDifferTrouble, std::string(150, 'x')).text, std::string(119, 'x'));
}

}  // namespace
