// vcSetWorkPerms: a working file is writable when the user holds its lock or
// the archive does not use strict locking, read-only otherwise.
#include "vc/archive/archive_handles.h"
#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "vc/instance/instance.h"
#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

namespace vc {
namespace {

// Whether an open archive uses strict locking: 0, or VC_E_BAD_ARCHIVE_HANDLE
// for a handle that is not open (or the archive's own error when its header
// cannot be read).
int strictLocking(VcInstance& inst, int handle, bool* strict) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return rc;
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  *strict = (a->file.flags & vc::archive::kFlagStrict) != 0;
  return 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" VC_API VcError vcSetWorkPerms(int archive, int /*reserved*/, const char* workFile,
                                         int locked) {
  return guarded([&] {
    if (!workFile) return err::kBadArgument;
    VcInstance* inst = currentInstance();
    bool strict = true;  // without a handle strict locking is assumed
    if (archive != 0) {
      if (!inst) return err::kBadArchiveHandle;
      if (int rc = strictLocking(*inst, archive, &strict)) return rc;
    }
    const std::string path = orv::fs::forward_slashes(workFile);
    int e = (locked || !strict) ? setWritable(path) : setReadOnly(path);
    if (e) {
      if (archive != 0 && inst) inst->extraError = e;
      return err::kWorkWrite;
    }
    return 0;
  });
}
