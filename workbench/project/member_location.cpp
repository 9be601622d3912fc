// The sandbox-add callbacks and the member-location dialog's logic.
#include "workbench/project/member_location.h"

#include <cstring>

#include "platform/fs/path_separators.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::project {

namespace {

using ui::ControlKind;

constexpr std::size_t kPathRoom = 512;  // the library's name buffers

ui::Ui* g_ui = nullptr;

// Copies text into a caller's buffer of room bytes, cut and terminated.
void copyOut(const std::string& text, char* buffer, std::size_t room) {
  if (!buffer || room == 0) return;
  const std::size_t n = std::min(text.size(), room - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

std::string cutTo(std::string text, std::size_t n) {
  if (text.size() > n) text.resize(n);
  return text;
}

}  // namespace

std::string stripLastPathComponent(const std::string& path) {
  const std::string p = fs::forward_slashes(path);
  const auto slash = p.find_last_of('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return p.substr(0, slash);
}

std::string baseName(const std::string& path) {
  const std::string p = fs::forward_slashes(path);
  const auto slash = p.find_last_of('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  std::string d = fs::forward_slashes(dir);
  if (d.back() != '/') d += '/';
  return d + name;
}

MemberAddMemories& memberAddMemories() {
  static MemberAddMemories memories;
  return memories;
}

void resetMemberAddMemories() { memberAddMemories() = MemberAddMemories{}; }

void setMemberAddUi(ui::Ui* ui) { g_ui = ui; }

int queryLocation(const char* file, const char* /*directory*/, char* result, int /*reserved*/) {
  MemberAddMemories& m = memberAddMemories();
  if (!file || !result) return -1;
  if (m.askLocation) {
    if (!g_ui) return -1;
    MemberLocationDialog dialog(*g_ui, file, stripLastPathComponent(result));
    if (g_ui->runDialog(memberLocationDialogDescription(), dialog) != ui::kAnswerOk) {
      m.locationCancelled = dialog.cancelAll();
      return -1;
    }
    if (dialog.allFiles()) m.askLocation = false;
    m.copyChosen = dialog.copy();
    if (m.copyChosen) m.chosenDirectory = dialog.directory();
  }
  if (!m.copyChosen) return 0;
  copyOut(joinPath(m.chosenDirectory, baseName(file)), result, kPathRoom);
  return 1;
}

int queryYesNo(int /*kind*/, const char* text) {
  MemberAddMemories& m = memberAddMemories();
  if (m.yesNoAnswer == kAnswerNoToAll || m.yesNoAnswer == ui::kAnswerCancel) return 0;
  if (m.yesNoAnswer == kAnswerYesToAll) return 1;
  if (!g_ui) {
    m.yesNoAnswer = ui::kAnswerCancel;
    return 0;
  }
  m.yesNoAnswer = customMessageBox(*g_ui, 4, text ? text : "");
  return m.yesNoAnswer == ui::kAnswerYes || m.yesNoAnswer == kAnswerYesToAll ? 1 : 0;
}

const ui::DialogDescription& memberLocationDialogDescription() {
  static const ui::DialogDescription d{
      kLocationDialogId,
      "Add Members",
      {{0, ControlKind::label, "The file", 0},
       {kLocationFileName, ControlKind::label, "", 0},
       {0, ControlKind::label, "may need to be copied to a common location so", 0},
       {0, ControlKind::label, "other users can access it.", 0},
       {kLocationLeave, ControlKind::radioButton, "&Leave the file where it is", 1},
       {kLocationCopy, ControlKind::radioButton, "&Copy the file to the directory:", 1},
       {kLocationDirectory, ControlKind::lineEdit, "", 1},
       {kLocationBrowse, ControlKind::pushButton, "&Browse...", 1},
       {kLocationAllFiles, ControlKind::checkBox, "All &Files", 2},
       {ui::kAnswerOk, ControlKind::defaultButton, "OK", 3},
       {ui::kAnswerCancel, ControlKind::pushButton, "Cancel", 3},
       {kLocationCancelAll, ControlKind::pushButton, "Cancel &All", 3},
       {kLocationHelp, ControlKind::pushButton, "&Help", 3}},
      kLocationHelpContext};
  return d;
}

void MemberLocationDialog::enableDirectory(ui::DialogSurface& surface, bool on) {
  surface.setEnabled(kLocationDirectory, on);
  surface.setEnabled(kLocationBrowse, on);
}

void MemberLocationDialog::setUp(ui::DialogSurface& surface) {
  surface.setText(kLocationFileName, file_);
  surface.setText(kLocationDirectory, cutTo(directory_, kPathRoom - 1));
  surface.setChecked(kLocationLeave, true);
  surface.setChecked(kLocationCopy, false);
  enableDirectory(surface, false);
}

void MemberLocationDialog::browse(ui::DialogSurface& surface) {
  std::string start = cutTo(surface.text(kLocationDirectory), kPathRoom - 1);
  if (!start.empty() && start.back() != '/' && start.back() != '\\') start += '/';
  auto chosen = ui_.chooseDirectory(std::string(loadString(kStrSelectDirectory)), start);
  if (!chosen) return;
  // The chooser answers with the directory itself (no file name to cut).
  std::string picked = fs::forward_slashes(*chosen);
  if (!picked.empty() && picked.back() == '/') picked.pop_back();
  surface.setText(kLocationDirectory, cutTo(picked, kPathRoom - 1));
}

void MemberLocationDialog::command(ui::DialogSurface& surface, int controlId) {
  switch (controlId) {
    case kLocationLeave:
      enableDirectory(surface, false);
      break;
    case kLocationCopy:
      enableDirectory(surface, true);
      break;
    case kLocationBrowse:
      browse(surface);
      break;
    case kLocationCancelAll:
      cancelAll_ = true;
      surface.end(ui::kAnswerCancel);
      break;
    case kLocationHelp:
      ui_.showHelp(kLocationHelpContext);
      break;
    default:
      break;
  }
}

bool MemberLocationDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk) return true;
  allFiles_ = surface.isChecked(kLocationAllFiles);
  copy_ = surface.isChecked(kLocationCopy);
  directory_ = fs::forward_slashes(cutTo(surface.text(kLocationDirectory), kPathRoom - 1));
  return true;
}

}  // namespace orv::workbench::project
