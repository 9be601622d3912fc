// The operating-system calls of rookdb, in one place, so that a test can make
// each of them fail (see fault_seam.h) and the store code stays free of
// descriptor and errno handling. Every call returns 0 or an errno value.
#pragma once

#include <string>

namespace rookdb::os {

// Opens (creating when asked) a lock companion; sets created when this call
// made the file.
int openLockFile(const std::string& path, bool create, bool& created, int& fd);
void closeFd(int& fd);

// Non-blocking OFD lock on the first byte: shared or exclusive.
int lockShared(int fd);
int lockExclusive(int fd);

bool exists(const std::string& path);
// Whether this process may write the file and the directory it lies in.
bool writableWithDirectory(const std::string& path);

// Makes an empty file with a fresh name "<prefix><random>" (mode 0666 less
// the umask); the chosen name is returned in name.
int makeUniqueFile(const std::string& prefix, std::string& name);

// Moves from onto to, failing with EEXIST when to exists; syncs the directory.
int publish(const std::string& from, const std::string& to);

void removeQuietly(const std::string& path);

}  // namespace rookdb::os
