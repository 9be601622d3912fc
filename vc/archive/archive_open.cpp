// Opening archives (vcOpenArchive), the write lock and its drop and reopen,
// keeping an archive closed, and closing it.
//
// Share modes are locks on one byte of the directory's ".vclock" file (see
// platform/fs/share_lock.h): readers hold deny-write, the write-lock holder
// deny-read-write. The archive file itself is only ever opened read-only:
// commits replace it by rename, and the lock, being keyed by the name,
// guards the file across the swap.
//
// Creating an archive puts nothing on disk: the record reads an empty
// unnamed stand-in file until the first commit gives the archive its name,
// and the share lock on the name keeps other creators away meanwhile. A
// 0-byte file at the name (left by older versions killed before their first
// commit) counts as absent for a creating open and is replaced by the first
// commit. A writer's open also clears the temporary files that killed
// processes left in the directory.
#include "vc/archive/archive_events.h"
#include "vc/archive/archive_recognition.h"
#include "vc/archive/archive_handles.h"
#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "vc/files/temp_files.h"
#include "platform/fs/temp_file.h"
#include "platform/sys/system_calls.h"
#include "vc/instance/instance.h"
#include "vc/paths/name_parts.h"
#include "vc/paths/path_file_system.h"
#include "vc/config/user_name.h"
#include "vc/instance/seams.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/config/option_lookup.h"
#include "vc/archive/share_lock_codes.h"
#include "vc/config/option_state.h"
#include "vc/security/security_state.h"
#include "vc/archive/current_work.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace vc {
namespace {

using orv::fs::LockMode;
using orv::fs::LockStatus;

bool permitted(VcInstance& inst, const char* permission, VcArchive* a) {
  return archiveHooks().holdsPermission(inst, permission, a);
}

// A refusal by the security database: its code, with the security and extra
// errors cleared.
int refuse(VcInstance& inst, int code) {
  securityOf(inst).error = 0;
  inst.extraError = 0;
  return fail(inst, code);
}

int openFailure(VcInstance& inst, int e) {
  return fail(inst, e == EMFILE || e == ENFILE ? err::kTooManyFiles : err::kCannotOpenArchive, e);
}

// Whether the file open on fd is empty (a creating open takes it for absent).
bool emptyFile(int fd) {
  struct stat st {};
  return orv::sys::calls().fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

// The stand-in a created archive reads until its first commit: an empty
// unnamed file in the archive's directory, so that it has the mode and
// group a file created there would have. -1 with errno set on failure.
int openStandIn(const std::string& path) {
  const std::string dir = directoryPart(path);
  int fd = orv::fs::openUnnamed(dir, 0666);
  if (fd >= 0 || !orv::fs::unnamedUnsupported(errno)) return fd;
  // No unnamed files here: a name of this process, unlinked at once.
  char pid[8];
  std::snprintf(pid, sizeof pid, "%04x", seams().processId() & 0xffffu);
  const std::string head = dir + "/" + kArchiveTempPrefix + pid + ".";
  orv::fs::CreatedFile f =
      orv::fs::createUnique([&](unsigned n) { return head + std::to_string(1000 + n); }, 9000, 0666);
  if (f.fd < 0) return -1;
  orv::sys::calls().unlink(f.path.c_str());
  return f.fd;
}

// Opens the file with its share mode: the lock first, then the file, so the
// file that is opened is the one the lock guards. A missing (or empty) file
// is, when asked, created: *created tells so, and fd is then the stand-in.
int openShared(VcInstance& inst, const std::string& path, bool writeLock, unsigned openMode,
               orv::fs::ShareLock& lock, int& fd, bool& created) {
  created = false;
  int e = 0;
  LockStatus st = lock.acquire(path, writeLock ? LockMode::DenyReadWrite : LockMode::DenyWrite, &e);
  if (st != LockStatus::Ok) return fail(inst, lockStatusCode(st), e);
  if (writeLock) removeStaleTemps(directoryPart(path));
  auto& ops = orv::sys::calls();
  fd = ops.open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (openMode & kOpenCreate) {
    bool absent = fd < 0 && errno == ENOENT;
    if (fd >= 0 && emptyFile(fd)) {
      ops.close(fd);
      fd = -1;
      absent = true;
    }
    if (absent) {
      fd = openStandIn(path);
      if (fd >= 0) {
        created = true;
        inst.flags |= kInstCreatedFile;
      }
    }
  }
  if (fd < 0) {
    const int saved = errno;
    lock.release();
    return openFailure(inst, saved);
  }
  return 0;
}

std::uint8_t compressionOption(VcInstance& inst) {
  if (!optionBool(inst, "compress", false)) return 0;
  int bits = std::atoi(optionString(inst, "compress", "15").c_str());
  if (bits == 0) return 0;
  return static_cast<std::uint8_t>(bits < 9 || bits > 15 ? 15 : bits);
}

bool onAccessList(VcInstance& inst, const VcArchive& a) {
  if (a.file.access.empty()) return true;
  const std::string user = currentUserName(inst);
  for (const std::string& n : a.file.access) {
    if (n.size() != user.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < n.size() && same; ++i) {
      unsigned char x = static_cast<unsigned char>(n[i]), y = static_cast<unsigned char>(user[i]);
      if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
      if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
      same = x == y;
    }
    if (same) return true;
  }
  return false;
}

// The open bits of a vcOpenArchive mode; false for a mode there is not.
bool openBitsOf(int mode, unsigned& bits) {
  switch (mode) {
    case VC_ARCHIVE_OPEN_READ: bits = kOpenRead; return true;
    case VC_ARCHIVE_OPEN_WRITE:
    case VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE: bits = kOpenRead | kOpenWrite; return true;
    case VC_ARCHIVE_OPEN_CREATE:
    case VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE:
    case VC_ARCHIVE_OPEN_READ | VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE:
      bits = kOpenRead | kOpenWrite | kOpenCreate;
      return true;
    default: return false;
  }
}

// The security database's say, before any file is touched: creating a
// missing archive, or opening and modifying an existing one.
int checkOpenPermissions(VcInstance& inst, const std::string& path, unsigned bits, bool forHandle) {
  struct stat st {};
  bool exists = orv::sys::calls().stat(path.c_str(), &st) == 0;
  if ((bits & kOpenCreate) && exists && S_ISREG(st.st_mode) && st.st_size == 0) exists = false;
  if ((bits & kOpenCreate) && !exists) {
    if (!permitted(inst, "createarchive", nullptr)) return refuse(inst, err::kDenyCreateArchive);
    return 0;
  }
  if (forHandle && !permitted(inst, "openarchive", nullptr)) return refuse(inst, err::kDenyOpenArchive);
  if ((bits & kOpenWrite) && !permitted(inst, "modifyarchive", nullptr))
    return refuse(inst, err::kDenyModifyArchive);
  return 0;
}

// Reads up to size bytes from the start of fd; *readError receives the
// errno of a failed read (0 when the file merely ended).
std::size_t readLead(int fd, unsigned char* lead, std::size_t size, int& readError) {
  std::size_t have = 0;
  readError = 0;
  while (have < size) {
    const ssize_t got = orv::sys::calls().pread(fd, lead + have, size - have, static_cast<off_t>(have));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) readError = errno;
    if (got <= 0) break;
    have += static_cast<std::size_t>(got);
  }
  return have;
}

// Sets up a record for an archive this open has just created: nothing to
// read, options from the configuration.
void startNewArchive(VcInstance& inst, VcArchive& a) {
  a.file.readState = vc::archive::ReadState::All;
  a.file.source = a.fileSource.get();
  if (optionBool(inst, "strictlocks", false)) a.file.flags |= vc::archive::kFlagStrict;
  a.file.compression = compressionOption(inst);
}

// Tells the archive's form from its first bytes: 0, the "encrypted" code
// (the archive opens, but its texts need the password) or the code that
// refuses the file.
int recogniseForm(VcInstance& inst, VcArchive& a, bool created) {
  unsigned char lead[kRecognitionBytes] = {};
  int readError = 0;
  const std::size_t have = readLead(a.fd, lead, sizeof lead, readError);
  if (have == 0) {
    if (readError) return err::kNotVersionFile;
    if (created) {
      startNewArchive(inst, a);
      return 0;
    }
    // Empty, or not readable although it opened.
    struct stat fst {};
    const bool statOk = orv::sys::calls().fstat(a.fd, &fst) == 0;
    return !statOk || fst.st_size == 0 ? err::kNotVersionFile : err::kArchiveInaccessible;
  }
  if (have < sizeof lead) return err::kNotVersionFile;
  const Recognition r = recogniseArchiveFile(a.fd, lead);
  if (r.code == 0 || r.code == err::kEncryptedFile) {
    a.file.compression = r.compression;
    if (r.encrypted) a.file.flags |= vc::archive::kFlagEncrypted;
  }
  return r.code;
}

// The change-test identity and the permission bits of the opened file;
// 0 or the errno of the failure.
int takeIdentity(VcArchive& a) {
  unsigned mode = 0;
  a.identity = orv::fs::identityOf(a.fd, &mode);
  if (!a.identity.valid) return errno;
  a.fileMode = mode & 07777;
  // The reader then asks no more of the file than it holds, without a stat of its own.
  if (S_ISREG(mode) && a.fileSource) a.fileSource->setKnownSize(static_cast<std::uint64_t>(a.identity.size));
  return 0;
}

// Registers the opened archive and makes it the instance's current one.
int registerOpened(VcInstance& inst, std::unique_ptr<VcArchive> a, int& handle) {
  if (registerArchive(a.get()) != 0) {
    closeArchive(inst, a.release());
    return fail(inst, err::kTooManyFiles);
  }
  handle = a->handle;
  archiveWorkOf(inst).archive = a.release();
  optionsOf(inst).archive = &archiveWorkOf(inst).archive->options;
  return 0;
}

}  // namespace

int openArchive(VcInstance& inst, const char* name, int* handle, int mode) {
  if (handle) *handle = 0;
  if (!name) return fail(inst, err::kBadArgument);
  unsigned bits = 0;
  if (!openBitsOf(mode, bits)) return fail(inst, err::kBadArgument);
  const bool writeLock = mode != VC_ARCHIVE_OPEN_READ;

  std::string path;
  if (int rc = absoluteLibraryName(inst, name, path)) return fail(inst, rc);
  if (int rc = checkOpenPermissions(inst, path, bits, handle != nullptr)) return rc;
  if (bits & kOpenCreate) {
    if (int e = makeDirectoriesFor(path)) return fail(inst, err::kCannotCreateArchiveDir, e);
  }

  auto a = std::make_unique<VcArchive>();
  bool created = false;
  if (int rc = openShared(inst, path, writeLock, bits, a->shareLock, a->fd, created)) return rc;
  a->owner = &inst;
  a->path = path;
  a->openMode = bits;
  a->writeLock = writeLock ? 1 : 0;
  a->modeOverride = 07644;
  a->fileSource = std::make_unique<vc::archive::FdSource>(a->fd);
  if (created) a->file.flags |= vc::archive::kFlagCreated;

  const int code = recogniseForm(inst, *a, created);
  if (code != 0 && code != err::kEncryptedFile) {
    closeArchive(inst, a.release());
    return fail(inst, code);
  }
  if (int e = takeIdentity(*a)) {
    closeArchive(inst, a.release());
    return fail(inst, err::kCannotOpenArchive, e);
  }
  if (!handle) {
    closeArchive(inst, a.release());
  } else if (int rc = registerOpened(inst, std::move(a), *handle)) {
    return rc;
  }
  return code ? fail(inst, code) : 0;
}

int changeWriteLock(VcInstance& inst, int handle, int requested) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  const bool keptClosed = (a->file.flags & vc::archive::kFlagKeepClosed) != 0;
  if (requested == a->writeLock) return 0;
  if (requested == 2 &&
      (a->writeLock == 1 || a->file.compression || (a->file.flags & vc::archive::kFlagEncrypted)))
    return 0;

  if (requested == 1 || (requested == 2 && (a->openMode & kOpenWrite))) {
    if (!permitted(inst, "modifyarchive", a)) return refuse(inst, err::kDenyModifyArchive);
  }
  if (!permitted(inst, "openarchive", a)) return refuse(inst, err::kDenyOpenArchive);
  a->openMode &= ~kOpenCreate;

  if (requested == 1 && a->file.readState != vc::archive::ReadState::Nothing && !onAccessList(inst, *a))
    return fail(inst, err::kNotOnAccessList);

  if (requested == 0) {
    a->writeLock = 0;
    a->openMode &= ~kOpenWrite;
    if (keptClosed) {
      a->shareLock.release();
      return 0;
    }
  }

  // The new share mode first, then the change test under it, so nobody can
  // slip a commit in between.
  const bool wasHeld = a->shareLock.held();
  const LockMode before = a->shareLock.mode();
  const LockMode want = requested == 1 ? LockMode::DenyReadWrite : LockMode::DenyWrite;
  int e = 0;
  LockStatus st = wasHeld ? a->shareLock.change(want, &e) : a->shareLock.acquire(a->path, want, &e);
  if (st != LockStatus::Ok) return fail(inst, lockStatusCode(st), e);

  // An archive created by this handle is on disk only from its first commit.
  const bool notYetOnDisk = (a->file.flags & vc::archive::kFlagCreated) != 0;
  if (!notYetOnDisk && orv::fs::fileChanged(a->identity, a->path)) {
    if (!wasHeld)
      a->shareLock.release();
    else if (requested == 1)
      a->shareLock.change(before);
    return fail(inst, err::kFileChanged);
  }
  if (requested == 1) {
    a->writeLock = 1;
    a->openMode |= kOpenWrite;
    removeStaleTemps(directoryPart(a->path));
  } else {
    a->writeLock = 0;
  }
  if (requested != 0) a->file.flags &= static_cast<std::uint8_t>(~vc::archive::kFlagKeepClosed);
  return 0;
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcOpenArchive(const char* archiveName, int* archive, int mode) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return openArchive(*inst, archiveName, archive, mode);
  });
}

VC_API VcError vcCloseArchive(int archive) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    VcArchive* a = nullptr;
    if (int rc = lookupArchive(*inst, archive, a)) return fail(*inst, rc);
    closeArchive(*inst, a);
    return 0;
  });
}

VC_API VcError vcWriteLock(int archive) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? changeWriteLock(*inst, archive, 1) : err::kBadCaller;
  });
}

VC_API VcError vcDropWriteLock(int archive) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? changeWriteLock(*inst, archive, 0) : err::kBadCaller;
  });
}

VC_API VcError vcReOpenArchive(int archive) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    return inst ? changeWriteLock(*inst, archive, 2) : err::kBadCaller;
  });
}

// Reads everything, then lets go of the share lock: the archive stays
// readable through the descriptor kept on the contents it had (or its plain
// copy), and others may change the file meanwhile; the next write lock
// notices that with VC_E_FILE_CHANGED.
VC_API VcError vcKeepClosed(int archive) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    VcArchive* a = nullptr;
    if (int rc = lookupArchive(*inst, archive, a)) return fail(*inst, rc);
    a->file.flags |= vc::archive::kFlagKeepClosed;
    if (int rc = readArchiveTexts(*inst, *a, nullptr)) return rc;
    a->writeLock = 0;
    a->openMode = kOpenRead;
    a->shareLock.release();
    return 0;
  });
}

}  // extern "C"
