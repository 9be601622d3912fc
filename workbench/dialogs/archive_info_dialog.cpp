// The Archive Information dialog, its record and its changes (see
// archive_info_dialog.h).
#include "workbench/dialogs/archive_info_dialog.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "vc/include/vc.h"
#include "workbench/app/dialog_text.h"
#include "workbench/app/library_settings.h"
#include "workbench/app/message_styles.h"
#include "workbench/archive/password_cache.h"
#include "workbench/archive/password_dialogs.h"
#include "workbench/dialogs/create_archive_dialog.h"
#include "workbench/dialogs/dialog_fields.h"
#include "workbench/external/file_choices.h"

namespace orv::workbench::dialogs {

namespace {

constexpr int kBufferSize = 1536;

ui::DialogDescription describe() {
  using K = ui::ControlKind;
  ui::DialogDescription d;
  d.id = kArchiveInfoDialogId;
  d.title = "Archive Information";
  d.helpContext = kArchiveInfoHelpContext;
  d.controls = {
      {kAiWorkCaption, K::label, "Working File:", 1},
      {kAiWorkName, K::label, "", 1},
      {kAiArchiveCaption, K::label, "Archive File:", 1},
      {kAiArchiveName, K::label, "", 1},
      {kAiLabelsCaption, K::label, "&Labels:", 2},
      {kAiLabels, K::listBox, "", 2},
      {kAiLocksCaption, K::label, "Loc&ks:", 2},
      {kAiLocks, K::listBox, "", 2},
      {kAiStrict, K::checkBox, "&Strict Locking", 3},
      {kAiCompressed, K::checkBox, "&Compressed", 3},
      {kAiEncrypted, K::checkBox, "&Encrypted", 3},
      {kAiDataTypeCaption, K::label, "Data &Type:", 3},
      {kAiDataType, K::comboBox, "", 3},
      {kAiBranchCaption, K::label, "Default &Branch:", 3},
      {kAiBranch, K::lineEdit, "", 3},
      {kAiDescriptionCaption, K::label, "Archive &Description:", 4},
      {kAiDescription, K::multiLineEdit, "", 4},
      {kAiProjectsCaption, K::label, "Member of &Projects:", 5},
      {kAiProjects, K::listBox, "", 5},
      {kAiOk, K::defaultButton, "OK", 0},
      {kAiCancel, K::pushButton, "Cancel", 0},
      {kAiShowProjects, K::pushButton, "Pro&jects...", 0},
      {kAiHelp, K::pushButton, "&Help", 0},
  };
  d.helpPairs = {{kAiWorkCaption, 12023},     {kAiWorkName, 12023},        {kAiArchiveCaption, 12024},
                 {kAiArchiveName, 12024},     {kAiLabelsCaption, 12025},   {kAiLabels, 12025},
                 {kAiLocksCaption, 12026},    {kAiLocks, 12026},           {kAiStrict, 12027},
                 {kAiCompressed, 12028},      {kAiBranchCaption, 12029},   {kAiBranch, 12029},
                 {kAiEncrypted, 12030},       {kAiDataTypeCaption, 12031}, {kAiDataType, 12031},
                 {kAiDescriptionCaption, 12032}, {kAiDescription, 12032},  {kAiProjectsCaption, 12033},
                 {kAiProjects, 12033},        {kAiOk, 12034},              {kAiCancel, 12035},
                 {kAiHelp, 12036},            {kAiShowProjects, 12065}};
  return d;
}

std::uint32_t byteItem(int archive, int item) {
  char value[2] = {};
  return vcGetArchiveInfo(archive, item, value, sizeof value) == 0 && value[0] != 0 ? 1 : 0;
}

// 1 when the configuration enforces option at the value the archive has.
std::uint32_t fixedByConfiguration(const char* option, std::uint32_t value) {
  unsigned flags = 0;
  if (vcGetConfigFlags(option, &flags) != 0 || (flags & VC_OPTION_ENFORCED) == 0) return 0;
  const bool negated = (flags & VC_OPTION_NO) != 0;
  return (negated && value == 0) || (!negated && value == 1) ? 1 : 0;
}

std::vector<std::string> entries(int archive, int item) {
  std::vector<std::string> out;
  std::vector<char> entry(kBufferSize);
  while (vcGetArchiveInfo(archive, item, entry.data(), kBufferSize) == 0) out.emplace_back(entry.data());
  return out;
}

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string extensionText(int archive) {
  std::vector<char> buffer(kBufferSize);
  int rc = vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_EXTENSION, buffer.data(), kBufferSize);
  if (rc == VC_E_BUFFER_TOO_SMALL) {
    buffer.assign(static_cast<std::size_t>(vcBufferLenQ()) + 1, '\0');
    rc = vcGetArchiveInfo(archive, VC_ARCHIVE_ITEM_EXTENSION, buffer.data(), static_cast<int>(buffer.size()));
  }
  return rc == 0 ? std::string(buffer.data()) : std::string();
}

bool setByte(int archive, int item, int value) {
  const char text[2] = {static_cast<char>(value), '\0'};
  return vcSetArchiveInfo(archive, item, text, nullptr) == 0;
}

// The data types the archive takes, found by trying them under the write
// lock; the archive is read again afterwards, which throws the trials away.
void offerDataTypes(archive::OpenArchive& archive, int current, archive::TArchiveInfoTransferStruct& record) {
  const bool text = setByte(archive.handle(), VC_ARCHIVE_ITEM_SET_STORAGE, 0);
  const bool binary = setByte(archive.handle(), VC_ARCHIVE_ITEM_SET_STORAGE, VC_STORAGE_BINARY);
  const auto offer = [&](int type) {
    if (type == current) record.dataTypeSelection = static_cast<int>(record.dataTypes.size());
    record.dataTypes.emplace_back(kDataTypeNames[type]);
  };
  if (text) offer(0);
  if (binary) offer(VC_STORAGE_BINARY);
  if (text && binary) offer(VC_STORAGE_UNSTATED);
  if (!text && !binary) offer(current);  // an empty list would hide the type it has
  archive.dropWriteLock();
  archive.reopen();
}

}  // namespace

std::vector<std::string> projectsOfExtension(const std::string& text) {
  constexpr std::string_view kWord = "project";
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size() && isBlank(text[at])) ++at;
  for (std::size_t end = text.find(';', at); end != std::string::npos; end = text.find(';', at)) {
    const std::string_view piece(text.data() + at, end - at);
    if (piece.substr(0, kWord.size()) == kWord && (piece.size() == kWord.size() || isBlank(piece[kWord.size()]))) {
      std::size_t name = kWord.size();
      while (name < piece.size() && isBlank(piece[name])) ++name;
      out.emplace_back(piece.substr(name));
    }
    at = end + 1;
    while (at < text.size() && isBlank(text[at])) ++at;
  }
  return out;
}

const ui::DialogDescription& archiveInfoDialogDescription() {
  static const ui::DialogDescription description = describe();
  return description;
}

int readArchiveInfo(archive::OpenArchive& archive, archive::TArchiveInfoTransferStruct& record,
                    archive::TArchiveInfoUnchanged& unchanged, archive::TArchiveInfoFixed& fixed) {
  record = archive::TArchiveInfoTransferStruct{};
  unchanged = archive::TArchiveInfoUnchanged{};
  fixed = archive::TArchiveInfoFixed{};
  const int h = archive.handle();
  record.labels = entries(h, VC_ARCHIVE_ITEM_NEXT_LABEL);
  record.locks = entries(h, VC_ARCHIVE_ITEM_NEXT_LOCK);
  record.projects = projectsOfExtension(extensionText(h));

  record.strict = unchanged.strict = byteItem(h, VC_ARCHIVE_ITEM_STRICT_LOCKING);
  fixed.strict = fixedByConfiguration("strictlocks", record.strict);
  record.compressed = unchanged.compressed = byteItem(h, VC_ARCHIVE_ITEM_COMPRESSION);
  fixed.compressed = fixedByConfiguration("compress", record.compressed);
  record.encrypted = unchanged.encrypted = byteItem(h, VC_ARCHIVE_ITEM_ENCRYPTED);
  fixed.encrypted =
      app::hasPermission("EncryptArchive") ? fixedByConfiguration("encrypt", record.encrypted) : 1;

  char branch[80] = {};
  if (vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_DEFAULT_BRANCH, branch, sizeof branch) != 0) branch[0] = '\0';
  archive::setField(record.defaultBranch, branch);

  char type[2] = {};
  const bool typeRead = vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_STORAGE, type, sizeof type) == 0;
  const int current = typeRead && type[0] >= 0 && type[0] <= VC_STORAGE_UNSTATED ? type[0] : VC_STORAGE_UNSTATED;
  unchanged.dataType = static_cast<std::uint32_t>(current);
  if (typeRead && app::hasPermission("ModifyArchive") && archive.writeLock()) {
    offerDataTypes(archive, current, record);
  } else {
    record.dataTypes = {kDataTypeNames[current]};
    record.dataTypeSelection = 0;
  }

  std::vector<char> description(kBufferSize);
  if (vcGetArchiveInfo(archive.handle(), VC_ARCHIVE_ITEM_DESCRIPTION, description.data(), kBufferSize) != 0)
    description[0] = '\0';
  description.back() = '\0';
  app::addCarriageReturns(record.description, description.data(), sizeof record.description);
  return 1;
}

void writeArchiveInfo(archive::OpenArchive& archive, const archive::TArchiveInfoTransferStruct& record,
                      const archive::TArchiveInfoUnchanged& unchanged) {
  bool locked = false;
  bool changed = false;
  const auto lock = [&] { return locked || (locked = archive.writeLock()); };
  // A refused change is shown; the next one is still tried.
  const auto step = [&](int rc) {
    if (rc == 0) {
      changed = true;
      return;
    }
    archive.setStatus(rc);
    archive.showError(app::kStyleError);
  };
  const auto setItem = [&](int item, const char* value) {
    return vcSetArchiveInfo(archive.handle(), item, value, nullptr);
  };
  const auto byte = [](std::uint32_t on) { return on == 1 ? "\1" : ""; };

  if (record.strict != unchanged.strict) {
    if (!lock()) return;
    step(setItem(VC_ARCHIVE_ITEM_SET_STRICT_LOCKING, byte(record.strict)));
  }
  if (record.compressed != unchanged.compressed) {
    if (!lock()) return;
    step(setItem(VC_ARCHIVE_ITEM_SET_COMPRESSION, byte(record.compressed)));
  }
  if (record.encrypted != unchanged.encrypted) {
    if (record.encrypted == 1) {
      char password[10] = {};
      archive::NewPasswordDialog dialog(archive.ui(), archive.archiveName());
      if (archive.ui().runDialog(archive::newPasswordDialogDescription(), dialog) == ui::kAnswerOk) {
        dialog.getPassword(password, sizeof password);
        if (!lock()) return;
        const int rc = vcSetPassword(archive.handle(), password);
        if (rc == 0) archive::rememberArchivePassword(archive.archiveName().c_str(), password);
        step(rc);
        std::fill(std::begin(password), std::end(password), '\0');
      }
    } else {
      if (!lock()) return;
      step(vcSetPassword(archive.handle(), nullptr));
    }
  }
  const int chosen = record.dataTypeSelection;
  int type = static_cast<int>(unchanged.dataType);
  if (chosen >= 0 && static_cast<std::size_t>(chosen) < record.dataTypes.size()) {
    const int code = app::findStringIndex(kDataTypeNames, record.dataTypes[static_cast<std::size_t>(chosen)]);
    type = code < 0 ? VC_STORAGE_UNSTATED : code;
  }
  if (type != static_cast<int>(unchanged.dataType)) {
    if (!lock()) return;
    const char value[2] = {static_cast<char>(type), '\0'};
    step(setItem(VC_ARCHIVE_ITEM_SET_STORAGE, value));
  }
  if (unchanged.branchEdited == 1) {
    if (!lock()) return;
    step(setItem(VC_ARCHIVE_ITEM_SET_DEFAULT_BRANCH, record.defaultBranch));
  }
  if (unchanged.descriptionEdited == 1) {
    if (!lock()) return;
    char description[sizeof record.description] = {};
    app::stripCarriageReturns(description, record.description, sizeof description);
    step(setItem(VC_ARCHIVE_ITEM_SET_DESCRIPTION, description));
  }
  if (changed) commitArchiveChanges(archive);
}

void ArchiveInfoDialog::setUp(ui::DialogSurface& surface) {
  const archive::TArchiveInfoTransferStruct& r = record_;
  mayModify_ = app::hasPermission("ModifyArchive");
  surface.setText(kAiWorkName, external::fitStaticText(archive_.workFileName()));
  surface.setText(kAiArchiveName, external::fitStaticText(archive_.archiveName()));
  surface.setListItems(kAiLabels, r.labels);
  surface.setListItems(kAiLocks, r.locks);
  surface.setListItems(kAiProjects, r.projects);
  surface.setChecked(kAiStrict, r.strict == 1);
  surface.setChecked(kAiCompressed, r.compressed == 1);
  surface.setChecked(kAiEncrypted, r.encrypted == 1);
  branchShown_ = archive::fieldText(r.defaultBranch);
  surface.setText(kAiBranch, branchShown_);
  surface.setListItems(kAiDataType, r.dataTypes);
  if (r.dataTypeSelection >= 0) {
    surface.setSelection(kAiDataType, {r.dataTypeSelection});
    surface.setText(kAiDataType, r.dataTypes[static_cast<std::size_t>(r.dataTypeSelection)]);
  }
  descriptionShown_ = archive::fieldText(r.description);
  surface.setText(kAiDescription, descriptionShown_);
  showProjects(surface, false);

  surface.setEnabled(kAiStrict, mayModify_ && fixed_.strict == 0);
  surface.setEnabled(kAiCompressed, mayModify_ && fixed_.compressed == 0);
  surface.setEnabled(kAiEncrypted, mayModify_ && fixed_.encrypted == 0);
  for (int id : {kAiDataTypeCaption, kAiDataType, kAiBranchCaption, kAiBranch, kAiDescriptionCaption,
                 kAiDescription})
    surface.setEnabled(id, mayModify_);
}

void ArchiveInfoDialog::showProjects(ui::DialogSurface& surface, bool shown) {
  projectsShown_ = shown;
  surface.setVisible(kAiProjectsCaption, shown);
  surface.setVisible(kAiProjects, shown);
}

void ArchiveInfoDialog::command(ui::DialogSurface& surface, int controlId) {
  if (controlId == kAiShowProjects) showProjects(surface, !projectsShown_);
}

bool ArchiveInfoDialog::canClose(ui::DialogSurface& surface, int result) {
  if (result != ui::kAnswerOk || !mayModify_) return true;
  if (!validateTokenFields(ui_, surface, {{kAiBranch, app::TokenKind::branch}})) return false;
  archive::TArchiveInfoTransferStruct& r = record_;
  r.strict = checkedValue(surface, kAiStrict);
  r.compressed = checkedValue(surface, kAiCompressed);
  r.encrypted = checkedValue(surface, kAiEncrypted);
  r.dataTypeSelection = chosenIndex(surface, kAiDataType, r.dataTypes);
  // A field counts as edited when its text is not what was shown.
  const std::string branch = surface.text(kAiBranch);
  if (branch != branchShown_) unchanged_.branchEdited = 1;
  readField(surface, kAiBranch, r.defaultBranch);
  std::string description = surface.text(kAiDescription);
  char shown[sizeof r.description] = {};
  app::stripCarriageReturns(shown, descriptionShown_.c_str(), sizeof shown);
  char typed[sizeof r.description] = {};
  app::stripCarriageReturns(typed, description.c_str(), sizeof typed);
  if (std::string_view(shown) != std::string_view(typed)) unchanged_.descriptionEdited = 1;
  app::addCarriageReturns(r.description, typed, sizeof r.description);
  return true;
}

void archiveInformation(archive::OpenArchive& archive) {
  archive::TArchiveInfoTransferStruct record;
  archive::TArchiveInfoUnchanged unchanged;
  archive::TArchiveInfoFixed fixed;
  readArchiveInfo(archive, record, unchanged, fixed);
  ArchiveInfoDialog logic(archive.ui(), record, archive, unchanged, fixed);
  if (archive.ui().runDialog(archiveInfoDialogDescription(), logic) == ui::kAnswerOk)
    writeArchiveInfo(archive, record, unchanged);
}

void registerArchiveInformation(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.items.archiveInformation = archiveInformation;
}

}  // namespace orv::workbench::dialogs
