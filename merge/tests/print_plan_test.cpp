// The page plan of the printouts, as tables.
#include <gtest/gtest.h>

#include "merge/print_plan.h"

namespace {

using namespace orv::merge;

TEST(PrintPlan, PagesAndRows) {
  // Page 1,000 high, lines 10: 94 rows a page for lists, 97 for the summary.
  struct Case {
    Printout kind;
    int rows, perPage, pages;
  } cases[] = {{Printout::List, 94, 94, 1},    {Printout::List, 95, 94, 2},     {Printout::Merge, 0, 94, 0},
               {Printout::Summary, 97, 97, 1}, {Printout::Summary, 98, 97, 2}};
  for (const Case& c : cases) {
    const PagePlan p = planPages(c.kind, 1000, 10, c.rows);
    EXPECT_EQ(p.rowsPerPage, c.perPage);
    EXPECT_EQ(p.pages, c.pages) << c.rows;
  }
  const PagePlan p = planPages(Printout::List, 1000, 10, 200);
  EXPECT_EQ(pageRows(p, 3, 200).first, 188);
  EXPECT_EQ(pageRows(p, 3, 200).last, 200);
  EXPECT_EQ(pageRows(p, 3, 150).last, 150);  // side by side: the shorter list ends it
  EXPECT_EQ(pageRows(p, 4, 200).last, 0);
  EXPECT_EQ(planPages(Printout::List, 30, 10, 5).rowsPerPage, 1);  // a tiny page still prints
}

TEST(PrintPlan, HeaderAndLegend) {
  EXPECT_EQ(pageHeader(3), "Page: 3");
  EXPECT_EQ(pageTitle("a.c : b.c"), "[ a.c : b.c ]");
  EXPECT_EQ(legend(Printout::List).size(), 6u);
  EXPECT_EQ(legend(Printout::Merge).back().label, "Block Marker");
  EXPECT_EQ(legendBoxWidth(Printout::List, 624), 100);
  EXPECT_EQ(legendBoxWidth(Printout::Merge, 524), 100);
  EXPECT_EQ(legendBoxWidth(Printout::Summary, 524), 0);
}

}  // namespace
