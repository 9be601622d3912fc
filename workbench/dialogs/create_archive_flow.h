// What happens to a confirmed Create Archive record: it splits into the new
// archive's settings and the first revision's check-in record, and the
// settings are written to the archive just created. createArchiveServices
// hands these steps, the defaults and the dialog to the core's Create
// Archive run (the File menu, the command server, adding members).
#pragma once

#include <cstdint>

#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/commands/open_create_commands.h"
#include "workbench/project/project_members_add.h"

namespace orv::workbench::dialogs {

// The settings of a new archive.
struct TNewArchiveSettings {
  std::uint32_t strict = 0;
  std::uint32_t compressed = 0;
  std::uint32_t encrypted = 0;
  char dataType[40] = {};  // first byte: 0 text, 1 binary, 2 decided by the library
  char description[1535] = {};
  std::uint32_t runMode = 0;  // the record's allFiles
  char password[10] = {};
};

// Fills settings and checkIn (which starts empty) from record; true when
// the record asks for a first revision.
bool createArchiveCheckInData(const archive::TCreateArchiveTransferStruct& record, TNewArchiveSettings& settings,
                              archive::TCiTransferStruct& checkIn);

// Writes settings to archive, which this open created, and commits it.
// Each refused step is shown (OK and Cancel) and the next one tried, unless
// the answer, kept in answer, was Cancel. True when the archive was written.
bool applyNewArchiveSettings(const TNewArchiveSettings& settings, archive::OpenArchive& archive, int& answer);

// The Create Archive dialog and its steps for the core's runs.
commands::CreateArchiveServices createArchiveServices();
// The same dialog for adding members to a project.
void setMemberCreateArchiveDialogs(project::MemberAddServices& services);

// Registers the Create Archive dialogs of the open and create commands.
void registerCreateArchive(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
