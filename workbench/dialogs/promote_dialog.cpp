// The Promote and Demote dialogs and their three flows (see
// promote_dialog.h).
#include "workbench/dialogs/promote_dialog.h"

#include <array>
#include <memory>

#include "vc/include/vc.h"
#include "workbench/app/dialog_text.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/progress_window.h"
#include "workbench/app/string_table.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/dialogs/state_lists.h"
#include "workbench/project/member_walks.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_member_ops.h"

namespace orv::workbench::dialogs {

namespace {

constexpr int kReadWrite = VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE;
constexpr int kRead = VC_ARCHIVE_OPEN_READ;

struct Resource {
  PromoteSubject subject;
  bool promote;
  int id;
  const char* title;
  int helpContext;
  std::array<int, 5> help;  // current state, target, OK, Cancel, Help
};
constexpr std::array<Resource, 6> kResources{{
    {PromoteSubject::revision, true, 323, "Promote Revision", 6051, {12002, 12003, 12004, 12005, 12006}},
    {PromoteSubject::revision, false, 340, "Demote Revision", 6054, {12008, 12009, 12010, 12011, 12012}},
    {PromoteSubject::member, true, 341, "Promote Member", 6029, {11084, 11085, 11086, 11087, 11088}},
    {PromoteSubject::member, false, 342, "Demote Member", 6032, {11090, 11091, 11092, 11093, 11094}},
    {PromoteSubject::project, true, 343, "Promote Project", 5042, {10041, 10042, 10043, 10044, 10045}},
    {PromoteSubject::project, false, 344, "Demote Project", 5045, {10047, 10048, 10049, 10050, 10051}},
}};

const Resource& resourceOf(PromoteSubject subject, bool promote) {
  for (const Resource& r : kResources)
    if (r.subject == subject && r.promote == promote) return r;
  return kResources.front();
}

ui::DialogDescription describe(const Resource& r) {
  using K = ui::ControlKind;
  const int caption = r.promote ? kPrPromoteCaption : kPrDemoteCaption;
  ui::DialogDescription d;
  d.id = r.id;
  d.title = r.title;
  d.helpContext = r.helpContext;
  d.controls = {
      {kPrCurrentCaption, K::label, "Current state:", 1},
      {kPrCurrentState, K::label, "", 1},
      {caption, K::label, r.promote ? "Promote to &state:" : "Demote to &state:", 1},
      {kPrTargets, K::comboBox, "", 1},
      {kPrOk, K::defaultButton, "OK", 0},
      {kPrCancel, K::pushButton, "Cancel", 0},
      {kPrHelp, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kPrCurrentCaption, r.help[0]}, {kPrCurrentState, r.help[0]}, {caption, r.help[1]},
                 {kPrTargets, r.help[1]},        {kPrOk, r.help[2]},           {kPrCancel, r.help[3]},
                 {kPrHelp, r.help[4]}};
  return d;
}

std::string chosenState(const archive::TPromoteRevTransferStruct& record) {
  const int chosen = record.targetSelection;
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= record.targetStates.size()) return {};
  return record.targetStates[static_cast<std::size_t>(chosen)];
}

// Sets the chosen state on revision (the archive under its write lock) and
// commits; a refusal is shown.
void applyState(archive::OpenArchive& archive, const std::string& revision, const std::string& state) {
  if (state.empty()) return;
  const int rc = vcSetRevInfo(archive.handle(), VC_REVISION_ITEM_SET_STATE, revision.c_str(), state.c_str());
  if (rc == 0) {
    commitArchiveChanges(archive);
    return;
  }
  archive.setStatus(rc);
  archive.showError(app::kStyleError);
}

// Runs the dialog over record: true after OK.
bool runPromoteDialog(ui::Ui& ui, archive::TPromoteRevTransferStruct& record, PromoteSubject subject, bool promote) {
  PromoteDialog logic(record);
  return ui.runDialog(promoteDialogDescription(subject, promote), logic) == ui::kAnswerOk;
}

}  // namespace

int promoteDialogId(PromoteSubject subject, bool promote) { return resourceOf(subject, promote).id; }

const ui::DialogDescription& promoteDialogDescription(PromoteSubject subject, bool promote) {
  static const std::array<ui::DialogDescription, kResources.size()> descriptions = [] {
    std::array<ui::DialogDescription, kResources.size()> out;
    for (std::size_t i = 0; i < kResources.size(); ++i) out[i] = describe(kResources[i]);
    return out;
  }();
  const Resource& r = resourceOf(subject, promote);
  return descriptions[static_cast<std::size_t>(&r - kResources.data())];
}

int setPromoteDefaults(archive::OpenArchive& archive, archive::TPromoteRevTransferStruct& record,
                       const std::string& revision, bool promote) {
  record = archive::TPromoteRevTransferStruct{};
  char resolved[80] = {};
  char state[sizeof record.currentState] = {};
  if (vcGetRevInfo(archive.handle(), VC_REVISION_ITEM_NUMBER, revision.c_str(), resolved, sizeof resolved) != 0 ||
      vcGetRevInfo(archive.handle(), VC_REVISION_ITEM_STATE, revision.c_str(), state, sizeof state) != 0) {
    app::rcsMessage(archive.ui(), app::kStyleError,
                      app::formatString(app::kStrRevisionNotInArchive, revision.c_str(),
                                          archive.archiveName().c_str()));
    return 0;
  }
  archive::setField(record.currentState, state);
  // A list made only of separators offers nothing either.
  const std::vector<std::string> words = offeredStates();
  if (words.empty()) {
    app::rcsMessage(archive.ui(), app::kStyleError, std::string(app::loadString(app::kStrNoStateList)));
    return -1;
  }
  const int k = app::findStringIndex(words, state);
  const auto add = [&](const std::string& word, bool selected) {
    if (selected) record.targetSelection = static_cast<int>(record.targetStates.size());
    record.targetStates.push_back(word);
  };
  for (int i = 0; i < static_cast<int>(words.size()); ++i) {
    const std::string& word = words[static_cast<std::size_t>(i)];
    if (promote) {
      if (k < 0) add(word, i == 0);
      else if (i == k || i == k + 1) add(word, true);  // the next state ends up chosen
      else if (i > k) add(word, false);
    } else if (i == k - 1) {
      add(word, true);
    } else if (i < k - 1) {
      add(word, false);
    }
  }
  if (!promote) add(state, record.targetSelection < 0);
  return 1;
}

void PromoteDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kPrCurrentState, archive::fieldText(record_.currentState));
  surface.setListItems(kPrTargets, record_.targetStates);
  if (record_.targetSelection >= 0) {
    surface.setSelection(kPrTargets, {record_.targetSelection});
    surface.setText(kPrTargets, record_.targetStates[static_cast<std::size_t>(record_.targetSelection)]);
  }
}

bool PromoteDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result == ui::kAnswerOk) record_.targetSelection = chosenIndex(surface, kPrTargets, record_.targetStates);
  return true;
}

void promoteArchiveRevision(commands::ArchiveWindow& window, const std::string& revision, bool promote) {
  if (revision.empty()) return;
  archive::OpenArchive& archive = window.archive();
  if (!archive.writeLock()) {
    // Declining to reload a changed archive leaves it closed.
    if (!archive.handle()) window.close();
    else window.refreshRevisions();
    return;
  }
  archive::TPromoteRevTransferStruct record;
  if (setPromoteDefaults(archive, record, revision, promote) == 1 &&
      runPromoteDialog(archive.ui(), record, PromoteSubject::revision, promote)) {
    applyState(archive, revision, chosenState(record));
    if (!archive.handle()) {
      window.close();
      return;
    }
    window.refreshRevisions();
    if (window.listForm()) window.reselectRevision(revision);
  }
  archive.dropWriteLock();
}

void promoteProject(commands::ProjectWindow& window, bool promote) {
  project::OpenProject& project = window.project();
  if (project.makeCurrent() != 1) return;
  const std::string file = project::projectText(project.project, VC_PROJECT_ITEM_FILE);
  archive::OpenArchive archive(project.ui(), file, kReadWrite);
  if (archive.status() != 0) {
    archive.showArchiveOpenError(app::kStyleError);
    return;
  }
  const std::string revision = project::projectText(project.project, VC_PROJECT_ITEM_REVISION);
  archive::TPromoteRevTransferStruct record;
  if (setPromoteDefaults(archive, record, revision, promote) == 1 &&
      runPromoteDialog(project.ui(), record, PromoteSubject::project, promote) && archive.writeLock())
    applyState(archive, revision, chosenState(record));
}

void promoteSelectedMembers(commands::ProjectWindow& window, std::vector<int>& rows, bool promote) {
  project::OpenProject& project = window.project();
  ui::Ui& ui = project.ui();
  if (rows.empty() || project.makeCurrent() != 1) return;
  project::MemberView& members = window.members();
  project::MemberRow* first = members.findMemberItem(rows.front(), true);
  if (!first) return;
  if (first->type == 'f') {
    app::rcsMessage(ui, app::kStyleError, app::formatString(app::kStrMemberNotArchived, first->name.c_str()));
    return;
  }
  std::string revision;
  std::string state;
  {
    archive::OpenArchive archive(ui, first->name, kRead, project.project);
    if (archive.status() != 0) {
      archive.showArchiveOpenError(app::kStyleError);
      return;
    }
    revision = first->revision.value_or("");
    if (first->changeFlags & project::kReReadRevision) {
      char memberRevision[64] = {};
      if (vcGetMember(project.project, VC_MEMBER_ITEM_REVISION, memberRevision, sizeof memberRevision) == 0)
        revision = memberRevision;
    }
    if (revision.empty()) {
      app::rcsMessage(ui, app::kStyleError,
                        app::formatString(app::kStrNoMemberRevision, first->name.c_str()));
      return;
    }
    archive::TPromoteRevTransferStruct record;
    if (setPromoteDefaults(archive, record, revision, promote) != 1 ||
        !runPromoteDialog(ui, record, PromoteSubject::member, promote))
      return;
    state = chosenState(record);
  }
  if (state.empty()) return;

  app::ProgressWindow progress(
      ui, app::loadString(promote ? app::kStrPromotingMembers : app::kStrDemotingMembers),
      static_cast<unsigned>(rows.size()));
  progress.setStepping(true);
  // Every member the walk reached shows its new state; the rest are left.
  std::size_t reached = 0;
  project::MemberWalk walk;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    project::MemberRow* row = members.findMemberItem(rows[i], true);
    reached = i + 1;
    if (!row) continue;
    if (project::labelAndPromoteMembers(project, *row, false, walk, nullptr, state.c_str(), true) != 1) break;
  }
  members.refreshMembers(rows.data(), static_cast<int>(reached));
}

void registerPromoteFlows(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.flows.promoteRevision = promoteArchiveRevision;
  registry.flows.promoteProject = promoteProject;
  registry.flows.promoteMembers = promoteSelectedMembers;
}

}  // namespace orv::workbench::dialogs
