// The archive calls of the path layer over a library instance (see
// instance_path_environment.h).
#include "vc/archive/instance_path_environment.h"

#include "vc/archive/archive_handles.h"
#include "vc/paths/path_calls.h"

namespace vc {

int InstancePathEnvironment::openArchive(const std::string& path, int* handle, int mode) {
  return vc::openArchive(inst_, path.c_str(), handle, mode);
}

int InstancePathEnvironment::commitArchive(int handle, int close) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst_, handle, a)) return fail(inst_, rc);
  return vc::commitArchive(inst_, *a, close != 0);
}

int InstancePathEnvironment::closeArchive(int handle) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst_, handle, a)) return fail(inst_, rc);
  vc::closeArchive(inst_, a);
  return 0;
}

int absoluteLibraryName(VcInstance& inst, const std::string& name, std::string& out) {
  InstancePathEnvironment env(inst);
  return vc::absoluteName(env, name, out);
}

}  // namespace vc
