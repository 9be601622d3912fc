// Rows that come in slices into a list kept in sort order: the end result
// is what one stable sort of all the rows gives, every row keeps its
// identity through a merge (so a selection by row follows its row), and the
// number of merges grows with the logarithm of the rows.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "workbench/views/list_columns.h"
#include "workbench/views/member_list.h"
#include "workbench/views/sorted_feed.h"

namespace orv::workbench::views {
namespace {

// Feeds rows slice by slice as the list does: each slice waits with the
// rows not yet shown, which are merged when it is time; the number of
// merges.
template <class Row, class Less>
int feedInSlices(std::vector<Row>& shown, const std::vector<Row>& all, std::size_t slice, Less less) {
  std::vector<Row> waiting;
  int merges = 0;
  for (std::size_t at = 0; at < all.size(); at += slice) {
    const std::size_t end = std::min(all.size(), at + slice);
    waiting.insert(waiting.end(), all.begin() + static_cast<long>(at), all.begin() + static_cast<long>(end));
    if (timeToMerge(shown.size(), waiting.size(), end == all.size())) {
      mergeWaitingRows(shown, std::exchange(waiting, {}), less);
      ++merges;
    }
  }
  return merges;
}

TEST(SortedFeedTest, WaitingRowsAreMergedAtAQuarterOfTheShownOnesOrAtTheEnd) {
  struct Case {
    std::size_t shown, waiting;
    bool last, merge;
  };
  for (const Case& c : {Case{0, 1, false, true}, Case{0, 0, true, false}, Case{100, 24, false, false},
                        Case{100, 25, false, true}, Case{100, 1, true, true}, Case{100, 0, false, false}})
    EXPECT_EQ(timeToMerge(c.shown, c.waiting, c.last), c.merge) << c.shown << " " << c.waiting << " " << c.last;
}

TEST(SortedFeedTest, AMergeMovesEveryRowWhole) {
  // Keys with many ties; the second field names each row.
  std::vector<std::pair<int, int>> rows = {{1, 0}, {3, 1}, {3, 2}, {7, 3}, {0, 4}, {3, 5}, {3, 6}, {9, 7}};
  const auto before = rows;
  const auto byKey = [](const auto& a, const auto& b) { return a.first < b.first; };
  const std::vector<std::size_t> place = mergeSortedTail(rows, 4, byKey);
  ASSERT_EQ(place.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(rows[place[i]], before[i]) << i;
  EXPECT_EQ(rows, (std::vector<std::pair<int, int>>{{0, 4}, {1, 0}, {3, 1}, {3, 2}, {3, 5}, {3, 6}, {7, 3}, {9, 7}}))
      << "of equal keys the rows shown before come first";
  // Nothing to merge, or nothing shown yet.
  std::vector<std::pair<int, int>> none;
  EXPECT_TRUE(mergeSortedTail(none, 0, byKey).empty());
  std::vector<std::pair<int, int>> tail = {{2, 0}, {1, 1}};
  EXPECT_EQ(mergeSortedTail(tail, 2, byKey), (std::vector<std::size_t>{0, 1}));
}

TEST(SortedFeedTest, MembersFedInSlicesEndAsOneSortOfAllOfThemInFewMerges) {
  // Member rows with names, types, revisions and lockers that tie often,
  // in the library's order; every column both ways.
  std::mt19937 random(7);
  std::vector<project::MemberRow> all;
  for (std::uint32_t i = 0; i < 20000; ++i) {
    project::MemberRow row;
    row.position = i;
    row.name = "/w/d" + std::to_string(random() % 50) + "/f" + std::to_string(random() % 1000) + ".c";
    row.type = "afis"[random() % 4];
    if (row.type != 'f') row.revision = "1." + std::to_string(random() % 30);
    if (random() % 5 == 0) row.locker = random() % 2 ? "bob" : "alice";
    row.frozen = random() % 7 == 0;
    row.changeMark = static_cast<std::uint8_t>(random() % 2);
    all.push_back(row);
  }
  for (int column = 0; column < kMemberColumnCount; ++column) {
    for (unsigned descending : {0u, kSortDescending}) {
      const unsigned key = static_cast<unsigned>(column) | descending;
      std::vector<project::MemberRow> expected = all;
      sortMemberRows(expected, key);
      for (std::size_t slice : {1u, 37u, 500u, 20000u}) {
        if (slice == 1 && column > 1) continue;  // one row a slice: two columns suffice
        std::vector<project::MemberRow> shown;
        const int merges = feedInSlices(shown, all, slice, [key](const auto& a, const auto& b) {
          return compareMemberRows(a, b, key) < 0;
        });
        ASSERT_EQ(shown.size(), expected.size());
        for (std::size_t i = 0; i < shown.size(); ++i)
          ASSERT_EQ(shown[i].position, expected[i].position) << "column " << column << " slice " << slice << " row " << i;
        // Each merge shows a quarter more rows at least.
        const double bound = 2 + std::log(20000.0 / static_cast<double>(slice)) / std::log(1.25);
        EXPECT_LE(merges, static_cast<int>(bound)) << "slice " << slice;
      }
    }
  }
}

}  // namespace
}  // namespace orv::workbench::views
