// Commit: the whole archive is written into a new file in its own directory,
// checked when the option `checkwrite` asks for it, and swapped in by rename
// so that the archive's name always holds a complete archive.
//
// The new file has no name while it is written and synced (see
// vc/files/temp_files.h); a process killed meanwhile leaves nothing. The
// swap: the new file is linked under a temporary name (or, for an archive
// not yet on disk, straight under the archive's name), a hard link keeps the
// old archive under a backup name, the new file is renamed over the archive
// (atomic), the directory is synced and the backup removed. Both temporary
// names are marked in use, so a process killed during the swap leaves only
// names that the next writer in the directory clears. Where the file system
// has no hard links the old archive is renamed to the backup name first,
// and a failure of the second rename puts it back. The write lock (a lock
// on the name in the directory's lock file) is held throughout, and the
// descriptor the record reads through is opened on the new file before the
// swap, so the record never lacks a stream.
#include "vc/archive/archive_events.h"
#include "vc/archive/archive_handles.h"
#include "vc/archive/format/archive_writer.h"
#include "vc/archive/compression_status.h"
#include "vc/archive/format/crc16.h"
#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "vc/paths/name_parts.h"
#include "platform/sys/system_calls.h"
#include "platform/fs/replace_file.h"
#include "platform/fs/temp_file.h"
#include "vc/instance/instance.h"
#include "libc/orv/gzip_writer.h"
#include "vc/archive/operation_log.h"
#include "vc/config/option_lookup.h"
#include "vc/paths/path_codes.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

namespace vc {
namespace {

using vc::archive::ByteSink;
using orv::sys::calls;

constexpr int kAttempts = 5;

// The commit file, written through the platform's write call.
class FileSink final : public ByteSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}
  int write(const void* buf, size_t len) override {
    return orv::sys::writeAll(fd_, buf, len) ? 0 : err::kTempWrite;
  }

 private:
  int fd_;
};

// Plain bytes into the compressor, whose output goes on to `next`.
class GzipSink final : public ByteSink {
 public:
  explicit GzipSink(ByteSink& next) : next_(next) {}
  int start(int bits, std::uint32_t mtime) {
    bool ok = gz_.start([this](const std::uint8_t* d, std::size_t n) { return next_.write(d, n) == 0; },
                        bits, orv::GzipWriter::kArchiveLevel, mtime);
    return ok ? 0 : failed();
  }
  int write(const void* buf, size_t len) override {
    return gz_.write(static_cast<const std::uint8_t*>(buf), len) ? 0 : failed();
  }
  int finish() { return gz_.finish() ? 0 : failed(); }
  ~GzipSink() override { gz_.end(); }

 private:
  int failed() {
    compressionStatus().compressError = std::to_string(static_cast<int>(gz_.lastError())) + "##";
    return err::kCompressError;
  }
  ByteSink& next_;
  orv::GzipWriter gz_;
};

// Enciphers bytes on their way to `next`; the cipher starts from its
// starting state.
class CipherSink final : public ByteSink {
 public:
  CipherSink(orv::RotorCipher& cipher, ByteSink& next) : cipher_(cipher), next_(next) { cipher_.reset(); }
  int write(const void* buf, size_t len) override {
    const auto* p = static_cast<const std::uint8_t*>(buf);
    std::uint8_t chunk[2048];
    while (len > 0) {
      const std::size_t n = len < sizeof chunk ? len : sizeof chunk;
      std::memcpy(chunk, p, n);
      cipher_.apply(std::span<std::uint8_t>(chunk, n));
      if (int rc = next_.write(chunk, n)) return rc;
      p += n;
      len -= n;
    }
    return 0;
  }

 private:
  orv::RotorCipher& cipher_;
  ByteSink& next_;
};

constexpr char kEncryptLine[] = "#!encrypt\n";

// Every plain byte also into the new plain copy.
class TeeSink final : public ByteSink {
 public:
  TeeSink(ByteSink& copy, ByteSink& next) : copy_(copy), next_(next) {}
  int write(const void* buf, size_t len) override {
    if (copy_.write(buf, len)) return err::kTempWrite;
    return next_.write(buf, len);
  }

 private:
  ByteSink& copy_;
  ByteSink& next_;
};

struct Attempt {
  TempFile commit;     // the new archive file
  TempFile plain;      // its plain text, for compressed archives
  vc::archive::WriteResult result;
  std::uint16_t crc = 0;
  std::uint64_t count = 0;
};

void discard(VcInstance& inst, Attempt& at) {
  removeTemp(&inst, at.commit);
  removeTemp(&inst, at.plain);
}

// Writes one commit file and closes it.
int writeCommitFile(VcInstance& inst, VcArchive& a, const std::string& dir, Attempt& at) {
  if (int rc = createUnnamedBeside(&inst, dir, at.commit)) return rc;
  FileSink file(at.commit.fd);
  vc::archive::ChecksumSink disk(file);
  vc::archive::WriteOptions opts;
  opts.century = optionBool(inst, "century", false);

  // plain text -> plain copy -> cipher -> compressor -> checksum -> file
  int rc = 0;
  const bool encrypted = (a.file.flags & vc::archive::kFlagEncrypted) != 0;
  if (encrypted && !a.cipher) return err::kIncorrectPassword;
  if (a.file.compression || encrypted) {
    if ((rc = createTempInTempDir(&inst, dir.c_str(), kArchiveTempPrefix, at.plain))) return rc;
    FileSink plainFile(at.plain.fd);
    std::optional<GzipSink> gz;
    ByteSink* below = &disk;
    if (a.file.compression) {
      gz.emplace(disk);
      rc = gz->start(a.file.compression, static_cast<std::uint32_t>(a.identity.mtimeSec));
      below = &*gz;
    }
    std::optional<CipherSink> cipher;
    ByteSink* enciphered = below;
    if (!rc && encrypted) {
      rc = below->write(kEncryptLine, sizeof kEncryptLine - 1);
      cipher.emplace(*a.cipher, *below);
      enciphered = &*cipher;
    }
    TeeSink tee(plainFile, *enciphered);
    if (!rc) rc = vc::archive::writeArchive(a.file, tee, opts, at.result);
    if (!rc && gz) rc = gz->finish();
  } else {
    rc = vc::archive::writeArchive(a.file, disk, opts, at.result);
  }
  if (rc) return rc;
  at.crc = disk.crc();
  at.count = disk.count();
  // The descriptor stays open: an unnamed file lives by it until the swap.
  if (calls().fsync(at.commit.fd) != 0) {
    inst.extraError = errno;
    return err::kArchiveWrite;
  }
  return 0;
}

// Reads the commit file back: 0 when it matches what was written, 1 when it
// does not, or a code.
int verifyCommitFile(VcInstance& inst, const Attempt& at) {
  struct stat st {};
  if (calls().stat(at.commit.path.c_str(), &st) != 0) return fail(inst, err::kCommitTempMissing, errno);
  if (static_cast<std::uint64_t>(st.st_size) != at.count) return 1;
  int fd = calls().open(at.commit.path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return fail(inst, err::kCannotOpenTemp, errno);
  std::uint16_t crc = 0;
  char buf[2048];
  int rc = 0;
  for (;;) {
    ssize_t got = calls().read(fd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      rc = fail(inst, err::kTempRead, errno);
      break;
    }
    if (got == 0) break;
    crc = vc::archive::crc16Update(crc, buf, static_cast<std::size_t>(got));
  }
  calls().close(fd);
  if (rc) return rc;
  return crc == at.crc ? 0 : 1;
}

bool exists(const std::string& path) {
  struct stat st {};
  return calls().lstat(path.c_str(), &st) == 0;
}

bool noHardLinks(int e) {
  return e == EPERM || e == EXDEV || e == ENOTSUP || e == EOPNOTSUPP || e == ENOSYS || e == EMLINK;
}

// Swaps the commit file in; backup receives the name the old archive was
// kept under (removed by the caller after the commit event), empty when
// there was none.
int swapIn(VcInstance& inst, const VcArchive& a, const std::string& dir, TempFile& commit, std::string& backup) {
  backup.clear();
  if (!commit.named) {
    // An archive not on disk yet takes its name at once.
    if (!exists(a.path)) {
      const int e = orv::fs::linkDescriptor(commit.fd, a.path);
      if (e == 0) {
        commit.path.clear();
        orv::fs::syncParentDirectory(a.path);
        return 0;
      }
      if (e != EEXIST) return fail(inst, err::kRenameFailed, e);
    }
    if (int rc = nameTempBeside(&inst, dir, kArchiveTempPrefix, commit)) return rc;
  }
  const std::string& commitPath = commit.path;
  if (!exists(a.path)) {
    if (calls().rename(commitPath.c_str(), a.path.c_str()) != 0) return fail(inst, err::kRenameFailed, errno);
    orv::fs::syncParentDirectory(a.path);
    return 0;
  }

  TempFile b;
  if (int rc = createTempBeside(&inst, dir, kArchiveTempPrefix, b)) return rc;
  backup = b.path;
  calls().close(b.fd);
  calls().unlink(backup.c_str());
  // The backup name holds the old archive: marked in use through the
  // record's descriptor on it, so no other process takes it for a leftover.
  orv::fs::markInUse(a.fd);

  const char* archive = a.path.c_str();
  if (calls().link(archive, backup.c_str()) == 0) {
    if (calls().rename(commitPath.c_str(), archive) != 0) {
      const int e = errno;
      if (!exists(a.path)) calls().rename(backup.c_str(), archive);
      calls().unlink(backup.c_str());
      backup.clear();
      return fail(inst, err::kRenameFailed, e);
    }
  } else {
    const int e = errno;
    backup.clear();
    if (!noHardLinks(e)) return fail(inst, err::kRenameFailed, e);
    if (calls().rename(archive, b.path.c_str()) != 0) return fail(inst, err::kRenameFailed, errno);
    if (calls().rename(commitPath.c_str(), archive) != 0) {
      const int e2 = errno;
      calls().rename(b.path.c_str(), archive);
      return fail(inst, err::kRenameFailed, e2);
    }
    backup = b.path;
  }
  commit.path.clear();  // it is the archive now
  orv::fs::syncParentDirectory(a.path);
  return 0;
}

// Writes the commit file, up to kAttempts times while `checkwrite` finds
// the file read back differs from what was written. On success at holds the
// closed commit file; on failure nothing is left behind.
int writeCheckedCommitFile(VcInstance& inst, VcArchive& a, const std::string& dir, Attempt& at) {
  const bool checkwrite = optionBool(inst, "checkwrite", false);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    at = Attempt{};
    if (int rc = writeCommitFile(inst, a, dir, at)) {
      discard(inst, at);
      return fail(inst, rc);
    }
    if (!checkwrite) return 0;
    const int v = verifyCommitFile(inst, at);
    if (v == 0) return 0;
    discard(inst, at);
    if (v != 1) return v;
  }
  return fail(inst, err::kCommitFailed);
}

// Gives the commit file the old archive's bits and group; read-only when
// `writeprotect` is on (the default). A refused chmod or chown does not stop
// the commit: the contents are what matters. Returns the mode asked for.
mode_t passOnPermissions(VcInstance& inst, const VcArchive& a, const std::string& commitPath) {
  mode_t mode = a.fileMode & 0777;
  if (optionBool(inst, "writeprotect", true)) mode &= static_cast<mode_t>(~0222);
  calls().chmod(commitPath.c_str(), mode);
  struct stat old {};
  if (calls().fstat(a.fd, &old) == 0 &&
      calls().chown(commitPath.c_str(), static_cast<uid_t>(-1), old.st_gid) != 0) {
    // Only the owner or a member of the group may pass the group on.
  }
  return mode;
}

// Points the record at the new archive: its descriptor, the plain copy the
// commit wrote (compressed or encrypted archives) and the written layout.
void readFromNewArchive(VcInstance& inst, VcArchive& a, Attempt& at, int newFd, mode_t mode) {
  calls().close(a.fd);
  a.fd = newFd;
  a.fileSource = std::make_unique<vc::archive::FdSource>(newFd);
  vc::archive::ByteSource* source = a.fileSource.get();
  std::unique_ptr<vc::archive::FdSource> oldPlainSource = std::move(a.plainSource);
  TempFile oldPlain = a.plainCopy;
  a.plainCopy = TempFile{};
  if (at.plain.fd >= 0) {
    a.plainCopy = at.plain;
    at.plain = TempFile{};
    a.plainSource = std::make_unique<vc::archive::FdSource>(a.plainCopy.fd);
    source = a.plainSource.get();
  }
  vc::archive::adoptWritten(a.file, at.result, source);
  // Nothing reads the old plain copy any more.
  oldPlainSource.reset();
  removeTemp(&inst, oldPlain);
  a.identity = orv::fs::identityOf(newFd);
  a.fileMode = mode;
}

// An archive that stays open after its commit: the operation log, the share
// mode it is kept in, and no stale cursors or texts file.
void stayOpenAfterCommit(VcInstance& inst, VcArchive& a) {
  writeOperationLog(inst, a);
  a.openMode &= ~kOpenCreate;
  if (a.file.flags & vc::archive::kFlagKeepClosed) {
    a.writeLock = 0;
    a.openMode = kOpenRead;
    a.shareLock.release();
  }
  a.cursors.reset();
  if (!a.textsFile.empty()) {
    forceRemove(a.textsFile);
    a.textsFile.clear();
  }
}

}  // namespace

int commitArchive(VcInstance& inst, VcArchive& a, bool close) {
  if (a.writeLock != 1) return fail(inst, err::kNotOpenForWrite);
  inst.lastError = 0;
  if (a.file.readState == vc::archive::ReadState::Nothing || a.file.quickHeader) {
    if (int rc = readArchiveHeader(inst, a)) return rc;
  }
  if (a.path.size() >= vc::path_code::kMaxAbsoluteName) return fail(inst, err::kInternalBufferExceeded);
  const std::string dir = directoryPart(a.path);

  Attempt at;
  if (int rc = writeCheckedCommitFile(inst, a, dir, at)) return rc;
  const mode_t mode = passOnPermissions(inst, a, at.commit.path);

  // The descriptor on the new file is opened before the swap, so the record
  // never lacks a stream.
  const int newFd = calls().open(at.commit.path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (newFd < 0) {
    const int e = errno;
    discard(inst, at);
    return fail(inst, err::kCannotOpenTemp, e);
  }
  std::string backup;
  if (int rc = swapIn(inst, a, dir, at.commit, backup)) {
    calls().close(newFd);
    discard(inst, at);
    return rc;
  }
  at.commit.path.clear();  // it is the archive now

  archiveHooks().runEvent(inst, &a, "commit", nullptr);
  if (!backup.empty()) calls().unlink(backup.c_str());
  removeTemp(&inst, at.commit);  // closes it; nothing left to unlink
  a.file.flags &= static_cast<std::uint8_t>(~(vc::archive::kFlagCreated | vc::archive::kFlagModified));
  readFromNewArchive(inst, a, at, newFd, mode);

  if (close) {
    closeArchive(inst, &a);
    return 0;
  }
  stayOpenAfterCommit(inst, a);
  return 0;
}

}  // namespace vc

using namespace vc;

extern "C" VC_API VcError vcCommitArchive(int archive, int close) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    VcArchive* a = nullptr;
    if (int rc = lookupArchive(*inst, archive, a)) return fail(*inst, rc);
    return commitArchive(*inst, *a, close != 0);
  });
}
