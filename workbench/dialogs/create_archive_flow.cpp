// Splitting a confirmed Create Archive record, writing the new archive's
// settings, and the services of the core's Create Archive runs (see
// create_archive_flow.h).
#include "workbench/dialogs/create_archive_flow.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "vc/include/vc.h"
#include "workbench/app/dialog_text.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/password_cache.h"
#include "workbench/dialogs/create_archive_dialog.h"

namespace orv::workbench::dialogs {

namespace {

constexpr std::size_t kDescriptionLimit = 1536;

int dataTypeCode(const archive::TCreateArchiveTransferStruct& record) {
  const int chosen = record.dataTypeSelection;
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= record.dataTypes.size()) return 2;
  const int code = app::findStringIndex(kDataTypeNames, record.dataTypes[static_cast<std::size_t>(chosen)]);
  return code < 0 ? 2 : code;
}

template <std::size_t N>
void wipe(char (&field)[N]) {
  std::fill(std::begin(field), std::end(field), '\0');
}

}  // namespace

bool createArchiveCheckInData(const archive::TCreateArchiveTransferStruct& record, TNewArchiveSettings& settings,
                              archive::TCiTransferStruct& checkIn) {
  checkIn = archive::TCiTransferStruct{};
  archive::setField(checkIn.label, archive::fieldText(record.label));
  archive::setField(checkIn.number, archive::fieldText(record.number));
  archive::setField(checkIn.state, archive::fieldText(record.state));
  archive::setField(checkIn.author, archive::fieldText(record.author));
  archive::setField(checkIn.description, app::loadString(app::kStrInitialRevision));
  checkIn.locked = record.locked;
  checkIn.keepWorkFile = record.keepWork;

  settings = TNewArchiveSettings{};
  settings.strict = record.strictLocking;
  settings.compressed = record.compressed;
  settings.encrypted = record.encrypted;
  settings.runMode = record.allFiles;
  archive::setField(settings.description, archive::fieldText(record.description));
  archive::setField(settings.password, archive::fieldText(record.password));
  settings.dataType[0] = static_cast<char>(dataTypeCode(record));
  return record.checkIn == 1;
}

bool applyNewArchiveSettings(const TNewArchiveSettings& settings, archive::OpenArchive& archive, int& answer) {
  ui::Ui& ui = archive.ui();
  const int h = archive.handle();
  char created = 0;
  if (vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_CREATED, &created, 1) != 0 || created == 0) {
    answer = app::rcsMessage(ui, app::kStyleErrorCancel,
                               app::formatString(app::kStrArchiveExists, archive.archiveName().c_str()));
    return false;
  }
  // A refused step is shown; Cancel there ends the settings.
  const auto goesOn = [&](int rc) {
    if (rc == 0) return true;
    archive.setStatus(rc);
    answer = archive.showError(app::kStyleErrorCancel);
    return answer != ui::kAnswerCancel;
  };
  const char strict[2] = {static_cast<char>(settings.strict == 1 ? 1 : 0), '\0'};
  if (!goesOn(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_STRICT_LOCKING, strict, nullptr))) return false;
  const char compressed[2] = {static_cast<char>(settings.compressed == 1 ? 1 : 0), '\0'};
  if (!goesOn(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_COMPRESSION, compressed, nullptr))) return false;
  if (settings.encrypted == 1) {
    const int rc = vcSetPassword(h, settings.password);
    if (rc == 0) archive::rememberArchivePassword(archive.archiveName().c_str(), settings.password);
    if (!goesOn(rc)) return false;
  }
  const char dataType[2] = {settings.dataType[0], '\0'};
  if (!goesOn(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_STORAGE, dataType, nullptr))) return false;
  char description[kDescriptionLimit] = {};
  app::stripCarriageReturns(description, archive::fieldText(settings.description).c_str(), sizeof description);
  if (!goesOn(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_SET_DESCRIPTION, description, nullptr))) return false;

  int rc = 0;
  {
    archive::BusyCursor busy(ui);
    rc = vcCommitArchive(h, VC_COMMIT_KEEP_OPEN);
  }
  if (rc == 0) return true;
  archive.setStatus(rc);
  answer = archive.showError(app::kStyleErrorCancel);
  return false;
}

commands::CreateArchiveServices createArchiveServices() {
  // The enforced settings found with the defaults serve the dialog after them.
  auto enforced = std::make_shared<EnforcedSettings>();
  commands::CreateArchiveServices s;
  s.fillDefaults = [enforced](archive::OpenArchive& archive, archive::TCreateArchiveTransferStruct& record) {
    *enforced = EnforcedSettings{};
    return setDefaults(archive, record, *enforced);
  };
  s.dialog = [enforced](archive::OpenArchive& archive, archive::TCreateArchiveTransferStruct& record,
                        bool checkInAllowed) {
    CreateArchiveDialog logic(archive.ui(), record, archive, *enforced, checkInAllowed);
    return archive.ui().runDialog(createArchiveDialogDescription(), logic);
  };
  // The password stays in the record only while the run needs it.
  s.done = [](archive::TCreateArchiveTransferStruct& record) { wipe(record.password); };
  s.initialRevision = [](const archive::TCreateArchiveTransferStruct& record, archive::TCiTransferStruct& checkIn) {
    TNewArchiveSettings settings;
    return createArchiveCheckInData(record, settings, checkIn);
  };
  s.applySettings = [](archive::OpenArchive& archive, const archive::TCreateArchiveTransferStruct& record,
                       int& answer) {
    TNewArchiveSettings settings;
    archive::TCiTransferStruct checkIn;
    createArchiveCheckInData(record, settings, checkIn);
    const bool written = applyNewArchiveSettings(settings, archive, answer);
    wipe(settings.password);
    return written;
  };
  return s;
}

void setMemberCreateArchiveDialogs(project::MemberAddServices& services) {
  const commands::CreateArchiveServices create = createArchiveServices();
  services.createDefaults = create.fillDefaults;
  services.createDialog = [dialog = create.dialog](archive::OpenArchive& archive,
                                                    archive::TCreateArchiveTransferStruct& record) {
    return dialog(archive, record, true);
  };
  services.createArchive = commands::memberCreateArchiveStep(create);
}

void registerCreateArchive(commands::FrameRegistry& registry, const commands::FrameContext&) {
  registry.opening.createArchive = createArchiveServices();
}

}  // namespace orv::workbench::dialogs
