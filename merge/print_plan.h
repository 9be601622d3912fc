// The page plan of the merge program's printouts: rows per page, page
// count, the rows of a page, the header texts and the legend boxes, from
// the page size and the line height, so the printing code only draws.
#pragma once

#include <string>
#include <vector>

namespace orv::merge {

enum class Printout { List, Merge, Summary };

struct PagePlan {
  int lineHeight = 0;
  int rowsPerPage = 0;
  int pages = 0;
};

// Lists and the merge keep 3 line heights for the header and 3 for the
// legend; the summary only the header. At least one row a page.
PagePlan planPages(Printout kind, int pageHeight, int lineHeight, int rows);

// The rows [first, last) of page `page` (from 1) of `rows` rows; side by
// side, `rows` is the shorter list's count.
struct RowRange {
  int first = 0, last = 0;
};
RowRange pageRows(const PagePlan& plan, int page, int rows);

std::string pageHeader(int page);                  // "Page: 3"
std::string pageTitle(const std::string& caption);  // "[ a.c : b.c ]"

// The legend boxes: labels and colour classes, left to right, with their
// width for a page width.
struct LegendBox {
  std::string label;
  int colourClass;  // -1: the highlight colours
};
std::vector<LegendBox> legend(Printout kind);
int legendBoxWidth(Printout kind, int pageWidth);

}  // namespace orv::merge
