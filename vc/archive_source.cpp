// Where the reader finds an archive's plain text: the archive file itself,
// or for a compressed archive a plain copy in the temporary directory that
// the whole compressed stream is inflated into before the first read (read
// to its end, so the gzip CRC and length are checked). Encrypted archives
// need their cipher, which vcSetPassword supplies; until one is set their
// header reads answer 21.
#include "archive_events.h"
#include "archive_reader.h"
#include "archive_record.h"
#include "compression_status.h"
#include "error_codes.h"
#include "file_utils.h"
#include "fs/fs_ops.h"
#include "instance.h"
#include "libc/orv/decompressor.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace vc {
namespace {

std::string reference(int id) { return std::to_string(id) + "##"; }

int makePlainCopy(VcInstance& inst, VcArchive& a) {
  TempFile copy;
  const std::string dir = directoryPart(a.path);
  if (int rc = createTempInTempDir(&inst, dir.c_str(), kArchiveTempPrefix, copy)) return rc;

  off_t at = 0;
  const int fd = a.fd;
  orv::Decompressor dec;
  auto input = [&at, fd](std::uint8_t* buf, std::size_t n) -> std::ptrdiff_t {
    for (;;) {
      ssize_t got = ::pread(fd, buf, n, at);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      at += got;
      return got;
    }
  };
  int rc = 0;
  if (!dec.start(input)) {
    rc = err::kDecompressError;
  } else {
    std::uint8_t buf[2048];
    for (;;) {
      std::ptrdiff_t got = dec.read(buf, sizeof buf);
      if (got == 0) break;
      if (got < 0) {
        rc = err::kDecompressError;
        break;
      }
      if (!orv::fs::writeAll(copy.fd, buf, static_cast<std::size_t>(got))) {
        inst.extraError = errno;
        rc = err::kTempWrite;
        break;
      }
    }
  }
  if (rc == err::kDecompressError) {
    CompressionStatus& cs = compressionStatus();
    cs.decompressError = reference(static_cast<int>(dec.lastError()));
    cs.decompressFileBits = dec.declaredBits();
  }
  dec.end();
  if (rc) {
    removeTemp(&inst, copy);
    return rc;
  }
  removeTemp(nullptr, a.plainCopy);
  a.plainCopy = copy;
  a.plainSource = std::make_unique<orv::archive::FdSource>(copy.fd);
  return 0;
}

// Gives the model a source of plain text.
int ensurePlainSource(VcInstance& inst, VcArchive& a) {
  if (a.file.source) return 0;
  if (a.file.flags & orv::archive::kFlagEncrypted) return err::kIncorrectPassword;
  if (a.file.compression) {
    if (int rc = makePlainCopy(inst, a)) return rc;
    a.file.source = a.plainSource.get();
    return 0;
  }
  a.file.source = a.fileSource.get();
  return 0;
}

}  // namespace

int readArchiveHeader(VcInstance& inst, VcArchive& a, bool quick, std::string_view target) {
  if (a.file.read_state != orv::archive::ReadState::Nothing && !(a.file.quick_header && !quick))
    return 0;
  if (int rc = ensurePlainSource(inst, a)) return fail(inst, rc);
  orv::archive::ReadOptions opts;
  opts.quick = quick;
  opts.target = target;
  opts.for_write = (a.openMode & kOpenWrite) != 0;
  const std::string user = archiveUser(inst);
  opts.user = user;
  opts.security_admits = [&inst, &a](const std::vector<std::string>& objects) {
    return archiveHooks().securityAdmits(inst, a, objects);
  };
  if (int rc = orv::archive::read_header(a.file, opts)) return fail(inst, rc);
  return 0;
}

int readArchiveTexts(VcInstance& inst, VcArchive& a, orv::archive::DeltaRecord* wanted) {
  if (a.file.read_state == orv::archive::ReadState::Nothing || a.file.quick_header) {
    std::string keep = wanted ? wanted->revision : std::string();
    if (int rc = readArchiveHeader(inst, a)) return rc;
    if (wanted) {
      wanted = a.file.lookup(keep);
      if (!wanted) return fail(inst, err::kDeltaCorrupt);
    }
  }
  if (int rc = orv::archive::read_texts(a.file, wanted)) return fail(inst, rc);
  return 0;
}

}  // namespace vc
