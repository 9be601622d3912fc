// The report lists' columns without a display: the stored order, widths
// and sort key and their round trip, where a dragged title lands, the sort
// key a title click gives, fitted cell texts, the two comparisons, and the
// splitter's geometry.
#include <gtest/gtest.h>

#include "platform/profile/profile.h"
#include "testing/temp_dir.h"
#include "workbench/views/list_columns.h"
#include "workbench/views/revision_list.h"
#include "workbench/views/split_bar.h"

namespace orv::workbench::views {
namespace {

class ListColumnsTest : public ::testing::Test {
 protected:
  void store(const char* key, const std::string& value) {
    ASSERT_EQ(profile::writeProfileString(ini, "Archive Window", key, value.c_str()), 0);
  }
  std::string stored(const char* key) { return profile::getProfileString(ini, "Archive Window", key, "<none>"); }
  ListColumns columns() { return ListColumns(ini, "Archive Window", kRevisionColumnCount, kRevisionColumnDefaults); }
  static std::vector<int> widths(const ListColumns& c) {
    std::vector<int> out;
    for (int p = 0; p < c.count(); ++p) out.push_back(c.width(p));
    return out;
  }
  static std::vector<int> order(const ListColumns& c) {
    std::vector<int> out;
    for (int p = 0; p < c.count(); ++p) out.push_back(c.logical(p));
    return out;
  }

  test::TempDir dir{"orv-views"};
  std::string ini = dir.file("ORVTY.INI");
};

TEST(ColumnListTest, ParsedLeftToRightUntilNoCommaFollows) {
  struct Case {
    const char* text;
    std::vector<int> want;
  } cases[] = {
      {"60,60,128,60,50,200", {60, 60, 128, 60, 50, 200}},
      {"10,300", {10, 300, 0, 0, 0, 0}},
      {"1,2;3,4", {1, 2, 0, 0, 0, 0}},
      {"x,5", {0, 0, 0, 0, 0, 0}},  // no number: the list ends
      {"", {0, 0, 0, 0, 0, 0}},
      {"1,2,3,4,5,6,7,8", {1, 2, 3, 4, 5, 6}},
  };
  for (const auto& c : cases) EXPECT_EQ(parseColumnList(c.text, 6), c.want) << c.text;
  EXPECT_EQ(joinColumnList({3, 0, 1}), "3,0,1");
}

TEST_F(ListColumnsTest, StoredSettingsAndTheirFallbacks) {
  auto c = columns();
  EXPECT_EQ(widths(c), (std::vector<int>{60, 60, 128, 60, 50, 200}));
  EXPECT_EQ(order(c), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(c.sortKey(), 0u);
  EXPECT_FALSE(c.widthsStored());

  store("ColumnWidths", "10,300");
  store("FieldOrder", "5,4,3,2,1,0");
  store("SortKey", "65541");
  c = columns();
  EXPECT_EQ(widths(c), (std::vector<int>{26, 300, 26, 26, 26, 26})) << "no column narrower than 26";
  EXPECT_TRUE(c.widthsStored());
  EXPECT_EQ(order(c), (std::vector<int>{5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(c.position(5), 0);
  EXPECT_EQ(c.offset(5), 0);
  EXPECT_EQ(c.offset(4), 26);
  EXPECT_EQ(c.offset(0), 26 + 300 + 26 * 3);
  EXPECT_EQ(sortColumn(c.sortKey()), 5);
  EXPECT_TRUE(sortDescending(c.sortKey()));

  // An order that names a column twice, or one past the last, is not used.
  for (const char* bad : {"3", "0,1,2,3,4,4", "0,1,2,3,4,9"}) {
    store("FieldOrder", bad);
    EXPECT_EQ(order(columns()), (std::vector<int>{0, 1, 2, 3, 4, 5})) << bad;
  }
}

TEST_F(ListColumnsTest, MovesWidthsAndSortKeyAreStoredAndReadBack) {
  auto c = columns();
  // A title dragged to the far left becomes the first, the former first
  // the second.
  ASSERT_EQ(c.moveColumn(3, 0), 0);
  EXPECT_EQ(stored("FieldOrder"), "3,0,1,2,4,5");
  EXPECT_EQ(stored("ColumnWidths"), "60,60,60,128,50,200");
  ASSERT_EQ(c.moveColumn(1, 5), 0);
  EXPECT_EQ(stored("FieldOrder"), "3,1,2,4,5,0");
  ASSERT_EQ(c.setWidth(2, 10), 0);
  EXPECT_EQ(stored("ColumnWidths"), "60,60,26,50,200,60");
  c.clickTitle(5);
  c.clickTitle(5);
  ASSERT_EQ(c.saveSortKey(), 0);
  EXPECT_EQ(stored("SortKey"), "65541") << "descending on the Labels column";

  const auto back = columns();
  EXPECT_EQ(order(back), order(c));
  EXPECT_EQ(widths(back), widths(c));
  EXPECT_EQ(back.sortKey(), 65541u);
  for (int column = 0; column < 6; ++column) EXPECT_EQ(back.offset(column), c.offset(column)) << column;
}

TEST_F(ListColumnsTest, TitleDropsLandOnTheColumnUnderThePointer) {
  const auto c = columns();  // 60,60,128,60,50,200: right edges 60,120,248,308,358,558
  struct Case {
    int x, position;
  } cases[] = {{-40, 0}, {0, 0}, {59, 0}, {60, 1}, {247, 2}, {357, 4}, {557, 5}, {558, 5}, {5000, 5}};
  for (const auto& k : cases) EXPECT_EQ(c.dropPosition(k.x), k.position) << k.x;
}

TEST(SortKeyTest, AClickChoosesTheColumnAndASecondReversesIt) {
  EXPECT_EQ(sortKeyAfterClick(0, 2), 2u);
  EXPECT_EQ(sortKeyAfterClick(2, 2), 2u | kSortDescending);
  EXPECT_EQ(sortKeyAfterClick(2u | kSortDescending, 2), 2u);
  EXPECT_EQ(sortKeyAfterClick(2u | kSortDescending, 0), 0u) << "a new column ascends";
}

TEST(CompareTest, RevisionNumbersAndPaths) {
  struct Case {
    const char* a;
    const char* b;
    int want;
  };
  for (const Case& c : {Case{"1.2", "1.2", 0}, Case{"1.2", "1.10", -1}, Case{"1.10", "1.9", 1},
                        Case{"1.2", "1.2.1.1", -1}, Case{"1.2.1.1", "1.2", 1}, Case{"2.1", "1.9", 1},
                        Case{"1.02", "1.2", 0}, Case{"1.19", "1.20", -1}, Case{"2.1.1.30", "2.1.1.29", 1},
                        Case{"1.5.1.9", "1.6.1.1", -1}, Case{"1.x9", "1.x8", 0}})
    EXPECT_EQ(compareRevisionNumbers(c.a, c.b), c.want) << c.a << " " << c.b;
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const Case& c : {Case{"src/a.c", "SRC/A.C", 0}, Case{"src/z.c", "src/lib/a.c", -1},
                        Case{"src/lib/a.c", "src/z.c", 1}, Case{"src/a.c", "src/b.c", -1},
                        Case{"ab/x.c", "b/x.c", -1}, Case{"lib/b.c", "lib/a.c", 1}})
    EXPECT_EQ(sign(comparePaths(c.a, c.b)), c.want) << c.a << " " << c.b;
}

TEST(CellTextTest, FittedToTheCellLessFourPixels) {
  const app::MeasureText measure = [](std::string_view t) { return static_cast<int>(t.size()); };
  EXPECT_EQ(fitCellText("", 100, measure), "");
  EXPECT_EQ(fitCellText("revision", 12, measure), "revision");
  EXPECT_EQ(fitCellText("revision", 11, measure), "revi...");
  EXPECT_EQ(fitCellText("revision", 7, measure), "");
  EXPECT_EQ(fitCellText(std::string(600, 'x'), 1000, measure), std::string(531, 'x'));
  // A path loses its middle first, then its end.
  EXPECT_EQ(fitCellText("/home/alice/src/lib/main.c", 24, measure, true), "/.../src/lib/main.c");
  EXPECT_EQ(fitCellText("/home/alice/src/lib/main.c", 10, measure, true), "main.c");
  EXPECT_EQ(fitCellText("/home/alice/src/lib/main.c", 8, measure, true), "m...");
}

TEST(SplitBarTest, IdsPanesAndTravel) {
  const int good[] = {1, -1, 4, -1};
  const auto groups = parseSplitIds(good);
  ASSERT_TRUE(groups);
  EXPECT_EQ(groups->leading, std::vector<int>{1});
  EXPECT_EQ(groups->trailing, std::vector<int>{4});
  const int noSeparator[] = {1, 4};
  const int emptyLeading[] = {-1, 4, -1};
  const int emptyTrailing[] = {1, -1, -1};
  EXPECT_FALSE(parseSplitIds(noSeparator));
  EXPECT_FALSE(parseSplitIds(emptyLeading));
  EXPECT_FALSE(parseSplitIds(emptyTrailing));

  const SplitPanes panes{{{0, 0, 300, 200}}, {{0, 205, 300, 60}}, {0, 200, 300, 4}};
  const SplitPanes down = applySplit(panes, true, 10);
  EXPECT_EQ(down.leading[0], (Rect{0, 0, 300, 210}));
  EXPECT_EQ(down.trailing[0], (Rect{0, 215, 300, 50}));
  EXPECT_EQ(down.bar, (Rect{0, 210, 300, 4}));
  EXPECT_EQ(applySplit(panes, true, 0).leading, panes.leading) << "a click moves nothing";
  EXPECT_EQ(applySplit(panes, false, -20).leading[0], (Rect{0, 0, 280, 200}));
  EXPECT_EQ(confineTravel(10, true, panes), 10);
  EXPECT_EQ(confineTravel(500, true, panes), 60) << "the lower pane ends empty, not negative";
  EXPECT_EQ(confineTravel(-500, true, panes), -200);
}

}  // namespace
}  // namespace orv::workbench::views
