// The selections of the document windows as the command handlers take
// them: the selected revisions of an archive window as one list, the
// selected rows of a project window (announcing an empty selection), and
// the archive window's status line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/layers.h"

namespace orv::workbench::commands {

// Row flag of the working-file row (the first row of an archive window).
constexpr unsigned kWorkFileRowFlag = 2;

// One row of an archive window: its text (the revision number, empty for
// the working-file row) and its flags.
struct RevisionRow {
  std::string revision;
  unsigned flags = 0;

  bool isWorkFile() const { return (flags & kWorkFileRowFlag) != 0; }
};

struct SelectedRevisions {
  // Each revision followed by a NUL, and one more NUL at the end; nothing
  // when no row is selected.
  std::optional<std::string> list;
  int count = 0;  // the revisions in list
};

// The revisions of the selected rows (indexes into rows, in order). The
// working-file row is left out by its flag, whether its file exists or not.
SelectedRevisions selectedRevisions(const std::vector<RevisionRow>& rows,
                                    const std::vector<int>& selected);

// "%d revisions:  %d locked;  %d selected".
std::string revisionStatusLine(int revisions, int locked, int selected);

// The selected rows of a project window: count rows that collect appends to
// the list it is given. No row selected: with warn, "No lines selected."
// is shown. A list that cannot be held: "Too many members selected!" is
// shown. Both give an empty list.
std::vector<int> takeSelectedRows(ui::Ui& ui, std::size_t count, bool warn,
                                  const std::function<void(std::vector<int>&)>& collect);

}  // namespace orv::workbench::commands
