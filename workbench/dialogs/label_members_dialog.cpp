// The Label Members dialog and the maintenance commands (see
// label_members_dialog.h).
#include "workbench/dialogs/label_members_dialog.h"

#include <optional>

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/progress_window.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/dialogs/state_lists.h"
#include "workbench/project/member_walks.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kLabelMembersHeading = "Label Members...";
constexpr const char* kResynchronizingHeading = "Resynchronizing...";
constexpr const char* kCleaningHeading = "Cleaning...";

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kLabelMembersDialogId;
  d.title = "Label Members";
  d.helpContext = kLabelMembersHelpContext;
  d.controls = {
      {kLmLabelCaption, K::label, "&Label:", 1},
      {kLmLabel, K::lineEdit, "", 1},
      {kLmReplace, K::checkBox, "&Replace Existing Label", 2},
      {kLmStateCaption, K::label, "&State:", 3},
      {kLmState, K::lineEdit, "", 3},
      {kLmStates, K::comboBox, "", 3},
      {kLmOk, K::defaultButton, "OK", 0},
      {kLmCancel, K::pushButton, "Cancel", 0},
      {kLmHelp, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kLmLabelCaption, 11054}, {kLmLabel, 11054}, {kLmReplace, 11055}, {kLmStateCaption, 11056},
                 {kLmState, 11056},        {kLmStates, 11056}, {kLmOk, 11057},     {kLmCancel, 11058},
                 {kLmHelp, 11059}};
  return d;
}

// The state the record asks for: "" for none.
std::string chosenState(const MemberLabelRecord& record) {
  if (record.stateFromList != 1) return archive::fieldText(record.state);
  if (record.stateSelection <= 0 || static_cast<std::size_t>(record.stateSelection) >= record.states.size())
    return {};
  return record.states[static_cast<std::size_t>(record.stateSelection)];
}

}  // namespace

const ui::DialogDescription& labelMembersDialogDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

void setLabelDefaults(MemberLabelRecord& record) {
  record = MemberLabelRecord{};
  record.stateFromList = statesConfigured() ? 1 : 0;
  if (record.stateFromList == 1) {
    record.states.push_back(kStateAsIs);
    for (const std::string& state : offeredStates()) record.states.push_back(state);
    record.stateSelection = 0;
  }
}

void LabelMembersDialog::setUp(ui::DialogSurface& surface) {
  surface.setChecked(kLmReplace, record_.replaceLabel == 1);
  surface.setEnabled(kLmReplace, app::hasPermission("DeleteLabel"));
  surface.setText(kLmLabel, archive::fieldText(record_.label));
  const bool fromList = record_.stateFromList == 1;
  surface.setVisible(kLmState, !fromList);
  surface.setVisible(kLmStates, fromList);
  if (fromList) {
    surface.setListItems(kLmStates, record_.states);
    if (record_.stateSelection >= 0) {
      surface.setSelection(kLmStates, {record_.stateSelection});
      surface.setText(kLmStates, record_.states[static_cast<std::size_t>(record_.stateSelection)]);
    }
    const bool mayChange = app::hasPermission("Promote") || app::hasPermission("Demote");
    surface.setEnabled(kLmStates, mayChange);
    surface.setEnabled(kLmStateCaption, mayChange);
  } else {
    surface.setText(kLmState, archive::fieldText(record_.state));
  }
  surface.setFocus(kLmLabel);
}

bool LabelMembersDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  const bool fromList = record_.stateFromList == 1;
  if (!validateTokenFields(ui_, surface, {{kLmLabel, app::TokenKind::label}})) return false;
  if (!fromList && !validateTokenFields(ui_, surface, {{kLmState, app::TokenKind::optionalState}})) return false;
  readField(surface, kLmLabel, record_.label);
  record_.replaceLabel = checkedValue(surface, kLmReplace);
  if (fromList) {
    record_.stateSelection = chosenIndex(surface, kLmStates, record_.states);
  } else {
    readField(surface, kLmState, record_.state);
  }
  return true;
}

void labelSelectedMembers(commands::ProjectWindow& window, MemberLabelRecord& record, std::vector<int>& rows) {
  project::OpenProject& project = window.project();
  if (rows.empty()) return;
  const std::string label = archive::fieldText(record.label);
  const std::string state = chosenState(record);
  app::ProgressWindow progress(project.ui(), kLabelMembersHeading, static_cast<unsigned>(rows.size()));
  progress.setStepping(true);
  archive::BusyCursor busy(project.ui());
  project::MemberView& members = window.members();
  project::MemberWalk walk;
  std::size_t reached = 0;
  for (; reached < rows.size(); ++reached) {
    project::MemberRow* row = members.findMemberItem(rows[reached], true);
    if (!row) {
      rows[reached] = -1;
      continue;
    }
    const int rc = project::labelAndPromoteMembers(project, *row, record.replaceLabel == 1, walk,
                                                   label.empty() ? nullptr : label.c_str(),
                                                   state.empty() ? nullptr : state.c_str(), true);
    if (rc == ui::kAnswerCancel) {
      ++reached;
      break;
    }
  }
  for (std::size_t i = reached; i < rows.size(); ++i) rows[i] = -1;
  members.refreshMembers(rows.data(), static_cast<int>(rows.size()));
}

void labelMembers(commands::ProjectWindow& window, std::vector<int>& rows) {
  MemberLabelRecord record;
  setLabelDefaults(record);
  LabelMembersDialog logic(window.project().ui(), record);
  if (window.project().ui().runDialog(labelMembersDialogDescription(), logic) != ui::kAnswerOk) return;
  labelSelectedMembers(window, record, rows);
}

void resynchronizeSelectedMembers(commands::ProjectWindow& window, std::vector<int>& rows) {
  project::OpenProject& project = window.project();
  if (project.makeCurrent() != 1) return;
  const bool variant = (project.kind & project::kProjectKindVariant) != 0;
  project::MemberView& members = window.members();
  {
    app::ProgressWindow progress(project.ui(), kResynchronizingHeading, static_cast<unsigned>(rows.size()));
    progress.setStepping(true);
    archive::BusyCursor busy(project.ui());
    project::MemberWalk walk;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      project::MemberRow* row = members.findMemberItem(rows[i], true);
      if (!row) {
        rows[i] = -1;
        continue;
      }
      char name[VC_MAX_NAME + 1] = {};
      if (vcGetMember(project.project, VC_MEMBER_ITEM_NAME, name, VC_MAX_NAME) != 0) {
        rows[i] = -1;
        continue;
      }
      const int rc = project::resynchronizeMembers(project, name, walk, variant, false);
      if (rc == -2) rows[i] = -1;
      if (rc == -1) {
        for (std::size_t j = i; j < rows.size(); ++j) rows[j] = -1;
        break;
      }
    }
  }
  if (project.project) vcSaveUses(project.project);
  members.refreshMembers(rows.data(), static_cast<int>(rows.size()));
}

void removeUnusedLocksCommand(commands::ProjectWindow& window) {
  project::OpenProject& project = window.project();
  project::MemberView& members = window.members();
  const int n = members.rowCount();
  if (n <= 0 || project.makeCurrent() != 1) return;
  char first[VC_MAX_NAME + 1] = {};
  if (vcGetMember(project.project, VC_MEMBER_ITEM_FIRST, first, VC_MAX_NAME) != 0) return;
  std::uint32_t count = 0;
  vcGetProject(project.project, VC_PROJECT_ITEM_MEMBER_COUNT, reinterpret_cast<char*>(&count), sizeof count);
  std::vector<int> changedRows(static_cast<std::size_t>(n), -1);
  bool changed = false;
  {
    app::ProgressWindow progress(project.ui(), kCleaningHeading, count);
    progress.setStepping(true);
    archive::BusyCursor busy(project.ui());
    project::MemberWalk walk;
    // Every position of the list, the last one included.
    for (int position = 0; position < n; ++position) {
      project::MemberRow* row = members.findMemberItem(position, true);
      if (!row) break;
      const int rc = project::removeUnusedLocks(project, *row, walk);
      if (rc == 1) {
        changed = true;
        changedRows[static_cast<std::size_t>(position)] = position;
      }
      if (rc == -1) break;
    }
  }
  if (!changed) return;
  if (project.lock(false)) {
    if (project.save() != 0) project.reopen();
    project.dropWriteLock();
  }
  members.refreshMembers(changedRows.data(), n);
}

void registerMemberMaintenance(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.items.labelMembers = labelMembers;
  registry.flows.resynchronize = resynchronizeSelectedMembers;
  registry.flows.removeUnusedLocks = removeUnusedLocksCommand;
}

}  // namespace orv::workbench::dialogs
