// One open archive (VcArchive) and the library-wide table of 100 archive
// handles, with the internal calls that check-in, check-out, information
// items and projects use on an open archive:
//
//   VcArchive* a;  if (int rc = lookupArchive(inst, handle, a)) return rc;   // 7
//   readArchiveHeader(inst, *a) / readArchiveTexts(inst, *a, delta)
//   ... change the model, markDeltaChanged(*a, *delta) or markArchiveChanged(*a) ...
//   commitArchive(inst, *a, close)                                           // needs the write lock
//
// The record owns the archive file's descriptor, its share lock in the
// directory's lock file, the plain copy of a compressed archive and the
// model of the archive's contents.
#pragma once

#include "vc/archive/format/archive_model.h"
#include "vc/include/vc.h"
#include "vc/config/option_list.h"
#include "vc/archive/format/byte_stream.h"
#include "platform/fs/file_identity.h"
#include "platform/fs/share_lock.h"
#include "libc/orv/rotor_cipher.h"
#include "vc/files/temp_files.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vc {

struct VcInstance;

inline constexpr int kArchiveHandles = 100;

// Open mode bits.
inline constexpr unsigned kOpenRead = VC_ARCHIVE_OPEN_READ;
inline constexpr unsigned kOpenWrite = VC_ARCHIVE_OPEN_WRITE;
inline constexpr unsigned kOpenCreate = VC_ARCHIVE_OPEN_CREATE;

// Enumeration cursors of the archive information calls (list entry by entry).
struct ArchiveCursors {
  int access = 0;
  int securityObjects = 0;
  int symbols = 0;
  int locks = 0;
  void reset() { *this = ArchiveCursors{}; }
};

struct VcArchive {
  VcArchive() = default;
  VcArchive(const VcArchive&) = delete;
  VcArchive& operator=(const VcArchive&) = delete;
  ~VcArchive();

  VcInstance* owner = nullptr;
  int handle = 0;                      // 1..100 while registered, else 0
  vc::archive::ArchiveFile file;      // contents; file.flags carries the record's flag bits
  std::string path;                    // absolute, as opened

  // The archive file: a read-only descriptor of the file that was current
  // when it was opened or last committed. Replacing the file by rename keeps
  // this descriptor on the old contents, so the model never reads a mix.
  int fd = -1;
  std::unique_ptr<vc::archive::FdSource> fileSource;
  orv::fs::ShareLock shareLock;        // deny-write, or deny-read-write under the write lock
  std::uint8_t writeLock = 0;          // 0 none, 1 held
  unsigned openMode = 0;               // kOpenRead | kOpenWrite | kOpenCreate
  orv::fs::FileIdentity identity;      // taken at open and after each commit (the change test)
  std::uint32_t fileMode = 0;          // permission bits at open
  std::uint32_t modeOverride = 07644;  // reported mode of a file not yet committed

  // Plain text of a compressed or encrypted archive, in the temporary
  // directory (created 0600, removed with the record).
  TempFile plainCopy;
  std::unique_ptr<vc::archive::FdSource> plainSource;
  // The cipher of an encrypted archive, from vcSetPassword; null until then.
  std::unique_ptr<orv::RotorCipher> cipher;
  std::string displayPath;             // shown by Header and Source (VC_ARCHIVE_ITEM_SET_KEYWORD_PATH);
                                       // empty: path

  std::string textsFile;               // check-in's texts file, deleted after a commit
  std::vector<std::string> pendingLog; // operation-log lines not written yet
  ArchiveCursors cursors;
  VcOptionList options;                // policy lines of the archive's security objects
};

// The open archive behind a handle of the caller's instance: 0, or
// VC_E_BAD_ARCHIVE_HANDLE for a handle out of 1..100, free, or owned by another
// instance.
int lookupArchive(VcInstance& inst, int handle, VcArchive*& out);

// Opens an archive (the body of vcOpenArchive).
int openArchive(VcInstance& inst, const char* name, int* handle, int mode);
// Ends an archive record: writes its pending log lines, deletes a file that
// this open created and no commit kept, frees the handle and the record.
void closeArchive(VcInstance& inst, VcArchive* archive);

// Takes (1), drops (0) or reopens for reading (2) the write lock of an archive.
int changeWriteLock(VcInstance& inst, int handle, int requested);

// Reads the header (quick: for member queries, stopping at target) with the
// access checks of the open mode; makes the plain copy of a compressed
// archive first. 0 or a reader's code (also recorded as the last error).
int readArchiveHeader(VcInstance& inst, VcArchive& a, bool quick = false,
                      std::string_view target = {});
// Reads delta texts until wanted's are known (null: all).
int readArchiveTexts(VcInstance& inst, VcArchive& a, vc::archive::DeltaRecord* wanted);
// Forgets everything read and the plain copy, so that the next read starts
// from the file again (after a wrong password).
void resetArchiveReader(VcArchive& a);

// Writes the archive and swaps it in; see archive_commit.cpp.
int commitArchive(VcInstance& inst, VcArchive& a, bool close);

// Marks in-memory changes that the next commit must write.
void markDeltaChanged(VcArchive& a, vc::archive::DeltaRecord& d);
void markArchiveChanged(VcArchive& a);

// Puts a record into the first free entry of the table: 0, or
// VC_E_TOO_MANY_FILES when all 100 are taken.
int registerArchive(VcArchive* archive);

// The archive handle table (for modules that walk all open archives, such as
// the memory release). Entries may be null.
VcArchive* archiveInTable(int index);

}  // namespace vc
