// Finding document windows and reading their selections.
#include "workbench/commands/document_windows.h"

#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::commands {

namespace {

// The longest member name a command takes over.
constexpr std::size_t kMemberNameLimit = 511;

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

DocumentWindow* activeChildOfKind(WindowRegistry& windows, ChildKind kind) {
  DocumentWindow* active = windows.activeChild();
  return active && active->kind() == kind ? active : nullptr;
}

ArchiveWindow* activeArchiveWindow(WindowRegistry& windows) {
  return static_cast<ArchiveWindow*>(activeChildOfKind(windows, ChildKind::archive));
}

ProjectWindow* activeProjectWindow(WindowRegistry& windows) {
  return static_cast<ProjectWindow*>(activeChildOfKind(windows, ChildKind::project));
}

DocumentWindow* findChild(WindowRegistry& windows, ChildKind kind, std::string_view name) {
  if (!windows.activeChild()) return nullptr;
  for (DocumentWindow* w : windows.children())
    if (w->kind() == kind && equalNoCase(w->name(), name)) return w;
  return nullptr;
}

ProjectSelection activeProjectSelection(WindowRegistry& windows, bool warn) {
  ProjectSelection s;
  s.window = activeProjectWindow(windows);
  if (s.window) s.rows = s.window->selection(warn);
  return s;
}

bool singleMember(ui::Ui& ui, ProjectWindow& window, std::string* name, int& row) {
  const std::vector<int> rows = window.selection(false);
  if (rows.size() != 1) {
    rcsMessage(ui, kStyleError, std::string(loadString(kStrSelectOneMember)));
    return false;
  }
  row = rows.front();
  if (name) {
    const MemberRow* member = window.members().findMemberItem(row, true);
    *name = member ? member->name.substr(0, kMemberNameLimit) : std::string();
  }
  return true;
}

bool singleSelection(ui::Ui& ui, ArchiveWindow& window, std::string& revision, bool tell) {
  const std::vector<RevisionRow> rows = window.selectedRows();
  revision.clear();
  if (rows.size() != 1) {
    if (tell) rcsMessage(ui, kStyleError, std::string(loadString(kStrSelectOneRevision)));
    return false;
  }
  if (!rows.front().isWorkFile()) revision = rows.front().revision;
  return true;
}

std::vector<std::string> selectedRevisions(ArchiveWindow& window) {
  std::vector<std::string> revisions;
  for (const RevisionRow& row : window.selectedRows())
    if (!row.isWorkFile()) revisions.push_back(row.revision);
  return revisions;
}

}  // namespace orv::workbench::commands
