#include "workbench/views/member_list.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "vc/include/vc.h"
#include "workbench/app/name_sizes.h"
#include "workbench/app/progress_window.h"

namespace orv::workbench::views {

const std::array<std::string_view, kMemberColumnCount> kMemberColumnTitles = {
    "Type", "Frozen", "Changed", "Locked", "Revision", "Member Name", "State", "Labels"};

const std::string_view kIncompleteMemberList =
    "Warning: The project list may not be complete.\nPress F5 to rescan the list.";

namespace {

constexpr std::string_view kScanning = "Scanning for changes...";

std::string memberText(int project, int item) {
  char buffer[app::kNameBufferSize + 1] = {};
  if (vcGetMember(project, item, buffer, app::kNameBufferSize) != 0) return {};
  return buffer;
}

// A missing text sorts after a present one; two missing texts are equal.
int compareTexts(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  if (!a || !b) return a.has_value() == b.has_value() ? 0 : (a ? -1 : 1);
  return compareNoCase(*a, *b);
}

int compareColumn(const project::MemberRow& a, const project::MemberRow& b, int column) {
  switch (column) {
    case kMemberColType: return static_cast<signed char>(b.type) - static_cast<signed char>(a.type);
    case kMemberColFrozen: return static_cast<int>(b.frozen) - static_cast<int>(a.frozen);
    case kMemberColChanged: return static_cast<int>(b.changeMark) - static_cast<int>(a.changeMark);
    case kMemberColLocked: return compareTexts(a.locker, b.locker);
    case kMemberColRevision:
      // Higher revision numbers first; rows without one last.
      if (!a.hasRevision() || !b.hasRevision()) return a.hasRevision() == b.hasRevision() ? 0 : (a.hasRevision() ? -1 : 1);
      return compareRevisionNumbers(*b.revision, *a.revision);
    case kMemberColName: return comparePaths(a.name, b.name);
    case kMemberColState: return compareTexts(a.state, b.state);
    case kMemberColLabels: return compareTexts(a.labels, b.labels);
    default: return 0;
  }
}

// The progress window of a scan of count rows, when one is shown.
std::unique_ptr<app::ProgressWindow> scanWindow(ui::Ui& ui, unsigned count) {
  auto window = std::make_unique<app::ProgressWindow>(ui, kScanning, count);
  window->setStepping(true);
  return window;
}

}  // namespace

std::string memberTypeText(char type) {
  switch (type) {
    case 'a': return "Archived";
    case 'f': return "Non-Archived";
    case 'i':
    case 's': return "Subproject";
    default: return std::string(1, type ? type : '?');
  }
}

std::string memberCellText(const project::MemberRow& row, int column) {
  switch (column) {
    case kMemberColType: return memberTypeText(row.type);
    case kMemberColLocked: return memberLocked(row) ? row.locker.value_or(std::string()) : std::string();
    case kMemberColRevision: return row.revision.value_or(std::string());
    case kMemberColName: return row.name;
    case kMemberColState: return row.state.value_or(std::string());
    case kMemberColLabels: return row.labels.value_or(std::string());
    default: return {};
  }
}

void readMemberRow(project::OpenProject& project, project::MemberRow& row) {
  const int p = project.project;
  char name[app::kNameBufferSize + 1] = {};
  const char* workDir = project.workDirectory.empty() ? nullptr : project.workDirectory.c_str();
  if (vcMemberWorkName(p, nullptr, workDir, name, app::kNameBufferSize) == 0) row.name = name;
  const std::string type = memberText(p, 102);
  row.type = type.empty() ? 'f' : type[0];
  const std::string revision = memberText(p, 101);
  if (revision.empty()) row.revision.reset();
  else row.revision = revision;
  row.changeFlags = ~0u;
  row.changeMark = 2;
  project::updateMemberStatus(project, row, 0);
  if ((row.changeFlags & project::kNoPassword) && row.revision) row.revision->clear();
}

MemberFill readMemberRows(ui::Ui& ui, project::OpenProject& project) {
  MemberFill fill;
  project.memberCount = 0;
  project.lockedCount = 0;
  if (!project.project) return fill;
  std::uint32_t count = 0;
  if (vcGetProject(project.project, VC_PROJECT_ITEM_MEMBER_COUNT, reinterpret_cast<char*>(&count), sizeof count) != 0 || count == 0)
    return fill;
  auto progress = scanWindow(ui, count);
  char member[app::kNameBufferSize + 1] = {};
  for (int rc = vcGetMember(project.project, VC_MEMBER_ITEM_FIRST, member, app::kNameBufferSize); rc == 0;
       rc = vcGetMember(project.project, VC_MEMBER_ITEM_NEXT, member, app::kNameBufferSize)) {
    project::MemberRow row;
    row.position = project.memberCount;
    readMemberRow(project, row);
    if (project::notifyStatus(row.name.c_str()) == -1) {
      fill.complete = false;
      break;
    }
    ++project.memberCount;
    if (memberLocked(row)) ++project.lockedCount;
    fill.rows.push_back(std::move(row));
  }
  return fill;
}

void rereadMemberRows(ui::Ui& ui, project::OpenProject& project, std::vector<project::MemberRow>& rows,
                      const std::vector<int>& which) {
  if (!project.project) return;
  std::unique_ptr<app::ProgressWindow> progress;
  if (which.size() > 4) progress = scanWindow(ui, static_cast<unsigned>(which.size()));
  for (int index : which) {
    if (index < 0 || index >= static_cast<int>(rows.size())) continue;
    project::MemberRow& row = rows[static_cast<std::size_t>(index)];
    if (vcMemberSetPosition(project.project, static_cast<int>(row.position)) != 0) continue;
    if (memberLocked(row) && project.lockedCount) --project.lockedCount;
    readMemberRow(project, row);
    const bool stop = progress && project::notifyStatus(row.name.c_str()) == -1;
    if (memberLocked(row)) ++project.lockedCount;
    if (stop) break;
  }
}

int compareMemberRows(const project::MemberRow& a, const project::MemberRow& b, unsigned sortKey) {
  const int result = compareColumn(a, b, sortColumn(sortKey));
  return sortDescending(sortKey) ? -result : result;
}

void sortMemberRows(std::vector<project::MemberRow>& rows, unsigned sortKey) {
  std::stable_sort(rows.begin(), rows.end(), [sortKey](const project::MemberRow& a, const project::MemberRow& b) {
    return compareMemberRows(a, b, sortKey) < 0;
  });
}

}  // namespace orv::workbench::views
