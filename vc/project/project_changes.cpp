// vcFilesChanged: whether any member's archive changed after a given time,
// so a caller that shows a project can tell when to read it again.
//
// Each member's full name (its variables expanded, relative ones taken from
// the project directory) is looked up through the archive search with the project as
// the current one, so its own worktoarch pairs count; the archive file's
// modification time is the record of its last change.
#include "vc/project/project_handles.h"
#include "vc/project/current_project_scope.h"
#include "vc/project/project_members.h"

#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/paths/name_parts.h"
#include "vc/paths/path_name.h"
#include "platform/sys/system_calls.h"

namespace vc {
namespace {

// True when the member's archive was changed after time.
bool archiveChangedAfter(const std::string& work, long time) {
  std::vector<char> archive(kScratchSize);
  if (vcFindArchiveName(work.c_str(), archive.data(), static_cast<int>(archive.size()), nullptr,
                        VC_ARCHIVE_OPEN_READ) != 0)
    return false;
  struct stat st {};
  if (orv::sys::calls().stat(archive.data(), &st) != 0) return false;
  return st.st_mtime > time;
}

int filesChanged(VcInstance& inst, int handle, long time) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  CurrentProjectScope current(inst, *p);
  for (const VcMember& m : p->file.members)
    if (archiveChangedAfter(fullMemberName(inst, *p, m), time)) return err::kDone;
  inst.lastError = 0;
  return 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcFilesChanged(int project, long time) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadProjectHandle;
    return filesChanged(*inst, project, time);
  });
}

}  // extern "C"
