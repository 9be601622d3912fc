// Where the reader finds an archive's plain text: the archive file itself,
// or for a compressed or encrypted archive a plain copy in the temporary
// directory (created 0600 under an exclusive new name) that the whole file
// is inflated and deciphered into before the first read (read to its end,
// so the gzip CRC and length are checked). Encrypted archives need their
// cipher, which vcSetPassword supplies; until one is set their header reads
// answer 21.
#include "vc/archive/archive_events.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/archive_handles.h"
#include "vc/archive/compression_status.h"
#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "vc/paths/name_parts.h"
#include "platform/sys/system_calls.h"
#include "vc/instance/instance.h"
#include "vc/config/user_name.h"
#include "libc/orv/decompressor.h"

#include <cerrno>
#include <span>
#include <string>

namespace vc {
namespace {

std::string reference(int id) { return std::to_string(id) + "##"; }

// The plain copy: the file inflated when compressed, then, when encrypted,
// the bytes after the "#!encrypt" line deciphered with the cipher reset.
int makePlainCopy(VcInstance& inst, VcArchive& a) {
  TempFile copy;
  const std::string dir = directoryPart(a.path);
  if (int rc = createTempInTempDir(&inst, dir.c_str(), kArchiveTempPrefix, copy)) return rc;

  // Read either through the decompressor or directly, never both.
  orv::ByteReader input = orv::fileByteReader(a.fd);
  orv::Decompressor dec;
  const bool compressed = a.file.compression != 0;
  int rc = 0;
  if (compressed && !dec.start(input)) rc = err::kDecompressError;

  orv::RotorCipher* cipher = (a.file.flags & vc::archive::kFlagEncrypted) ? a.cipher.get() : nullptr;
  if (cipher) cipher->reset();
  std::size_t lead = 0;  // bytes of the "#!encrypt" line seen so far
  static constexpr char kLine[] = "#!encrypt\n";
  constexpr std::size_t kLineLength = sizeof kLine - 1;

  std::uint8_t buf[2048];
  while (rc == 0) {
    std::ptrdiff_t got = compressed ? dec.read(buf, sizeof buf) : input(buf, sizeof buf);
    if (got == 0) break;
    if (got < 0) {
      rc = compressed ? err::kDecompressError : err::kArchiveRead;
      if (!compressed) inst.extraError = errno;
      break;
    }
    std::uint8_t* p = buf;
    std::size_t n = static_cast<std::size_t>(got);
    if (cipher) {
      while (n > 0 && lead < kLineLength) {
        if (*p != static_cast<std::uint8_t>(kLine[lead])) {
          rc = err::kIncorrectPassword;
          break;
        }
        ++p, --n, ++lead;
      }
      if (rc) break;
      cipher->apply(std::span<std::uint8_t>(p, n));
    }
    if (!orv::sys::writeAll(copy.fd, p, n)) {
      inst.extraError = errno;
      rc = err::kTempWrite;
      break;
    }
  }
  if (rc == err::kDecompressError) {
    CompressionStatus& cs = compressionStatus();
    cs.decompressError = reference(static_cast<int>(dec.lastError()));
    cs.decompressFileBits = dec.declaredBits();
  }
  if (compressed) dec.end();
  if (rc) {
    removeTemp(&inst, copy);
    return rc;
  }
  removeTemp(nullptr, a.plainCopy);
  a.plainCopy = copy;
  a.plainSource = std::make_unique<vc::archive::FdSource>(copy.fd);
  return 0;
}

// Gives the model a source of plain text.
int ensurePlainSource(VcInstance& inst, VcArchive& a) {
  if (a.file.source) return 0;
  const bool encrypted = (a.file.flags & vc::archive::kFlagEncrypted) != 0;
  if (encrypted && !a.cipher) return err::kIncorrectPassword;
  if (a.file.compression || encrypted) {
    if (int rc = makePlainCopy(inst, a)) return rc;
    a.file.source = a.plainSource.get();
    return 0;
  }
  a.file.source = a.fileSource.get();
  return 0;
}

}  // namespace

int readArchiveHeader(VcInstance& inst, VcArchive& a, bool quick, std::string_view target) {
  if (a.file.readState != vc::archive::ReadState::Nothing && !(a.file.quickHeader && !quick))
    return 0;
  if (int rc = ensurePlainSource(inst, a)) return fail(inst, rc);
  vc::archive::ReadOptions opts;
  opts.quick = quick;
  opts.target = target;
  opts.forWrite = (a.openMode & kOpenWrite) != 0;
  // An archive opened only for reading is not written by this handle unless
  // it takes the write lock later; that commit then rewrites every text.
  opts.checkCanonical = opts.forWrite;
  const std::string user = currentUserName(inst);
  opts.user = user;
  opts.securityAdmits = [&inst, &a](const std::vector<std::string>& objects) {
    return archiveHooks().securityAdmits(inst, a, objects);
  };
  if (int rc = vc::archive::readHeader(a.file, opts)) return fail(inst, rc);
  return 0;
}

void resetArchiveReader(VcArchive& a) {
  a.file.reset();
  a.file.source = nullptr;
  a.plainSource.reset();
  removeTemp(nullptr, a.plainCopy);
  a.cursors.reset();
}

int readArchiveTexts(VcInstance& inst, VcArchive& a, vc::archive::DeltaRecord* wanted) {
  if (a.file.readState == vc::archive::ReadState::Nothing || a.file.quickHeader) {
    std::string keep = wanted ? wanted->revision : std::string();
    if (int rc = readArchiveHeader(inst, a)) return rc;
    if (wanted) {
      wanted = a.file.lookup(keep);
      if (!wanted) return fail(inst, err::kDeltaCorrupt);
    }
  }
  if (int rc = vc::archive::readTexts(a.file, wanted)) return fail(inst, rc);
  return 0;
}

}  // namespace vc
