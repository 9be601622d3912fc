// The exported path calls: comparison, directory checks and creation, absolute
// names, the work-to-archive map and the archive search. Each looks up the
// caller's instance (VC_E_BAD_CALLER without one), checks the caller's buffer
// (a null buffer or a length below 1 answers VC_E_BAD_ARGUMENT, as for every
// string result of the library) and runs the path layer over the instance.
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/paths/path_calls.h"

namespace vc {
namespace {

// Runs body(env) for the caller's instance; a failure is recorded as the
// instance's last error.
template <class Body>
int withPaths(Body&& body) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    InstancePathEnvironment env(*inst);
    const int rc = body(env);
    return rc == 0 ? 0 : fail(*inst, rc);
  });
}

bool badBuffer(const char* buffer, int length) { return buffer == nullptr || length < 1; }

}  // namespace
}  // namespace vc

using vc::InstancePathEnvironment;
using vc::withPaths;

extern "C" {

// Answers 1 for two different paths without recording it as an error.
VC_API VcError vcPathSame(const char* first, const char* second) {
  return vc::guarded([&] {
    vc::VcInstance* inst = vc::currentInstance();
    if (!inst) return vc::err::kBadCaller;
    const int rc = vc::pathSame(first, second);
    return rc == vc::err::kBadArgument ? vc::fail(*inst, rc) : rc;
  });
}

VC_API VcError vcCheckDirPath(const char* name) {
  return withPaths([&](InstancePathEnvironment& env) { return vc::checkDirPath(env, name); });
}

VC_API VcError vcMakePath(const char* name) {
  return withPaths([&](InstancePathEnvironment& env) { return vc::makePath(env, name); });
}

VC_API VcError vcGetAbsName(const char* name, char* buffer, int length) {
  return withPaths([&](InstancePathEnvironment& env) {
    if (vc::badBuffer(buffer, length)) return vc::err::kBadArgument;
    return vc::getAbsName(env, name, buffer, length);
  });
}

VC_API VcError vcWorkToArchName(const char* root, const char* workName, const char* archiveTemplate,
                                char* buffer, int length) {
  return withPaths([&](InstancePathEnvironment& env) {
    if (vc::badBuffer(buffer, length)) return vc::err::kBadArgument;
    return vc::workToArchName(env, root, workName, archiveTemplate, buffer, length);
  });
}

VC_API VcError vcMapName(const char* workName, const char* archiveTemplate, char* buffer,
                         int length) {
  return withPaths([&](InstancePathEnvironment& env) {
    if (vc::badBuffer(buffer, length)) return vc::err::kBadArgument;
    return vc::mapName(env, workName, archiveTemplate, buffer, length);
  });
}

VC_API VcError vcFindArchiveName(const char* workName, char* archiveName, int length, int* archive,
                                 int mode) {
  return withPaths([&](InstancePathEnvironment& env) {
    if (archive) *archive = 0;
    if (vc::badBuffer(archiveName, length)) return vc::err::kBadArgument;
    return vc::findArchiveName(env, workName, archiveName, length, archive, mode);
  });
}

VC_API VcError vcFindWorkName(const char* archiveName, char* buffer, int length) {
  return withPaths([&](InstancePathEnvironment& env) {
    if (vc::badBuffer(buffer, length)) return vc::err::kBadArgument;
    return vc::findWorkName(env, archiveName, buffer, length);
  });
}

}  // extern "C"
