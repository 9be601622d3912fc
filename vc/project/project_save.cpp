// Saving projects and sandboxes and the project file locks: vcSaveProject,
// vcSaveSandbox, vcProjectWriteLock, vcProjectSharedLock and
// vcDropProjectWriteLock.
//
// A save writes a temporary file beside the old one and renames it over it, so
// readers see the old file or the new one, never a mix, and the old file is
// never deleted first. The identity of the file read (or last saved) is the
// change test: a lock or save that finds the file replaced by someone else
// answers VC_E_FILE_CHANGED instead of overwriting what it never read. After
// our own save the new identity is recorded, so our next lock does not mistake
// our own save for someone else's. The pending transaction-log entries go to
// the ".trn" file only after the save succeeded.
#include "vc/project/project_handles.h"

#include "vc/archive/share_lock_codes.h"
#include "vc/project/project_uses.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/config/user_name.h"
#include "vc/security/permissions.h"

namespace vc {
namespace {

using orv::fs::LockMode;
using orv::fs::LockStatus;

// The change test of a file we read: it is still the one we read (or, for a
// file we are creating, still absent).
bool changedSinceRead(bool existed, const orv::fs::FileIdentity& id, const std::string& path) {
  if (!existed) return orv::fs::readIdentity(path).valid;
  return orv::fs::fileChanged(id, path);
}

// Holds the deny-read-write lock on path for the length of a save. The
// record's own lock stands for it when the record locks that file: a write
// lock as it is, a shared lock raised for the save and lowered after.
struct SaveLock {
  orv::fs::ShareLock lock;
  orv::fs::ShareLock* raised = nullptr;
  ~SaveLock() {
    if (raised) raised->change(LockMode::DenyWrite);
  }
  int take(VcInstance& inst, const std::string& path, VcProject* own) {
    int e = 0;
    LockStatus st = LockStatus::Ok;
    if (own && own->lockState == ProjectLock::Write) return 0;
    if (own && own->lockState == ProjectLock::Shared) {
      st = own->lock.change(LockMode::DenyReadWrite, &e);
      if (st == LockStatus::Ok) raised = &own->lock;
    } else {
      st = lock.acquire(path, LockMode::DenyReadWrite, &e);
    }
    return st == LockStatus::Ok ? 0 : fail(inst, lockStatusCode(st), e);
  }
};

int writeProjectPart(VcInstance& inst, VcProject& p) {
  SaveLock guard;
  if (int rc = guard.take(inst, p.path, &p)) return rc;
  if (changedSinceRead(p.existsOnDisk, p.identity, p.path)) return fail(inst, err::kFileChanged);
  if (int rc = writeProjectFile(inst, p.path, p.file)) return rc;
  p.identity = orv::fs::readIdentity(p.path);
  p.existsOnDisk = true;
  p.modified = false;
  p.optionsModified = false;
  return 0;
}

int writeRevisionCopy(VcInstance& inst, VcProject& p) {
  if (!p.variant) return 0;
  if (int rc = writeProjectFile(inst, p.revisionCopy.path, p.file)) return rc;
  p.modified = false;
  p.optionsModified = false;
  return 0;
}

int writeSandboxPart(VcInstance& inst, VcProject& p, const std::string& path,
                     orv::fs::FileIdentity& id) {
  SaveLock guard;
  if (int rc = guard.take(inst, path, p.isSandbox ? &p : nullptr)) return rc;
  if (changedSinceRead(p.existsOnDisk || !p.isSandbox, id, path)) return fail(inst, err::kFileChanged);
  if (int rc = writeSandboxFile(inst, path, p.sandbox)) return rc;
  id = orv::fs::readIdentity(path);
  if (p.isSandbox) p.existsOnDisk = true;
  p.sandboxModified = false;
  return 0;
}

int saveSandboxRecord(VcInstance& inst, int handle) {
  VcProject* s = nullptr;
  if (int rc = lookupSandbox(inst, handle, s)) return fail(inst, rc);
  if (!s->openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (int rc = requirePermission(inst, "modifysandbox", err::kDenyModifySandbox)) return rc;
  return writeSandboxPart(inst, *s, s->path, s->identity);
}

// Takes (write) or changes to (shared) the lock on the project file, then
// the change test under it, so nobody can slip a save in between.
int changeProjectLock(VcInstance& inst, int handle, ProjectLock want) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (want == p->lockState) return 0;
  if (want == ProjectLock::None) {
    p->lock.release();
    p->lockState = ProjectLock::None;
    return 0;
  }
  const LockMode mode = want == ProjectLock::Write ? LockMode::DenyReadWrite : LockMode::DenyWrite;
  const bool wasHeld = p->lock.held();
  const LockMode before = p->lock.mode();
  int e = 0;
  const LockStatus st = wasHeld ? p->lock.change(mode, &e) : p->lock.acquire(p->path, mode, &e);
  if (st != LockStatus::Ok) return fail(inst, lockStatusCode(st), e);
  if (changedSinceRead(p->existsOnDisk, p->identity, p->path)) {
    if (wasHeld)
      p->lock.change(before);
    else
      p->lock.release();
    return fail(inst, err::kFileChanged);
  }
  p->lockState = want;
  return 0;
}

}  // namespace

VcLogHeader logHeader(VcInstance& inst, const VcProject& p) {
  VcLogHeader h;
  h.projectPath = p.path;
  h.revision = p.file.revision;
  h.userName = currentUserName(inst);
  if (p.variant) h.variantSandbox = p.sandboxPath;
  return h;
}

void addLogEntry(VcProject& p, std::string text, std::optional<std::string> second) {
  if (!p.logEnabled) return;
  p.pending.push_back(VcLogEntry{std::move(text), std::move(second)});
}

int writePendingLog(VcInstance& inst, VcProject& p) {
  if (p.pending.empty()) return 0;
  if (int rc = appendProjectLog(inst, projectLogName(p.path), logHeader(inst, p), p.pending))
    return rc;
  p.pending.clear();
  return 0;
}

int saveProject(VcInstance& inst, VcProject& p) {
  const bool projectChanged = p.modified || p.optionsModified;
  if (projectChanged && !p.openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (p.sandboxModified)
    if (int rc = requirePermission(inst, "modifysandbox", err::kDenyModifySandbox)) return rc;
  // A project opened as a temporary one is never written back, nor is a
  // copy of a revision to its project file: a variant sandbox's changes go
  // to its private copy of the revision, which the caller checks in as the
  // project file's next revision.
  if (p.temporary) return 0;
  if (p.fromRevision) return projectChanged ? writeRevisionCopy(inst, p) : 0;
  if (projectChanged)
    if (int rc = writeProjectPart(inst, p)) return rc;
  if (p.sandboxModified && p.throughSandbox)
    if (int rc = writeSandboxPart(inst, p, p.sandboxPath, p.sandboxIdentity)) return rc;
  if (p.usesChanged)
    if (int rc = saveUses(inst, p)) return rc;
  return writePendingLog(inst, p);
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcSaveProject(int project) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadProjectHandle;
    VcProject* p = nullptr;
    if (int rc = lookupProject(*inst, project, p)) return fail(*inst, rc);
    return saveProject(*inst, *p);
  });
}

VC_API VcError vcSaveSandbox(int sandbox) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadSandboxHandle;
    return saveSandboxRecord(*inst, sandbox);
  });
}

VC_API VcError vcProjectWriteLock(int project) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadProjectHandle;
    return changeProjectLock(*inst, project, ProjectLock::Write);
  });
}

VC_API VcError vcProjectSharedLock(int project) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadProjectHandle;
    return changeProjectLock(*inst, project, ProjectLock::Shared);
  });
}

VC_API VcError vcDropProjectWriteLock(int project) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadProjectHandle;
    return changeProjectLock(*inst, project, ProjectLock::None);
  });
}

}  // extern "C"
