// vcSetWorkPerms: a working file is writable when the user holds its lock or
// the archive does not use strict locking, read-only otherwise.
#include "vc/revisions/work_perms.h"

#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "vc/instance/instance.h"
#include "vc/paths/path_name.h"
#include "fs/path_separators.h"

namespace vc {
namespace {

int noArchives(VcInstance&, int, bool*) { return err::kBadArchiveHandle; }
StrictLockingQuery g_query = noArchives;

}  // namespace

void setStrictLockingQuery(StrictLockingQuery query) { g_query = query ? query : noArchives; }

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
      if (int rc = g_query(*inst, archive, &strict)) return rc;
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
