// The archive handle table, closing archive records, change marks and the
// user name the archive lists know.
#include "vc/archive/archive_handles.h"

#include "vc/archive/archive_events.h"
#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "vc/tokens/safe_names.h"
#include "platform/sys/system_calls.h"
#include "vc/instance/instance.h"
#include "vc/archive/operation_log.h"
#include "vc/security/permissions.h"
#include "vc/config/option_state.h"
#include "vc/archive/current_work.h"

#include <array>

namespace vc {
namespace {

// Library-wide: handles are unique across the instances of this copy.
std::array<VcArchive*, kArchiveHandles> g_table{};

void closeArchivesOf(VcInstance& inst) {
  for (VcArchive* a : g_table)
    if (a && a->owner == &inst) closeArchive(inst, a);
}

// The security objects of the instance's current archive.
std::vector<std::string> currentArchiveSecurityObjects(VcInstance& inst) {
  const VcArchive* a = archiveWorkOf(inst).archive;
  if (!a) return {};
  return a->file.securityObjects;
}

struct Registration {
  Registration() {
    addCleanupHook(&closeArchivesOf);
    setArchiveSecurityObjectsSource(&currentArchiveSecurityObjects);
  }
} g_registration;

}  // namespace

VcArchiveWork& archiveWorkOf(VcInstance& inst) { return instancePart<VcArchiveWork>(inst); }

VcArchive::~VcArchive() {
  if (fd >= 0) orv::sys::calls().close(fd);
  removeTemp(nullptr, plainCopy);
}

int lookupArchive(VcInstance& inst, int handle, VcArchive*& out) {
  out = nullptr;
  if (handle < 1 || handle > kArchiveHandles) return err::kBadArchiveHandle;
  VcArchive* a = g_table[static_cast<std::size_t>(handle - 1)];
  if (!a || a->owner != &inst) return err::kBadArchiveHandle;
  out = a;
  return 0;
}

VcArchive* archiveInTable(int index) {
  return index >= 0 && index < kArchiveHandles ? g_table[static_cast<std::size_t>(index)] : nullptr;
}

int registerArchive(VcArchive* a) {
  for (std::size_t i = 0; i < g_table.size(); ++i) {
    if (!g_table[i]) {
      g_table[i] = a;
      a->handle = static_cast<int>(i) + 1;
      return 0;
    }
  }
  return err::kTooManyFiles;
}

void closeArchive(VcInstance& inst, VcArchive* a) {
  if (!a) return;
  writeOperationLog(inst, *a);
  // An archive this open created and no commit filled was never on disk:
  // nothing to remove.
  if (a->handle >= 1 && a->handle <= kArchiveHandles &&
      g_table[static_cast<std::size_t>(a->handle - 1)] == a)
    g_table[static_cast<std::size_t>(a->handle - 1)] = nullptr;
  if (archiveWorkOf(inst).archive == a) {
    archiveWorkOf(inst).archive = nullptr;
    optionsOf(inst).archive = nullptr;
  }
  delete a;
}

void markDeltaChanged(VcArchive& a, vc::archive::DeltaRecord& d) {
  d.changeFlags |= vc::archive::kDeltaChanged;
  a.file.flags |= vc::archive::kFlagModified;
}

void markArchiveChanged(VcArchive& a) { a.file.flags |= vc::archive::kFlagModified; }

}  // namespace vc
