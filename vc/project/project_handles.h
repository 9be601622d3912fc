// Open projects and sandboxes: the record behind a project or sandbox handle
// and the internal calls that the project exports share.
//
// A project record holds the project file as read (members and its own
// options), for a project reached through a sandbox file that sandbox's
// options, the pending transaction-log entries and the project file's
// identity at the last read or save, which the locks and the save compare
// with the file on disk to notice another writer. A sandbox record (opened
// with vcOpenSandbox) holds only the sandbox file's options. Handles come
// from two process-wide counters and are never reused; the records sit in
// the instance's lists (VcProjectWork::projects and ::sandboxes in
// project/project_work.h).
#pragma once

#include "vc/files/temp_files.h"
#include "vc/include/vc.h"
#include "vc/instance/instance.h"
#include "vc/project/project_file.h"
#include "vc/project/project_log.h"
#include "platform/fs/file_identity.h"
#include "platform/fs/share_lock.h"

#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vc {

struct VcInstance;
class VcUsesGraph;

// Open flags of the project and sandbox opens.
inline constexpr int kProjectModify = VC_PROJECT_OPEN_MODIFY;  // this and kProjectWrite: for modification
inline constexpr int kProjectWrite = VC_PROJECT_OPEN_WRITE;
inline constexpr int kProjectCreate = VC_PROJECT_OPEN_CREATE;  // create when missing
inline constexpr int kProjectRevisionOnly = VC_PROJECT_OPEN_REVISION;  // open a revision read-only
// The sandbox opens take the same bits.
static_assert(VC_SANDBOX_OPEN_MODIFY == kProjectModify && VC_SANDBOX_OPEN_WRITE == kProjectWrite &&
              VC_SANDBOX_OPEN_CREATE == kProjectCreate);

// Lock states of a project file.
enum class ProjectLock { None, Shared, Write };

struct VcProject {
  VcProject() = default;
  VcProject(const VcProject&) = delete;
  VcProject& operator=(const VcProject&) = delete;
  ~VcProject();

  VcInstance* owner = nullptr;
  int handle = 0;
  bool isSandbox = false;     // a sandbox record of vcOpenSandbox
  int openFlags = 0;
  int keptFlag = 0;           // the fourth argument of the opens

  // The project (or, for a sandbox record, the sandbox) file: absolute path.
  std::string path;
  VcProjectFile file;         // members and the project's own options
  orv::fs::FileIdentity identity;  // of path at the last read or save
  bool existsOnDisk = true;   // false for a project created and not yet saved

  // The policies of the project's security objects (first of the lists).
  VcOptionList policies;

  // A project reached through a sandbox file.
  bool throughSandbox = false;
  bool variant = false;       // the sandbox names a revision
  std::string sandboxPath;
  VcSandboxFile sandbox;      // its options (the sandbox record's own list too)
  orv::fs::FileIdentity sandboxIdentity;

  // A project opened from a revision of the project file: the checked-out
  // copy (deleted at close); path stays the working file's name.
  bool fromRevision = false;
  bool temporary = false;     // vcTempProject: never written back
  TempFile revisionCopy;

  bool modified = false;          // members or header to be written
  bool optionsModified = false;   // the project's options changed
  bool sandboxModified = false;   // the sandbox part changed
  bool logEnabled = true;
  bool usesChanged = false;       // the use dependencies changed since the last save
  bool usesCache = true;          // the ".use" file is written at the save
  std::unique_ptr<VcUsesGraph> uses;  // the dependency graph; null after vcDoneUses
  // From the open until the graph is first needed: the graph is not made,
  // and the cache's text as the open read it waits here to be read into it.
  bool usesPending = false;
  std::string pendingUses;
  std::vector<VcLogEntry> pending;  // oldest first

  // The member the member calls act on, and where the member walk stands;
  // list iterators stay valid while other members come and go.
  std::optional<std::list<VcMember>::iterator> currentMember;
  std::optional<std::list<VcMember>::iterator> walkCursor;

  // The master's dependency cache that reference copies are appended to;
  // -1 while it is not open.
  int referenceCache = -1;

  orv::fs::ShareLock lock;
  ProjectLock lockState = ProjectLock::None;

  bool openForWrite() const { return (openFlags & (kProjectModify | kProjectWrite)) != 0; }
  bool frozen() const;
  // The option list a change through this record goes to.
  VcOptionList& changeTarget() { return throughSandbox || isSandbox ? sandbox.options : file.options; }
};

// The record of a project handle (60) or sandbox handle (69) of inst.
int lookupProject(VcInstance& inst, int handle, VcProject*& out);
int lookupSandbox(VcInstance& inst, int handle, VcProject*& out);

// The lists lookups walk for this project: the instance's current lists with
// the project's three lists in place.
VcListSet projectLists(VcInstance& inst, VcProject& p);

// Writes what changed of the project (project file, sandbox file) through
// temporary files renamed over the old ones, then appends the pending log
// entries. 0 or the failure; the record stays marked as changed on failure.
int saveProject(VcInstance& inst, VcProject& p);

// Appends the pending entries to the project's ".trn" file and forgets them.
int writePendingLog(VcInstance& inst, VcProject& p);

// The header of the project's log records.
VcLogHeader logHeader(VcInstance& inst, const VcProject& p);

// The name (the project file's name without directory) and the revision of
// the instance's current project, for the ProjectName and ProjectRevision
// keywords; false without a current project.
bool currentProjectKeywords(VcInstance& inst, std::string& name, std::string& revision);

// Runs an export's body on the calling process's instance; without one the
// answer is `noInstance`.
template <class Body>
int withInstance(int noInstance, Body&& body) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? body(*inst) : noInstance;
  });
}

// Adds a log entry when the project's log is on.
void addLogEntry(VcProject& p, std::string text, std::optional<std::string> second);

}  // namespace vc
