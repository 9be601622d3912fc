// Opening and closing projects and sandboxes: the exports vcOpenProject,
// vcOpenRevProject, vcTempProject, vcCloseProject, vcOpenSandbox and
// vcCloseSandbox, the handle counters and the instance's lists.
//
// Opening reads the file whole and never writes it: a project created by the
// open, or one whose reading changed it, is only marked changed and written
// by the caller's save. A sandbox file leads to its master project, one hop
// only; a sandbox naming a revision of its master (a variant) opens that
// revision, checked out of the project file's own archive into a temporary
// file. Permission refusals come in a fixed order so that callers can tell
// them apart: no instance, may not open, bad arguments, may not create, then
// what reading the files answers.
#include "vc/project/project_handles.h"
#include "vc/project/project_members.h"

#include "vc/project/project_uses.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/project/system_info.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/paths/name_parts.h"
#include "vc/paths/path_name.h"
#include "vc/security/permissions.h"
#include "vc/config/option_state.h"
#include "vc/project/project_work.h"
#include "vc/revisions/revision_text.h"
#include "platform/sys/system_calls.h"

#include <atomic>
#include <cerrno>
#include <memory>

namespace vc {
namespace {

// Process-wide serials; handles are never reused within a process.
std::atomic<int> g_projectSerial{0};
std::atomic<int> g_sandboxSerial{0};

// What one open asks for.
struct OpenRequest {
  std::string path;                   // absolute
  std::optional<std::string> revision;
  int flags = 0;
  bool temporary = false;
};

// Reads path whole with the identity of what was read. 0 or an errno value.
int readFileText(const std::string& path, std::string& text, orv::fs::FileIdentity& id) {
  auto& sys = orv::sys::calls();
  const int fd = sys.open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return errno;
  id = orv::fs::identityOf(fd);
  text.clear();
  const int e = orv::sys::readAll(fd, text);
  sys.close(fd);
  return e;
}

bool fileMissing(const std::string& path) {
  struct stat st {};
  return orv::sys::calls().stat(path.c_str(), &st) != 0 && errno == ENOENT;
}

// Both permissions, else the refusal (recorded as requirePermission does).
int requireBoth(VcInstance& inst, const char* first, const char* second, int refusal) {
  if (int rc = requirePermission(inst, first, refusal)) return rc;
  return requirePermission(inst, second, refusal);
}

int requireSandboxOpen(VcInstance& inst) {
  return requireBoth(inst, "opensandbox", "openproject", err::kDenyOpenSandbox);
}

// The sandbox's master project as an absolute name: a relative master is
// taken from the sandbox file's directory.
std::string masterPath(const std::string& sandboxPath, const std::string& master) {
  if (absoluteNameKind(master.c_str()) != 0) return normalizePath(master, true);
  return makeAbsoluteName(directoryPart(sandboxPath), master);
}

// Checks the asked revision of the project file out of its own archive into
// a temporary file. 0 or the failure of the archive calls.
int checkOutRevisionCopy(VcInstance& inst, VcProject& p, const std::string& revision) {
  // A named file (check-out replaces it by name) in the temporary directory.
  const char* tmp = orv::sys::calls().getenv("TMPDIR");
  if (int rc = createTempBeside(&inst, tmp && *tmp ? tmp : "/tmp", kProjectTempPrefix,
                                p.revisionCopy))
    return rc;
  orv::sys::calls().close(p.revisionCopy.fd);
  p.revisionCopy.fd = -1;
  std::vector<char> archiveName(kScratchSize);
  int archive = 0;
  int rc = vcFindArchiveName(p.path.c_str(), archiveName.data(), static_cast<int>(archiveName.size()),
                             &archive, VC_ARCHIVE_OPEN_READ);
  if (rc == err::kEncryptedFile || rc == 0) {
    const int co = vcCoRevision(archive, revision.c_str(), p.revisionCopy.path.c_str());
    vcCloseArchive(archive);
    rc = co;
  } else if (archive) {
    vcCloseArchive(archive);
  }
  if (rc == err::kArchiveMissing) rc = err::kRevisionMissing;
  return rc ? fail(inst, rc) : 0;
}

// Reads the project from the revision copy; the copy must carry that revision.
int readRevisionCopy(VcInstance& inst, VcProject& p, const std::string& revision) {
  if (int rc = checkOutRevisionCopy(inst, p, revision)) return rc;
  std::string text;
  orv::fs::FileIdentity id;
  if (readFileText(p.revisionCopy.path, text, id)) return fail(inst, err::kCannotOpenProject, errno);
  const int form = recognizeProjectText(text, &revision);
  if (form != 0) return fail(inst, form < 0 ? err::kNotProjectFile : form);
  p.fromRevision = true;
  VcListSet lists = projectLists(inst, p);
  return readProjectText(inst, p.path, text, p.file, &lists);
}

// Follows a sandbox file to its master: reads the sandbox's options and
// moves p.path to the master project.
int enterSandbox(VcInstance& inst, VcProject& p, const std::string& text,
                 std::optional<std::string>& revision) {
  if (p.throughSandbox) return fail(inst, err::kNotProjectFile);  // a sandbox of a sandbox
  VcListSet lists = projectLists(inst, p);
  if (int rc = readSandboxText(inst, p.path, text, p.sandbox, &lists)) return rc;
  if (!revision) {
    revision = optionValue(p.sandbox.options, "revision");
    p.variant = revision.has_value();
  }
  if (int rc = requireSandboxOpen(inst)) return rc;
  p.throughSandbox = true;
  p.sandboxPath = p.path;
  p.sandboxIdentity = p.identity;
  p.path = masterPath(p.sandboxPath, *optionValue(p.sandbox.options, "masterproject"));
  return 0;
}

// Reads the file at p.path, following a sandbox to its master (Part of
// opening after the permission checks of the exports).
int readProjectRecord(VcInstance& inst, VcProject& p, OpenRequest& req) {
  for (;;) {
    std::string text;
    if (int e = readFileText(p.path, text, p.identity)) {
      if (e == ENOENT && (req.flags & kProjectCreate) && !p.throughSandbox) {
        p.existsOnDisk = false;
        text.clear();
      } else {
        return fail(inst, p.throughSandbox ? err::kMasterProjectInaccessible : err::kCannotOpenProject, e);
      }
    }
    const int form = recognizeProjectText(text, req.revision ? &*req.revision : nullptr);
    if (form == kRecognisedSandbox) {
      if (int rc = enterSandbox(inst, p, text, req.revision)) return rc;
      continue;
    }
    if (form == kRecognisedEmpty) {
      if (!(req.flags & kProjectCreate)) return fail(inst, err::kNotProjectFile);
      p.modified = true;  // a new project: the caller's save writes it
      return 0;
    }
    if (form == 0 && !req.revision) {
      if (int rc = requirePermission(inst, "openproject", err::kDenyOpenProject)) return rc;
      VcListSet lists = projectLists(inst, p);
      return readProjectText(inst, p.path, text, p.file, &lists);
    }
    if (form == err::kProjectRevisionDiffers || form == 0) {
      if (int rc = requireSandboxOpen(inst)) return rc;
      if (!req.revision) return fail(inst, err::kRevisionMissing);
      return readRevisionCopy(inst, p, *req.revision);
    }
    return fail(inst, form);
  }
}

// The modify permissions of a project opened for modification.
int requireModify(VcInstance& inst, const VcProject& p) {
  if (p.variant) return requireBoth(inst, "modifysandbox", "checkpoint", err::kDenyModifySandbox);
  return requirePermission(inst, "modifyproject", err::kDenyModifyProject);
}

int openProject(VcInstance& inst, const char* name, const char* revision, int flags, int* handle,
                int keep, bool temporary) {
  if (int rc = requirePermission(inst, "openproject", err::kDenyOpenProject)) return rc;
  if (!name || !*name) return fail(inst, err::kBadArgument);
  OpenRequest req;
  req.flags = flags;
  req.temporary = temporary;
  if (revision) req.revision = std::string(revision);
  if (int rc = absoluteLibraryName(inst, name, req.path)) return fail(inst, rc);
  if ((flags & kProjectCreate) && fileMissing(req.path))
    if (int rc = requirePermission(inst, "createproject", err::kDenyCreateProject)) return rc;

  auto p = std::make_unique<VcProject>();
  p->owner = &inst;
  p->openFlags = flags;
  p->keptFlag = keep;
  p->temporary = temporary;
  p->path = req.path;
  if (int rc = readProjectRecord(inst, *p, req)) return rc;
  if (flags & (kProjectModify | kProjectWrite))
    if (int rc = requireModify(inst, *p)) return rc;
  if (int rc = projectOpenGate(inst, p->policies, p->path, p->openForWrite()))
    return fail(inst, rc);
  if (!handle) return 0;  // only a check: nothing kept, nothing written
  p->handle = ++g_projectSerial;
  *handle = p->handle;
  VcProject* opened = p.release();
  projectWorkOf(inst).projects.push_back(opened);
  askMemberVariables(inst, *opened);  // the callback may close it again
  VcProject* still = nullptr;
  if (lookupProject(inst, *handle, still) == 0) loadUses(inst, *still);
  return 0;
}

int openSandbox(VcInstance& inst, const char* name, int flags, int* handle, int keep) {
  if (!name || !*name) return fail(inst, err::kBadArgument);
  std::string path;
  if (int rc = absoluteLibraryName(inst, name, path)) return fail(inst, rc);
  if (flags & kProjectModify)
    if (int rc = requirePermission(inst, "modifysandbox", err::kDenyModifySandbox)) return rc;
  const bool missing = fileMissing(path);
  if ((flags & kProjectCreate) && missing)
    if (int rc = requirePermission(inst, "createsandbox", err::kDenyCreateSandbox)) return rc;
  if (handle)
    if (int rc = requireSandboxOpen(inst)) return rc;

  auto s = std::make_unique<VcProject>();
  s->owner = &inst;
  s->isSandbox = true;
  s->openFlags = flags;
  s->keptFlag = keep;
  s->path = path;
  std::string text;
  if (int e = readFileText(path, text, s->identity)) {
    if (!(e == ENOENT && (flags & kProjectCreate))) return fail(inst, err::kCannotOpenProject, e);
    s->existsOnDisk = false;
  }
  const int form = recognizeProjectText(text, nullptr);
  if (form == kRecognisedEmpty && (flags & kProjectCreate)) {
    s->sandboxModified = true;
  } else if (form != kRecognisedSandbox) {
    return fail(inst, err::kNotSandboxFile);
  } else {
    VcListSet lists = currentLists(inst);
    lists.project[2] = &s->sandbox.options;
    if (int rc = readSandboxText(inst, path, text, s->sandbox, &lists)) return rc;
  }
  if (!handle) return 0;
  s->handle = ++g_sandboxSerial;
  *handle = s->handle;
  projectWorkOf(inst).sandboxes.push_back(s.release());
  return 0;
}

// Takes the record of handle out of list; null when it is not there.
VcProject* unlinkFrom(std::vector<VcProject*>& list, int handle) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if ((*it)->handle != handle) continue;
    VcProject* p = *it;
    list.erase(it);
    return p;
  }
  return nullptr;
}

void forgetCurrent(VcInstance& inst, VcProject* p) {
  if (projectWorkOf(inst).project != p) return;
  projectWorkOf(inst).project = nullptr;
  for (auto& list : optionsOf(inst).project) list = nullptr;
}

void closeAllOf(VcInstance& inst) {
  for (VcProject* p : projectWorkOf(inst).projects) delete p;
  for (VcProject* s : projectWorkOf(inst).sandboxes) delete s;
  projectWorkOf(inst).projects.clear();
  projectWorkOf(inst).sandboxes.clear();
  projectWorkOf(inst).project = nullptr;
  for (auto& list : optionsOf(inst).project) list = nullptr;
}

int handleOfProject(VcInstance&, VcProject* p) { return p ? p->handle : 0; }

int selectProject(VcInstance& inst, int handle) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return rc;
  projectWorkOf(inst).project = p;
  optionsOf(inst).project[0] = &p->policies;
  optionsOf(inst).project[1] = &p->file.options;
  optionsOf(inst).project[2] = p->throughSandbox ? &p->sandbox.options : nullptr;
  return 0;
}

std::optional<std::string> currentProjectPath(VcInstance& inst) {
  if (!projectWorkOf(inst).project) return std::nullopt;
  return projectWorkOf(inst).project->path;
}

struct InstallHooks {
  InstallHooks() {
    projectHandleHooks().handleOf = handleOfProject;
    projectHandleHooks().select = selectProject;
    securityScopeSources().projectPath = currentProjectPath;
    setProjectKeywordSource(currentProjectKeywords);
  }
};
InstallHooks g_installHooks;
CleanupRegistration g_cleanup(&closeAllOf);

}  // namespace

VcProjectWork& projectWorkOf(VcInstance& inst) { return instancePart<VcProjectWork>(inst); }

VcProject::~VcProject() {
  if (referenceCache >= 0) orv::sys::calls().close(referenceCache);
  if (!revisionCopy.path.empty() || revisionCopy.fd >= 0) removeTemp(nullptr, revisionCopy);
}

bool VcProject::frozen() const {
  for (const VcOptionList* list : {&file.options, &sandbox.options}) {
    const VcOption* o = list->find("frozen");
    if (o && !(o->flags & kOptNo)) return true;
  }
  return false;
}

bool currentProjectKeywords(VcInstance& inst, std::string& name, std::string& revision) {
  const VcProject* p = projectWorkOf(inst).project;
  if (!p) return false;
  name = namePart(p->path);
  revision = p->file.revision.value_or("");
  return true;
}

int lookupProject(VcInstance& inst, int handle, VcProject*& out) {
  for (VcProject* p : projectWorkOf(inst).projects)
    if (p->handle == handle) {
      out = p;
      return 0;
    }
  return err::kBadProjectHandle;
}

int lookupSandbox(VcInstance& inst, int handle, VcProject*& out) {
  for (VcProject* s : projectWorkOf(inst).sandboxes)
    if (s->handle == handle) {
      out = s;
      return 0;
    }
  return err::kBadSandboxHandle;
}

VcListSet projectLists(VcInstance& inst, VcProject& p) {
  VcListSet lists = currentLists(inst);
  lists.project[0] = &p.policies;
  lists.project[1] = &p.file.options;
  lists.project[2] = p.throughSandbox || p.isSandbox ? &p.sandbox.options : nullptr;
  return lists;
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcOpenProject(const char* projectFile, int flags, int* project, int keep) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return openProject(*inst, projectFile, nullptr, flags, project, keep, false);
  });
}

VC_API VcError vcOpenRevProject(const char* projectFile, const char* revision, int flags,
                                int* project, int keep) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!revision) {
      if (int rc = requirePermission(*inst, "openproject", err::kDenyOpenProject)) return rc;
      return fail(*inst, err::kBadArgument);
    }
    return openProject(*inst, projectFile, revision, flags, project, keep, false);
  });
}

VC_API VcError vcTempProject(const char* projectFile, int flags, int* project, int keep) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return openProject(*inst, projectFile, nullptr, flags, project, keep, true);
  });
}

VC_API VcError vcCloseProject(int project) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    VcProject* p = unlinkFrom(projectWorkOf(*inst).projects, project);
    if (!p) return fail(*inst, err::kBadProjectHandle);
    forgetCurrent(*inst, p);
    endComparisonsOf(*inst, *p);
    delete p;
    return 0;
  });
}

VC_API VcError vcOpenSandbox(const char* sandboxFile, int flags, int* sandbox, int keep) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return openSandbox(*inst, sandboxFile, flags, sandbox, keep);
  });
}

VC_API VcError vcCloseSandbox(int sandbox) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    VcProject* s = unlinkFrom(projectWorkOf(*inst).sandboxes, sandbox);
    if (!s) return fail(*inst, err::kBadSandboxHandle);
    delete s;
    return 0;
  });
}

}  // extern "C"
