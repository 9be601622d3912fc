// Share modes for files that several processes and machines open at once.
//
// A reader holds "deny-write" and the holder of a write lock "deny-read-write";
// a conflicting request fails at once, it never waits. The lock is not taken
// on the file itself (archives are read-only after commit and often belong to
// someone else) but on one byte of the directory's lock file `.vclock`, the
// byte chosen by a hash of the file's base name. The locks are open-file-
// description locks: closing some other descriptor of the same file in this
// process does not drop them, two handles in one process conflict as they do
// between processes, and because the lock is keyed by name it survives a
// replace-by-rename of the file it guards.
#pragma once

#include <cstdint>
#include <string>

namespace orv::fs {

enum class LockMode { DenyWrite, DenyReadWrite };

enum class LockStatus {
  Ok,
  Conflict,      // another holder's mode forbids ours
  NoLocking,     // the file system offers no locks (ENOLCK)
  CannotOpen,    // the lock file could not be opened or created
  TooManyFiles,  // out of descriptors
};

inline constexpr const char* kLockFileName = ".vclock";

// Byte offset in the lock file that stands for a base name (below 2^31).
std::uint32_t lockByteFor(const std::string& baseName);
// Path of the lock file that guards path: "<dir>/.vclock".
std::string lockFilePathFor(const std::string& path);

class ShareLock {
 public:
  ShareLock() = default;
  ~ShareLock() { release(); }
  ShareLock(ShareLock&& other) noexcept;
  ShareLock& operator=(ShareLock&& other) noexcept;
  ShareLock(const ShareLock&) = delete;
  ShareLock& operator=(const ShareLock&) = delete;

  // Takes the share mode for path. On failure *this holds nothing; errnoOut
  // (when given) receives the system error behind the status.
  LockStatus acquire(const std::string& path, LockMode mode, int* errnoOut = nullptr);
  // Changes the mode of a held lock (reader to writer and back) without
  // letting go of it; a refused change keeps the old mode.
  LockStatus change(LockMode mode, int* errnoOut = nullptr);
  void release();

  bool held() const { return fd_ >= 0; }
  LockMode mode() const { return mode_; }

 private:
  int fd_ = -1;
  bool writable_ = false;
  std::uint32_t byte_ = 0;
  LockMode mode_ = LockMode::DenyWrite;
};

}  // namespace orv::fs
