// Splitting a confirmed Create Archive record, writing the new archive's
// settings, and the services of the shell's Create Archive runs (see
// create_archive_flow.h).
#include "dialogs/create_archive_flow.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "dialogs/create_archive_dialog.h"
#include "shell/archive_revisions.h"
#include "shell/dialog_text.h"
#include "shell/message_styles.h"
#include "shell/password_cache.h"
#include "shell/string_table.h"
#include "vc/include/vc.h"

namespace orv::dialogs {

namespace {

// Archive items: this open created the archive; strict locking, compression,
// data type and description.
constexpr int kItemCreated = 48;
constexpr int kItemStrict = 26;
constexpr int kItemCompression = 45;
constexpr int kItemDataType = 25;
constexpr int kItemDescription = 49;
constexpr std::size_t kDescriptionLimit = 1536;

int dataTypeCode(const shell::TCreateArchiveTransferStruct& record) {
  const int chosen = record.dataTypeSelection;
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= record.dataTypes.size()) return 2;
  const int code = shell::findStringIndex(kDataTypeNames, record.dataTypes[static_cast<std::size_t>(chosen)]);
  return code < 0 ? 2 : code;
}

template <std::size_t N>
void wipe(char (&field)[N]) {
  std::fill(std::begin(field), std::end(field), '\0');
}

}  // namespace

bool createArchiveCheckInData(const shell::TCreateArchiveTransferStruct& record, TNewArchiveSettings& settings,
                              shell::TCiTransferStruct& checkIn) {
  checkIn = shell::TCiTransferStruct{};
  shell::setField(checkIn.label, shell::fieldText(record.label));
  shell::setField(checkIn.number, shell::fieldText(record.number));
  shell::setField(checkIn.state, shell::fieldText(record.state));
  shell::setField(checkIn.author, shell::fieldText(record.author));
  shell::setField(checkIn.description, shell::loadString(shell::kStrInitialRevision));
  checkIn.locked = record.locked;
  checkIn.keepWorkFile = record.keepWork;

  settings = TNewArchiveSettings{};
  settings.strict = record.strictLocking;
  settings.compressed = record.compressed;
  settings.encrypted = record.encrypted;
  settings.runMode = record.allFiles;
  shell::setField(settings.description, shell::fieldText(record.description));
  shell::setField(settings.password, shell::fieldText(record.password));
  settings.dataType[0] = static_cast<char>(dataTypeCode(record));
  return record.checkIn == 1;
}

bool applyNewArchiveSettings(const TNewArchiveSettings& settings, shell::OpenArchive& archive, int& answer) {
  ui::Ui& ui = archive.ui();
  const int h = archive.handle();
  char created = 0;
  if (vcGetArchiveInfo(h, kItemCreated, &created, 1) != 0 || created == 0) {
    answer = shell::rcsMessage(ui, shell::kStyleErrorCancel,
                               shell::formatString(shell::kStrArchiveExists, archive.archiveName().c_str()));
    return false;
  }
  // A refused step is shown; Cancel there ends the settings.
  const auto goesOn = [&](int rc) {
    if (rc == 0) return true;
    archive.setStatus(rc);
    answer = archive.showError(shell::kStyleErrorCancel);
    return answer != ui::kAnswerCancel;
  };
  const char strict[2] = {static_cast<char>(settings.strict == 1 ? 1 : 0), '\0'};
  if (!goesOn(vcSetArchiveInfo(h, kItemStrict, strict, nullptr))) return false;
  const char compressed[2] = {static_cast<char>(settings.compressed == 1 ? 1 : 0), '\0'};
  if (!goesOn(vcSetArchiveInfo(h, kItemCompression, compressed, nullptr))) return false;
  if (settings.encrypted == 1) {
    const int rc = vcSetPassword(h, settings.password);
    if (rc == 0) shell::rememberArchivePassword(archive.archiveName().c_str(), settings.password);
    if (!goesOn(rc)) return false;
  }
  const char dataType[2] = {settings.dataType[0], '\0'};
  if (!goesOn(vcSetArchiveInfo(h, kItemDataType, dataType, nullptr))) return false;
  char description[kDescriptionLimit] = {};
  shell::stripCarriageReturns(description, shell::fieldText(settings.description).c_str(), sizeof description);
  if (!goesOn(vcSetArchiveInfo(h, kItemDescription, description, nullptr))) return false;

  int rc = 0;
  {
    shell::BusyCursor busy(ui);
    rc = vcCommitArchive(h, 0);
  }
  if (rc == 0) return true;
  archive.setStatus(rc);
  answer = archive.showError(shell::kStyleErrorCancel);
  return false;
}

shell::CreateArchiveServices createArchiveServices() {
  // The enforced settings found with the defaults serve the dialog after them.
  auto enforced = std::make_shared<EnforcedSettings>();
  shell::CreateArchiveServices s;
  s.fillDefaults = [enforced](shell::OpenArchive& archive, shell::TCreateArchiveTransferStruct& record) {
    *enforced = EnforcedSettings{};
    return setDefaults(archive, record, *enforced);
  };
  s.dialog = [enforced](shell::OpenArchive& archive, shell::TCreateArchiveTransferStruct& record,
                        bool checkInAllowed) {
    CreateArchiveDialog logic(archive.ui(), record, archive, *enforced, checkInAllowed);
    return archive.ui().runDialog(createArchiveDialogDescription(), logic);
  };
  // The password stays in the record only while the run needs it.
  s.done = [](shell::TCreateArchiveTransferStruct& record) { wipe(record.password); };
  s.initialRevision = [](const shell::TCreateArchiveTransferStruct& record, shell::TCiTransferStruct& checkIn) {
    TNewArchiveSettings settings;
    return createArchiveCheckInData(record, settings, checkIn);
  };
  s.applySettings = [](shell::OpenArchive& archive, const shell::TCreateArchiveTransferStruct& record,
                       int& answer) {
    TNewArchiveSettings settings;
    shell::TCiTransferStruct checkIn;
    createArchiveCheckInData(record, settings, checkIn);
    const bool written = applyNewArchiveSettings(settings, archive, answer);
    wipe(settings.password);
    return written;
  };
  return s;
}

void setMemberCreateArchiveDialogs(shell::MemberAddServices& services) {
  const shell::CreateArchiveServices create = createArchiveServices();
  services.createDefaults = create.fillDefaults;
  services.createDialog = [dialog = create.dialog](shell::OpenArchive& archive,
                                                    shell::TCreateArchiveTransferStruct& record) {
    return dialog(archive, record, true);
  };
  services.createArchive = shell::memberCreateArchiveStep(create);
}

}  // namespace orv::dialogs
