// vcFilesChanged: whether any member's archive changed after a given time,
// so a caller that shows a project can tell when to read it again.
//
// Each member's working path (relative ones taken from the project file's
// directory) is looked up through the archive search with the project as
// the current one, so its own worktoarch pairs count; the archive file's
// modification time is the record of its last change.
#include "vc/project/project_handles.h"

#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/paths/name_parts.h"
#include "vc/paths/path_name.h"
#include "platform/sys/system_calls.h"

#include <array>

namespace vc {
namespace {

// Makes p the instance's current project for its lifetime and puts the
// previous one back.
class CurrentProjectScope {
 public:
  CurrentProjectScope(VcInstance& inst, VcProject& p)
      : work_(inst.work), project_(work_.project) {
    for (int i = 0; i < 3; ++i) lists_[static_cast<std::size_t>(i)] = work_.projectOptions[i];
    work_.project = &p;
    work_.projectOptions[0] = &p.policies;
    work_.projectOptions[1] = &p.file.options;
    work_.projectOptions[2] = p.throughSandbox ? &p.sandbox.options : nullptr;
  }
  ~CurrentProjectScope() {
    work_.project = project_;
    for (int i = 0; i < 3; ++i) work_.projectOptions[i] = lists_[static_cast<std::size_t>(i)];
  }
  CurrentProjectScope(const CurrentProjectScope&) = delete;
  CurrentProjectScope& operator=(const CurrentProjectScope&) = delete;

 private:
  VcCurrentWork& work_;
  VcProject* project_;
  std::array<VcOptionList*, 3> lists_{};
};

// The working path of a member.
std::string memberPath(const VcProject& p, const VcMember& m) {
  const std::string relative =
      m.directory.empty() || m.directory == "." ? m.name : m.directory + "/" + m.name;
  if (absoluteNameKind(relative.c_str()) != 0) return relative;
  return makeAbsoluteName(directoryPart(p.path), relative);
}

// True when the member's archive was changed after time.
bool archiveChangedAfter(const std::string& work, long time) {
  std::vector<char> archive(kScratchSize);
  if (vcFindArchiveName(work.c_str(), archive.data(), static_cast<int>(archive.size()), nullptr, 1) != 0)
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
    if (archiveChangedAfter(memberPath(*p, m), time)) return err::kDone;
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
