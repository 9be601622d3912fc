// The change test: what a file looked like when we last read or wrote it.
// Device, inode, size and the modification time to the nanosecond; the inode
// catches a rewrite by rename that keeps the size and the second. Identities
// are taken through a fresh open and fstat, which on NFS revalidates the
// attributes (close-to-open consistency).
#pragma once

#include <cstdint>
#include <string>

namespace orv::fs {

struct FileIdentity {
  bool valid = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtimeSec = 0;
  std::int64_t mtimeNsec = 0;

  bool operator==(const FileIdentity&) const = default;
};

// Identity of the file at path; an invalid identity (valid == false) when it
// cannot be opened, with errno set.
FileIdentity readIdentity(const std::string& path);
// Identity of an open descriptor; with mode, also its st_mode.
FileIdentity identityOf(int fd, unsigned* mode = nullptr);

// True when the file at path is no longer the one described by before
// (also when it vanished or was created since).
bool fileChanged(const FileIdentity& before, const std::string& path);

}  // namespace orv::fs
