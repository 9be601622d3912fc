// The page plan of the merge program's printouts (see print_plan.h).
#include "merge/print_plan.h"

#include <algorithm>

namespace orv::merge {

PagePlan planPages(Printout kind, int pageHeight, int lineHeight, int rows) {
  PagePlan p;
  p.lineHeight = std::max(1, lineHeight);
  const int reserved = kind == Printout::Summary ? 3 : 6;
  p.rowsPerPage = std::max(1, (pageHeight - reserved * p.lineHeight) / p.lineHeight);
  p.pages = rows <= 0 ? 0 : (rows + p.rowsPerPage - 1) / p.rowsPerPage;
  return p;
}

RowRange pageRows(const PagePlan& plan, int page, int rows) {
  if (page < 1 || page > plan.pages) return {};
  const int first = (page - 1) * plan.rowsPerPage;
  return {first, std::min(rows, first + plan.rowsPerPage)};
}

std::string pageHeader(int page) { return "Page: " + std::to_string(page); }

std::string pageTitle(const std::string& caption) { return "[ " + caption + " ]"; }

std::vector<LegendBox> legend(Printout kind) {
  if (kind == Printout::List)
    return {{"Changed Text", 1}, {"Added Text", 2}, {"Deleted Text", 3},
            {"File 1 Text", 4},  {"File 2 Text", 5}, {"Normal Text", 0}};
  if (kind == Printout::Merge)
    return {{"Edited Text", 1}, {"File 1 Text", 4}, {"File 2 Text", 5}, {"Normal Text", 0}, {"Block Marker", -1}};
  return {};
}

int legendBoxWidth(Printout kind, int pageWidth) {
  const auto n = static_cast<int>(legend(kind).size());
  return n ? (pageWidth - 24) / n : 0;
}

}  // namespace orv::merge
