// Tests of the difference list rows: padding of changes, empty rows for the
// other file's lines, common lines hidden, both file sides level row for row
// over random pairs, block rows, the selected text, and the saved listing
// (golden texts for each side, the first block framed like the others).
#include <gtest/gtest.h>

#include <random>

#include "merge/diff_view.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

namespace {

using namespace orv::merge;

struct DiffViewTest : ::testing::Test {
  orv::test::TempDir d{"orv-diffview"};
  std::string file(const std::string& name, const std::string& text) {
    const std::string p = d.path() + "/" + name;
    orv::sys::writeWholeFile(p, text);
    return p;
  }
};

// "class:text" per row ("6:" for an empty row).
std::string shape(const DiffView& v) {
  std::string s;
  for (const ViewRow& r : v.rows())
    s += (s.empty() ? "" : " ") + std::to_string(r.viewClass) + ":" + (r.line ? r.line->text : "");
  return s;
}

TEST_F(DiffViewTest, RowsOfEachSide) {
  // A change of 1 line against 3, then a deletion, then an addition.
  FileDiff f(file("a", "k\nc\nm\ndel\nn\n"), file("b", "k\nC1\nC2\nC3\nm\nn\nadd\n"));
  ASSERT_EQ(f.result(), kReady);
  EXPECT_EQ(shape(DiffView(f, kSide1, true)), "0:k 1:c 6: 6: 0:m 3:del 0:n 6:");
  EXPECT_EQ(shape(DiffView(f, kSide2, true)), "0:k 1:C1 1:C2 1:C3 0:m 6: 0:n 2:add");
  EXPECT_EQ(shape(DiffView(f, kSide1, false)), "1:c 6: 6: 3:del 6:");
  EXPECT_EQ(shape(DiffView(f, kCombined, true)), "0:k 4:c 5:C1 5:C2 5:C3 0:m 4:del 0:n 5:add");
  const DiffView one(f, kSide1, true), two(f, kSide2, true);
  EXPECT_EQ(one.blockRows(), (std::vector<int>{1, 5, 7}));
  EXPECT_EQ(two.blockRows(), (std::vector<int>{1, 5, 7}));
  // Each file side numbers its rows in its own file, common lines too.
  auto numbers = [](const DiffView& v) {
    std::vector<int> n;
    for (const ViewRow& r : v.rows()) n.push_back(r.line ? r.number : 0);
    return n;
  };
  EXPECT_EQ(numbers(one), (std::vector<int>{1, 2, 0, 0, 3, 4, 5, 0}));
  EXPECT_EQ(numbers(two), (std::vector<int>{1, 2, 3, 4, 5, 0, 6, 7}));
  EXPECT_EQ(numbers(DiffView(f, kSide2, false)), (std::vector<int>{2, 3, 4, 0, 7}));
}

std::string randomText(std::mt19937& rng) {
  static const char* pool[] = {"a", "b", "c", "", "x y"};
  std::string s;
  for (int n = 1 + static_cast<int>(rng() % 15); n > 0; --n) s += std::string(pool[rng() % 5]) + "\n";
  return s;
}

TEST_F(DiffViewTest, FileSidesStayLevel) {
  std::mt19937 rng(99);
  for (int round = 0; round < 200; ++round) {
    FileDiff f(file("a", randomText(rng)), file("b", randomText(rng)));
    if (f.result() != kReady) continue;
    for (bool common : {true, false}) {
      const DiffView one(f, kSide1, common), two(f, kSide2, common);
      ASSERT_EQ(one.rows().size(), two.rows().size()) << round;
      for (std::size_t i = 0; i < one.rows().size(); ++i)
        EXPECT_EQ(one.rows()[i].block, two.rows()[i].block) << round << " row " << i;
      for (const DiffView* v : {&one, &two})
        for (int b = 0; b < f.blockCount(); ++b) {
          const int row = v->blockRows()[static_cast<std::size_t>(b)];
          ASSERT_GE(row, 0);
          EXPECT_EQ(v->rows()[static_cast<std::size_t>(row)].block, b);
        }
    }
  }
}

TEST_F(DiffViewTest, SelectedTextAndListings) {
  FileDiff f(file("a", "x\nb\nc\n"), file("b", "y\nb\n"));
  ASSERT_EQ(f.result(), kReady);
  DiffView combined(f, kCombined, true);
  combined.rows()[0].selected = combined.rows()[1].selected = true;
  EXPECT_EQ(combined.selectedText(), "x\ny\n");
  EXPECT_EQ(combined.listing("one", "two", 2, "/*", "*/"),
            "/* ***** Change line 1 [one] to line 1 [two]  BEGINS ***** */ \nx\n/* ===== two ===== */\ny\n"
            "/* ***** Change line 1 [one] to line 1 [two]  ENDS   ***** */ \nb\n"
            "/* ***** Delete line 3 [one]  BEGINS ***** */ \nc\n/* ***** Delete line 3 [one]  ENDS   ***** */ \n");
  DiffView two(f, kSide2, true);
  EXPECT_EQ(two.listing("one", "two", 1, "#", ""),
            "# ***** Change line 1 [one] to line 1 [two]  BEGINS *****  \r\ny\r\n"
            "# ***** Change line 1 [one] to line 1 [two]  ENDS   *****  \r\nb\r\n");
  EXPECT_EQ(two.save(d.path() + "/listing", "one", "two", 2, "#", ""), "");
  std::string back;
  orv::sys::readWholeFile(d.path() + "/listing", back);
  EXPECT_EQ(back, two.listing("one", "two", 2, "#", ""));
  EXPECT_EQ(two.save(d.path() + "/none/listing", "one", "two", 2, "#", "").rfind("Cannot write to ", 0), 0u);
}

}  // namespace
