// Selections and the archive window's status line.
#include "workbench/commands/window_selection.h"

#include <exception>

#include "workbench/app/message_styles.h"

namespace orv::workbench::commands {

SelectedRevisions selectedRevisions(const std::vector<RevisionRow>& rows,
                                    const std::vector<int>& selected) {
  SelectedRevisions result;
  if (selected.empty()) return result;
  std::string list;
  for (int index : selected) {
    if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) continue;
    const RevisionRow& row = rows[static_cast<std::size_t>(index)];
    if (row.flags & kWorkFileRowFlag) continue;
    list += row.revision;
    list += '\0';
    ++result.count;
  }
  list += '\0';
  result.list = std::move(list);
  return result;
}

std::string revisionStatusLine(int revisions, int locked, int selected) {
  return formatString(kStrRevisionsLine, revisions, locked, selected);
}

std::vector<int> takeSelectedRows(ui::Ui& ui, std::size_t count, bool warn,
                                  const std::function<void(std::vector<int>&)>& collect) {
  std::vector<int> rows;
  if (count == 0) {
    if (warn) rcsMessage(ui, kStyleError, formatString(kStrNoLinesSelected));
    return rows;
  }
  try {
    rows.reserve(count);
  } catch (const std::exception&) {  // std::bad_alloc or std::length_error
    rcsMessage(ui, kStyleError, formatString(kStrTooManySelected));
    return rows;
  }
  collect(rows);
  return rows;
}

}  // namespace orv::workbench::commands
