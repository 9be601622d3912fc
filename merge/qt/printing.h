// The comparison window's printouts on a QPrinter: one difference list or
// two side by side, the merge list, or the block summaries. The page plan
// (rows per page, page count, header texts, legend boxes) is the core's;
// this only paints the planned pages, each with its "Page: n" and
// "[ title ]" header and, for lists and the merge, a legend of colours.
#pragma once

#include <QFont>
#include <QStringList>
#include <vector>

class QPrinter;

namespace orv::merge::qt {

class RowList;

// lists: one list, or two printed side by side; merge: the list is the
// merge list (its legend). The number of pages printed.
int printRows(QPrinter& printer, const std::vector<const RowList*>& lists, bool merge, const QString& title,
              const QFont& font);
int printSummary(QPrinter& printer, const QStringList& lines, const QString& title, const QFont& font);

}  // namespace orv::merge::qt
