// The status of a member's working file and archive, kept as bits of the
// member's flags: vcMemberWorkChanges and vcMemberWorkUpdate (the working
// file against the state its node recorded), vcMemberNewRevision,
// vcMemberRevChanges and vcMemberRevUpdate (the member revision against the
// revision recorded with the node), vcMemberArchiveChanges and
// vcMemberAnyArchiveChanges (the archive and its revision tree).
//
// A working file whose size and time (whole seconds) are those recorded is
// taken as unchanged without reading it; only a change of either makes the
// byte sum worth reading.
#include "vc/project/project_members.h"

#include "vc/archive/archive_handles.h"
#include "vc/project/project_uses.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/revisions/revision_numbers.h"
#include "vc/revisions/revision_tree.h"
#include "vc/project/project_work.h"

#include <vector>

namespace vc {
namespace {

// Member status bits.
constexpr std::uint32_t kSumDiffers = VC_MEMBER_STATUS_SUM_DIFFERS;
constexpr std::uint32_t kSizeDiffers = VC_MEMBER_STATUS_SIZE_DIFFERS;
constexpr std::uint32_t kTimeDiffers = VC_MEMBER_STATUS_TIME_DIFFERS;
constexpr std::uint32_t kWorkMissing = VC_MEMBER_STATUS_WORK_MISSING;
constexpr std::uint32_t kWorkUnreadable = VC_MEMBER_STATUS_WORK_UNREADABLE;
constexpr std::uint32_t kWorkBits = VC_MEMBER_STATUS_WORK_BITS;
constexpr std::uint32_t kArchiveUnopened = VC_MEMBER_STATUS_ARCHIVE_UNOPENED;
constexpr std::uint32_t kArchiveUnreadable = VC_MEMBER_STATUS_ARCHIVE_UNREADABLE;
constexpr std::uint32_t kRevisionMissing = VC_MEMBER_STATUS_REVISION_MISSING;
constexpr std::uint32_t kNewerRevision = VC_MEMBER_STATUS_NEWER_REVISION;
constexpr std::uint32_t kRevisionLocked = VC_MEMBER_STATUS_REVISION_LOCKED;
constexpr std::uint32_t kArchiveEncrypted = VC_MEMBER_STATUS_ENCRYPTED;
constexpr std::uint32_t kArchiveInaccessible = VC_MEMBER_STATUS_INACCESSIBLE;
constexpr std::uint32_t kNotOnAccessList = VC_MEMBER_STATUS_NOT_ON_ACCESS_LIST;
constexpr std::uint32_t kOpenRefused = VC_MEMBER_STATUS_OPEN_REFUSED;
constexpr std::uint32_t kArchiveBits = VC_MEMBER_STATUS_ARCHIVE_BITS;

// The project and member of a member call.
int lookupMember(VcInstance& inst, int handle, const char* member, VcProject*& p, MemberIt& it) {
  if (int rc = lookupProject(inst, handle, p)) return rc;
  return findMember(inst, *p, member, it);
}

int workChanges(VcInstance& inst, int handle, const char* member, const char* workDir) {
  VcProject* p = nullptr;
  MemberIt it;
  if (int rc = lookupMember(inst, handle, member, p, it)) return fail(inst, rc);
  VcMember& m = *it;
  VcUsesNode& node = *memberNode(inst, *p, m);
  m.flags &= ~kWorkBits;
  const std::string work = workMemberName(inst, *p, m, workDir);
  const FileFacts seen = fileFacts(work, false);
  if (seen.statError) {
    m.flags |= kWorkMissing;
    return inst.lastError = 0;
  }
  if (seen.size == node.recordedSize && seen.time == node.recordedTime) {
    node.currentSize = node.recordedSize;
    node.currentTime = node.recordedTime;
    node.currentSum = node.recordedSum;
    return inst.lastError = 0;
  }
  node.currentSize = seen.size;
  node.currentTime = seen.time;
  const FileFacts read = fileFacts(work, true);
  if (read.statError || read.readError) {
    m.flags |= kWorkUnreadable;
    inst.extraError = read.readError ? read.readError : read.statError;
  } else {
    node.currentSum = read.sum;
    if (read.sum != node.recordedSum) m.flags |= kSumDiffers;
  }
  if (node.currentSize != node.recordedSize) m.flags |= kSizeDiffers;
  if (node.currentTime != node.recordedTime) m.flags |= kTimeDiffers;
  return inst.lastError = 0;
}

int workUpdate(VcInstance& inst, int handle, const char* member) {
  VcProject* p = nullptr;
  MemberIt it;
  if (int rc = lookupMember(inst, handle, member, p, it)) return fail(inst, rc);
  VcMember& m = *it;
  settleUses(inst, *p);
  if (!m.node) return fail(inst, err::kDone);
  VcUsesNode& node = *m.node;
  node.recordedSize = node.currentSize;
  node.recordedSum = node.currentSum;
  node.recordedTime = node.currentTime;
  if (m.flags & kWorkBits) p->usesChanged = true;
  m.flags &= ~kWorkBits;
  return inst.lastError = 0;
}

int newRevision(VcInstance& inst, int handle, const char* member, const char* revision) {
  VcProject* p = nullptr;
  MemberIt it;
  if (int rc = lookupMember(inst, handle, member, p, it)) return fail(inst, rc);
  VcUsesNode& node = *memberNode(inst, *p, *it);
  std::optional<std::string> now;
  if (revision && *revision) now = revision;
  if (node.revision != now) p->usesChanged = true;  // the cache must keep it
  node.revision = std::move(now);
  return inst.lastError = 0;
}

int revChanges(VcInstance& inst, int handle, const char* member) {
  VcProject* p = nullptr;
  MemberIt it;
  if (int rc = lookupMember(inst, handle, member, p, it)) return fail(inst, rc);
  VcMember& m = *it;
  const VcUsesNode& node = *memberNode(inst, *p, m);
  m.flags &= ~kMemberRevisionDiffers;
  if (node.revision.value_or("") != m.revision.value_or("")) m.flags |= kMemberRevisionDiffers;
  return inst.lastError = 0;
}

int revUpdate(VcInstance& inst, int handle, const char* member) {
  VcProject* p = nullptr;
  MemberIt it;
  if (int rc = lookupMember(inst, handle, member, p, it)) return fail(inst, rc);
  VcMember& m = *it;
  settleUses(inst, *p);
  if (!m.node) return fail(inst, err::kDone);
  m.node->revision = m.revision;
  if (m.flags & kMemberRevisionDiffers) p->usesChanged = true;
  m.flags &= ~kMemberRevisionDiffers;
  return inst.lastError = 0;
}

// The archive bit of an open failure.
std::uint32_t openFailureBit(int rc) {
  switch (rc) {
    case err::kEncryptedFile: return kArchiveEncrypted;
    case err::kArchiveInaccessible: return kArchiveInaccessible;
    case err::kNotVersionFile: return kArchiveUnreadable;
    case err::kDenyOpenArchive: return kOpenRefused;
    default: return kArchiveUnopened;
  }
}

// Reads an open archive and compares the member revision with its tree.
// 0, or the read failure (its bit set).
int compareWithArchive(VcInstance& inst, VcProject& p, VcMember& m, int handle) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  const int read = readArchiveHeader(inst, *a);
  if (read == err::kNotOnAccessList) {
    m.flags |= kNotOnAccessList;
  } else if (read) {
    m.flags |= kArchiveUnreadable;
    return fail(inst, read);
  }
  if (!m.revision || m.revision->empty()) return 0;
  vc::archive::ArchiveFile& file = a->file;
  std::string number;
  if (expandRevisionName(file, *m.revision, number) != 0) number = *m.revision;
  const vc::archive::DeltaRecord* at = file.lookup(number);
  if (!at) {
    m.flags |= kRevisionMissing;
    return 0;
  }
  if (revFields(number.c_str()) < 3) {
    if (!p.variant && file.head && file.head->revision != number) {
      m.flags |= kNewerRevision;
      m.newerRevision = file.head->revision;
    }
  } else {
    const vc::archive::DeltaRecord* last = at;
    while (last->next) last = last->next;  // a branch line runs forward along next
    if (last != at) {
      m.flags |= kNewerRevision;
      m.newerRevision = last->revision;
    }
  }
  for (const vc::archive::Lock& lock : file.locks)
    if (lock.revision == number) {
      m.flags |= kRevisionLocked;
      m.locker = lock.user;
      break;
    }
  return 0;
}

int archiveChanges(VcInstance& inst, int handle, const char* member, int* archive, int mode) {
  VcProject* p = nullptr;
  MemberIt it;
  if (int rc = lookupMember(inst, handle, member, p, it)) return fail(inst, rc);
  VcMember& m = *it;
  m.flags &= ~kArchiveBits;
  m.newerRevision.clear();
  m.locker.clear();
  if (archive) *archive = 0;
  if (m.kind == 'f') return inst.lastError = 0;
  std::vector<char> name(kScratchSize);
  int opened = 0;
  const int rc = openMemberArchive(inst, *p, m, name.data(), static_cast<int>(name.size()), &opened, mode);
  if (rc) {
    if (opened) vcCloseArchive(opened);
    if ((m.kind == 'i' || m.kind == 's') && !m.revision) return inst.lastError = 0;
    m.flags |= openFailureBit(rc);
    return fail(inst, rc);
  }
  const int compared = compareWithArchive(inst, *p, m, opened);
  if (archive && !compared)
    *archive = opened;
  else
    vcCloseArchive(opened);
  return compared ? fail(inst, compared) : (inst.lastError = 0);
}

int anyArchiveChanges(VcInstance& inst, int archive) {
  VcProject* p = projectWorkOf(inst).project;
  if (!p) return fail(inst, err::kBadProjectHandle);
  if (!p->currentMember) return fail(inst, err::kNotMember);
  VcMember& m = **p->currentMember;
  m.flags &= ~kArchiveBits;
  m.newerRevision.clear();
  m.locker.clear();
  const int rc = compareWithArchive(inst, *p, m, archive);
  return rc ? fail(inst, rc) : (inst.lastError = 0);
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcMemberWorkChanges(int project, const char* member, const char* workDir) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return workChanges(i, project, member, workDir); });
}

VC_API VcError vcMemberWorkUpdate(int project, const char* member) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return workUpdate(i, project, member); });
}

VC_API VcError vcMemberNewRevision(int project, const char* member, const char* workDir,
                                   const char* revision) {
  (void)workDir;
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return newRevision(i, project, member, revision); });
}

VC_API VcError vcMemberRevChanges(int project, const char* member, const char* workDir) {
  (void)workDir;
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return revChanges(i, project, member); });
}

VC_API VcError vcMemberRevUpdate(int project, const char* member) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return revUpdate(i, project, member); });
}

VC_API VcError vcMemberArchiveChanges(int project, const char* member, int* archive, int mode) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return archiveChanges(i, project, member, archive, mode); });
}

VC_API VcError vcMemberAnyArchiveChanges(int archive) {
  return withInstance(err::kBadCaller, [&](VcInstance& i) { return anyArchiveChanges(i, archive); });
}

}  // extern "C"
