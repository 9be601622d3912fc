// The Member Dependencies dialog (see member_dependencies_dialog.h).
#include "workbench/dialogs/member_dependencies_dialog.h"

#include <unistd.h>

#include <iterator>

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/progress_window.h"
#include "workbench/app/string_table.h"
#include "workbench/dialogs/build_dialog.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/external/file_choices.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kDependenciesIn = "Dependencies in";
constexpr const char* kAddCompleted = "Add Missing Files has completed.";
constexpr int kTypeCount = static_cast<int>(std::size(kCompilerFileTypes));

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kMemberDependenciesDialogId;
  d.title = "Member Dependencies";
  d.helpContext = kMemberDependenciesHelpContext;
  d.controls = {
      {kMdMember, K::label, "", 1},
      {kMdListCaption, K::label, "Dependencies:", 2},
      {kMdList, K::listBox, "", 2},
      {kMdRecalculate, K::pushButton, "&Recalculate", 2},
      {kMdAddMissing, K::pushButton, "&Add Missing Files", 2},
      {0, K::groupBox, "Include Files", 3},
      {kMdIncludeCaption, K::label, "&Path:", 3},
      {kMdInclude, K::lineEdit, "", 3},
      {kMdExcludeCaption, K::label, "&Exclude Path:", 3},
      {kMdExclude, K::lineEdit, "", 3},
      {kMdFromCompilerFile, K::checkBox, "&Get From Compiler File", 3},
      {kMdTypeCaption, K::label, "&Compiler File Type:", 3},
      {kMdType, K::comboBox, "", 3},
      {kMdFileCaption, K::label, "&Filename:", 3},
      {kMdFile, K::lineEdit, "", 3},
      {kMdBrowse, K::pushButton, "&Browse...", 3},
      {kMdOk, K::defaultButton, "OK", 0},
      {kMdCancel, K::pushButton, "Cancel", 0},
      {kMdHelp, K::pushButton, "&Help", 0},
  };
  return d;
}

std::string projectOption(int project, const char* key) {
  char value[1025] = {};
  unsigned flags = 0;
  if (vcProjectOptionGet(project, key, value, sizeof value - 1, &flags) != 0) return {};
  return value;
}

// Sets key to value, or drops it when value is blank-led; the failing
// library code, 0.
int putOption(int project, const char* key, const std::string& value) {
  if (blankLed(value)) {
    const int rc = vcProjectOptionDrop(project, key);
    return rc == VC_E_UNKNOWN_OPTION ? 0 : rc;
  }
  const std::string statement = std::string(key) + "=" + value;
  return vcProjectOptionSet(project, statement.c_str(), VC_STATEMENT_APPLY);
}

int dropOption(int project, const char* key) {
  const int rc = vcProjectOptionDrop(project, key);
  return rc == VC_E_UNKNOWN_OPTION ? 0 : rc;
}

bool projectMarked(const project::OpenProject& project) {
  return project.frozen || project.revision.has_value() || project.historical;
}

}  // namespace

const ui::DialogDescription& memberDependenciesDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

MemberDependenciesRecord readDependencySettings(project::OpenProject& project) {
  MemberDependenciesRecord record;
  const int p = project.project;
  record.include = projectOption(p, "include");
  record.exclude = projectOption(p, "exclude");
  for (int i = 0; i < kTypeCount; ++i) {
    const std::string file = projectOption(p, kCompilerFileTypes[i].key);
    if (file.empty()) continue;
    record.fromCompilerFile = true;
    record.file = file;
    record.type = i;
  }
  return record;
}

bool applyDependencySettings(project::OpenProject& project, const MemberDependenciesRecord& record) {
  const int p = project.project;
  bool ok = true;
  const auto report = [&](int rc) {
    if (rc == 0) return;
    project.status = rc;
    project.showError(app::kStyleError);
    ok = false;
  };
  if (!record.fromCompilerFile) {
    for (const CompilerFileType& type : kCompilerFileTypes) report(dropOption(p, type.key));
  } else if (!blankLed(record.file) && record.type >= 0 && record.type < kTypeCount) {
    report(putOption(p, kCompilerFileTypes[record.type].key, record.file));
    for (int i = 0; i < kTypeCount; ++i)
      if (i != record.type) report(dropOption(p, kCompilerFileTypes[i].key));
  }
  report(putOption(p, "include", record.include));
  report(putOption(p, "exclude", record.exclude));
  if (project.save() != 0) {
    project.reopen();
    ok = false;
  }
  return ok;
}

namespace {
std::vector<std::string>* g_list = nullptr;
int addToList(const char* file) {
  if (g_list && file) g_list->push_back(file);
  return 0;
}
}  // namespace

std::vector<std::string> memberDependencyFiles(project::OpenProject& project) {
  std::vector<std::string> files;
  g_list = &files;
  vcEnumUses(project.project, nullptr, addToList);
  g_list = nullptr;
  return files;
}

void MemberDependenciesDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kMdMember, external::fitStaticText(member_));
  const bool sandbox = (project_.kind & project::kProjectKindSandbox) != 0;
  mayModify_ = sandbox ? app::hasPermission("ModifySandbox")
                       : app::hasPermission("ModifyProject") && !projectMarked(project_);
  mayAdd_ = mayModify_ && app::hasPermission("AddMember") && project_.mayCheckpointVariant();
  const MemberDependenciesRecord record = readDependencySettings(project_);
  surface.setText(kMdInclude, record.include);
  surface.setText(kMdExclude, record.exclude);
  std::vector<std::string> types;
  for (const CompilerFileType& type : kCompilerFileTypes) types.push_back(type.text);
  surface.setListItems(kMdType, types);
  if (record.type >= 0) {
    surface.setSelection(kMdType, {record.type});
    surface.setText(kMdType, types[static_cast<std::size_t>(record.type)]);
  }
  surface.setText(kMdFile, record.file);
  surface.setChecked(kMdFromCompilerFile, record.fromCompilerFile);
  fillList(surface);
  if (!mayModify_) {
    for (int id : {kMdInclude, kMdIncludeCaption, kMdFromCompilerFile, kMdType, kMdTypeCaption, kMdFile,
                   kMdFileCaption, kMdBrowse, kMdExclude, kMdExcludeCaption})
      surface.setEnabled(id, false);
  }
  enableCompilerFile(surface);
}

void MemberDependenciesDialog::fillList(ui::DialogSurface& surface) {
  const std::vector<std::string> files = memberDependencyFiles(project_);
  surface.setListItems(kMdList, files);
  const bool variant = (project_.kind & project::kProjectKindVariant) != 0;
  surface.setEnabled(kMdAddMissing, !variant && mayAdd_ && !projectMarked(project_) && !files.empty());
}

void MemberDependenciesDialog::enableCompilerFile(ui::DialogSurface& surface) {
  const bool on = mayModify_ && surface.isChecked(kMdFromCompilerFile);
  for (int id : {kMdBrowse, kMdType, kMdFile, kMdTypeCaption, kMdFileCaption}) surface.setEnabled(id, on);
}

MemberDependenciesRecord MemberDependenciesDialog::take(const ui::DialogSurface& surface) const {
  MemberDependenciesRecord record;
  record.file = surface.text(kMdFile);
  std::vector<std::string> types;
  for (const CompilerFileType& type : kCompilerFileTypes) types.push_back(type.text);
  record.type = chosenIndex(surface, kMdType, types);
  record.fromCompilerFile = surface.isChecked(kMdFromCompilerFile);
  record.include = surface.text(kMdInclude);
  record.exclude = surface.text(kMdExclude);
  return record;
}

void MemberDependenciesDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kMdFromCompilerFile:
      enableCompilerFile(surface);
      break;
    case kMdRecalculate:
      recalculate(surface);
      break;
    case kMdAddMissing:
      addMissingFiles(surface);
      break;
    case kMdBrowse:
      browse(surface);
      break;
    default:
      break;
  }
}

bool MemberDependenciesDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result == ui::kAnswerOk && mayModify_) {
    const MemberDependenciesRecord before = readDependencySettings(project_);
    const MemberDependenciesRecord after = take(surface);
    const bool same = before.include == after.include && before.exclude == after.exclude &&
                      before.fromCompilerFile == after.fromCompilerFile &&
                      (!after.fromCompilerFile || (before.file == after.file && before.type == after.type));
    if (!same) applyDependencySettings(project_, after);
  }
  return true;
}

void MemberDependenciesDialog::recalculate(ui::DialogSurface& surface) {
  if (mayModify_) applyDependencySettings(project_, take(surface));
  if (!project_.project) return;
  vcInitUses(project_.project);
  vcInProject(project_.project, member_.c_str());
  bool scanned = false;
  {
    app::ProgressWindow progress(project_.ui(), std::string(kDependenciesIn) + " " + member_, 0);
    scanned = project_.scanDependencies();
  }
  if (scanned) fillList(surface);
}

void MemberDependenciesDialog::addMissingFiles(ui::DialogSurface& surface) {
  const int p = project_.project;
  int rc = 0;
  {
    DependencyQuestion question(project_.ui());
    vcInProject(p, member_.c_str());
    rc = vcAddUsedFiles(p, nullptr, DependencyQuestion::callback);
  }
  if (rc == VC_E_FILES_ADDED) {
    changed_ = true;
    if (project_.save() != 0) project_.reopen();
  }
  app::showText(project_.ui(), ui::MessageIcon::information, kAddCompleted);
  if (project_.project) {
    vcInProject(project_.project, member_.c_str());
    fillList(surface);
  }
}

void MemberDependenciesDialog::browse(ui::DialogSurface& surface) {
  std::vector<std::string> types;
  for (const CompilerFileType& type : kCompilerFileTypes) types.push_back(type.text);
  const int type = chosenIndex(surface, kMdType, types);
  ui::FileRequest request;
  request.caption = "Configuration File";
  request.fileName = surface.text(kMdFile);
  request.filters = external::fileDialogFilters(type == 0   ? "Borland cfg Files|*.cfg|All Files (*.*)|*.*|"
                                                : type == 1 ? "Borland prj Files|*.prj|All Files (*.*)|*.*|"
                                                            : "All Files (*.*)|*.*|");
  const std::vector<std::string> chosen = external::chooseFiles(project_.ui(), request);
  if (chosen.empty()) return;
  if (::access(chosen.front().c_str(), F_OK) != 0)
    app::rcsMessage(project_.ui(), app::kStyleError,
                    app::formatString(app::kStrCannotAccessFile, chosen.front().c_str()));
  surface.setText(kMdFile, chosen.front());
}

void editMemberDependencies(commands::ProjectWindow& window, int row) {
  project::OpenProject& project = window.project();
  if (project.makeCurrent() != 1) return;
  project::MemberRow* member = window.members().findMemberItem(row, true);
  if (!member || member->type == 'i' || member->type == 's') return;
  char name[VC_MAX_NAME + 1] = {};
  vcGetMember(project.project, VC_MEMBER_ITEM_NAME, name, VC_MAX_NAME);
  vcInitUses(project.project);
  vcInProject(project.project, name);
  const bool sandbox = (project.kind & project::kProjectKindSandbox) != 0;
  const bool wantLock = !sandbox && app::hasPermission("ModifyProject");
  if (wantLock && !project.lock(false)) return;
  MemberDependenciesDialog logic(project, name);
  project.ui().runDialog(memberDependenciesDescription(), logic);
  if (wantLock && project.project) project.dropWriteLock();
  if (logic.changed()) window.reloadMembers();
}

void registerMemberDependencies(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.flows.memberDependencies = editMemberDependencies;
}

}  // namespace orv::workbench::dialogs
