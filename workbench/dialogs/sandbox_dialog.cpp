// The Create Sandbox dialog and flow (see sandbox_dialog.h).
#include "workbench/dialogs/sandbox_dialog.h"

#include <cstring>

#include "vc/include/vc.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/password_cache.h"
#include "workbench/dialogs/create_project_flow.h"
#include "workbench/dialogs/project_locations.h"
#include "workbench/external/file_choices.h"
#include "workbench/project/member_walks.h"

namespace orv::workbench::dialogs {

namespace {

constexpr int kNameSize = 512;
constexpr int kRevisionSize = 80;

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kSandboxDialogId;
  d.title = "Create Sandbox";
  d.helpContext = kSandboxHelpContext;
  d.controls = {
      {kSbMasterCaption, K::label, "Sandbox of the project:", 1},
      {kSbMaster, K::label, "", 1},
      {kSbLocationCaption, K::label, "Loca&tion:", 1},
      {kSbLocation, K::lineEdit, "", 1},
      {kSbBrowse, K::pushButton, "&Browse...", 1},
      {kSbVariantGroup, K::groupBox, "Variant", 2},
      {kSbVariant, K::checkBox, "Create &Variant Sandbox", 2},
      {kSbByRevision, K::radioButton, "By &Revision:", 2},
      {kSbRevisions, K::comboBox, "", 2},
      {kSbByLabel, K::radioButton, "By &Label:", 2},
      {kSbLabels, K::comboBox, "", 2},
      {kSbCopyMembers, K::checkBox, "Copy &Members to Sandbox", 3},
      {kSbOk, K::defaultButton, "OK", 0},
      {kSbCancel, K::pushButton, "Cancel", 0},
      {kSbHelp, K::pushButton, "&Help", 0},
  };
  return d;
}

std::string absoluteName(const std::string& name) {
  char buffer[kNameSize] = {};
  if (vcGetAbsName(name.c_str(), buffer, sizeof buffer) == 0 && buffer[0]) return buffer;
  return name;
}

}  // namespace

const ui::DialogDescription& sandboxDialogDescription() {
  static const ui::DialogDescription d = describe();
  return d;
}

SandboxDialog::~SandboxDialog() { closeProjectArchive(); }

void SandboxDialog::closeProjectArchive() {
  if (archive_) vcCloseArchive(archive_);
  archive_ = 0;
}

void SandboxDialog::openProjectArchive() {
  char name[kNameSize] = {};
  int handle = 0;
  int rc = vcFindArchiveName(master_.name.c_str(), name, sizeof name, &handle,
                             VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE);
  archiveName_ = name;
  if (rc == VC_E_ENCRYPTED_FILE && handle) {
    char password[10] = {};
    if (archive::askArchivePassword(ui_, handle, name, password, sizeof password) == 0 && password[0]) {
      rc = vcSetPassword(handle, password);
    }
    std::memset(password, 0, sizeof password);
    if (rc != 0) {
      vcCloseArchive(handle);
      handle = 0;
    }
  }
  if (rc != 0) {
    if (handle) vcCloseArchive(handle);
    return;
  }
  archive_ = handle;
  char revision[kRevisionSize] = {};
  if (vcGetArchiveInfo(archive_, VC_ARCHIVE_ITEM_FIRST_REVISION, revision, sizeof revision) == 0) {
    do {
      revisions_.emplace_back(revision);
    } while (revisions_.size() < 100000 &&
             vcGetRevInfo(archive_, VC_REVISION_ITEM_NEXT, revisions_.back().c_str(), revision, sizeof revision) == 0);
  }
  char label[kNameSize] = {};
  while (labels_.size() < 100000 && vcGetArchiveInfo(archive_, VC_ARCHIVE_ITEM_NEXT_LABEL, label, sizeof label) == 0)
    labels_.emplace_back(label);
}

void SandboxDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kSbMaster, master_.name);
  surface.setChecked(kSbVariant, false);
  if (app::hasPermission("OpenArchive")) openProjectArchive();
  surface.setListItems(kSbRevisions, revisions_);
  surface.setListItems(kSbLabels, labels_);
  surface.setChecked(kSbByRevision, !revisions_.empty());
  surface.setChecked(kSbByLabel, revisions_.empty() && !labels_.empty());
  surface.setEnabled(kSbVariant, archive_ != 0 && !revisions_.empty());
  int given = 0;
  const bool sparse = app::configFlagIsOn("sparse", &given);
  surface.setChecked(kSbCopyMembers, !sparse);
  updateVariantControls(surface);
}

void SandboxDialog::updateVariantControls(ui::DialogSurface& surface) {
  const bool variant = surface.isChecked(kSbVariant);
  const bool hasRevisions = !revisions_.empty(), hasLabels = !labels_.empty();
  surface.setEnabled(kSbByRevision, variant && hasRevisions);
  surface.setEnabled(kSbByLabel, variant && hasLabels);
  // Each list keeps its choice while the other one is in use.
  if (const auto s = surface.selection(kSbRevisions); !s.empty()) revisionIndex_ = s.front();
  if (const auto s = surface.selection(kSbLabels); !s.empty()) labelIndex_ = s.front();
  surface.setSelection(kSbRevisions, {});
  surface.setSelection(kSbLabels, {});
  const bool byRevision = surface.isChecked(kSbByRevision) || !hasLabels;
  surface.setEnabled(kSbRevisions, variant && byRevision && hasRevisions);
  surface.setEnabled(kSbLabels, variant && !byRevision && hasLabels);
  if (variant && byRevision && hasRevisions) surface.setSelection(kSbRevisions, {revisionIndex_});
  if (variant && !byRevision && hasLabels) surface.setSelection(kSbLabels, {labelIndex_});
}

void SandboxDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kSbVariant:
    case kSbByRevision:
    case kSbByLabel: updateVariantControls(surface); break;
    case kSbBrowse: {
      if (const auto chosen =
              external::browseForDirectory(ui_, "Sandbox File", surface.text(kSbLocation), "sandbox.pj"))
        surface.setText(kSbLocation, *chosen);
      break;
    }
    default: break;
  }
}

int SandboxDialog::writeSandbox(ui::DialogSurface& surface, const std::string& file, const std::string& master) {
  int sandbox = 0;
  auto failed = [&](int rc) {
    app::rcsErrorMessage(ui_, app::kStyleError, rc, app::formatText("Could not create sandbox %s.", file.c_str()));
    if (sandbox) vcCloseSandbox(sandbox);
    return rc;
  };
  int rc = vcOpenSandbox(file.c_str(), VC_PROJECT_OPEN_WRITE | VC_PROJECT_OPEN_CREATE, &sandbox, 0);
  if (rc != 0) return failed(rc);
  rc = vcSandboxOptionSet(sandbox, ("masterproject=" + master).c_str(), 1);
  if (rc != 0) return failed(rc);
  if (surface.isChecked(kSbVariant)) {
    const bool byLabel = surface.isChecked(kSbByLabel) && !labels_.empty();
    const auto rows = surface.selection(byLabel ? kSbLabels : kSbRevisions);
    const auto& list = byLabel ? labels_ : revisions_;
    std::string choice = rows.empty() ? surface.text(byLabel ? kSbLabels : kSbRevisions)
                                      : list[static_cast<std::size_t>(rows.front())];
    // A label line is the label, a blank and its revision: the sandbox
    // follows that revision, which is what the library opens it at.
    if (byLabel) {
      const std::size_t blank = choice.find(' ');
      const std::string label = choice.substr(0, blank);
      choice = blank == std::string::npos ? label : choice.substr(blank + 1);
      if (choice.empty()) choice = label;
    }
    const auto head = project::getArchiveRevisionText(ui_, archive_, archiveName_);
    if (head && *head == choice) {
      char number[kRevisionSize] = {};
      std::strncpy(number, choice.c_str(), sizeof number - 1);
      char newRevision[kRevisionSize] = {};
      const int made = archive::checkInNewRevision(archive_, number, newRevision, sizeof newRevision, 0);
      const int committed = made == 0 ? vcCommitArchive(archive_, VC_COMMIT_CLOSE) : made;
      if (committed == 0) {
        choice = newRevision;
        archive_ = 0;
      } else {
        archive::showArchiveError(ui_, committed, archiveName_, app::kStyleError);
      }
    }
    rc = vcSandboxOptionSet(sandbox, ("revision=" + choice).c_str(), 1);
    if (rc != 0) return failed(rc);
  }
  closeProjectArchive();
  rc = vcSaveSandbox(sandbox);
  if (rc != 0) return failed(rc);
  vcProjectEvent(sandbox, "createsandbox");
  vcCloseSandbox(sandbox);
  return 0;
}

bool SandboxDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  const std::string file = surface.text(kSbLocation);
  const std::string master = absoluteName(master_.name);
  const LocationCheck check = checkSandboxLocation(file, master, kSbLocation);
  if (!check.ok) {
    app::rcsMessage(ui_, app::kStyleError, check.message);
    surface.setFocus(check.focus);
    return false;
  }
  const std::string dir = directoryOf(file);
  if (!project::makeDirectories(dir)) {
    app::rcsMessage(ui_, app::kStyleError, app::formatText("Could not create directory %s.", dir.c_str()));
    return false;
  }
  const int rc = writeSandbox(surface, file, master);
  if (rc >= VC_E_NO_MESSAGE) {
    surface.end(ui::kAnswerCancel);
    return false;
  }
  if (rc != 0) return false;
  request_.sandbox = file;
  request_.variant = surface.isChecked(kSbVariant);
  request_.copyMembers = surface.isChecked(kSbCopyMembers);
  return true;
}

void createSandboxCommand(commands::ProjectWindow& window,
                          const std::function<void(const std::string&, bool remember)>& openWindow) {
  project::OpenProject& master = window.project();
  if (master.makeCurrent() != 1) return;
  ui::Ui& ui = master.ui();
  SandboxRequest request;
  {
    SandboxDialog logic(ui, master, request);
    if (ui.runDialog(sandboxDialogDescription(), logic) != ui::kAnswerOk) return;
  }
  {
    project::OpenProject sandbox(ui, request.sandbox.c_str(),
                                 request.variant ? VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_WRITE
                                                 : VC_PROJECT_OPEN_MODIFY);
    if (sandbox.status != 0) {
      if (sandbox.status == VC_E_ENCRYPTED_FILE) {
        app::rcsMessage(ui, app::kStyleError,
                        app::formatText("Sandbox %s cannot be opened because its project archive is encrypted. "
                                        "Sandboxes cannot be used with encrypted project archives.",
                                        request.sandbox.c_str()));
        sandbox.status = 0;
      }
      sandbox.showError(app::kStyleError);
      return;
    }
    if (sandbox.makeCurrent() != 1) return;
    if (request.copyMembers) populateSandbox(sandbox, request.variant);
  }
  // The sandbox object is closed before its window opens one of its own.
  if (openWindow) openWindow(request.sandbox, request.copyMembers);
}

void registerCreateSandbox(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  commands::WindowRegistry* windows = context.windows;
  if (!windows) return;
  registry.flows.createSandbox = [windows](commands::ProjectWindow& window) {
    createSandboxCommand(window, [windows](const std::string& file, bool remember) {
      if (commands::DocumentWindow* open = commands::findChild(*windows, commands::ChildKind::project, file)) {
        open->raise();
        return;
      }
      commands::ProjectWindowRequest request;
      request.name = file;
      request.remember = remember;
      windows->buildProjectWindow(request);
    });
  };
}

}  // namespace orv::workbench::dialogs
