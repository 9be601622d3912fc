// Creating files under names that nobody else may have taken.
//
// Every temporary file is created with O_CREAT|O_EXCL|O_CLOEXEC, so a name
// that exists (a file another process just made, a planted symbolic link) is
// never opened; the caller's name generator is asked again with the next
// counter. Files in the shared temporary directory hold plain text of
// archives and get mode 0600.
//
// Where the file system allows it a file is better made without a name at
// all (O_TMPFILE): a process killed while writing it leaves nothing behind.
// Such a file gets its name at the end (linkat through /proc/self/fd). A
// named temporary file carries its maker's process id in its name and, while
// it is in use, an open-file-description read lock over the whole file; the
// files of processes that are gone are removed by removeStaleFiles.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace orv::fs {

struct CreatedFile {
  int fd = -1;        // open for reading and writing; -1 on failure
  std::string path;   // the name that was created
  int error = 0;      // errno of the last failed attempt
};

// Tries nameFor(0), nameFor(1), ... up to maxTries names; an empty name from
// the generator ends the search. Only EEXIST moves on to the next name; any
// other failure stops at once.
CreatedFile createUnique(const std::function<std::string(unsigned counter)>& nameFor,
                         unsigned maxTries, mode_t mode);

// The temporary directories to try, in order: $TMPDIR, $TMP, $TEMP, /tmp
// (unset or empty variables are skipped).
std::vector<std::string> temporaryDirectories();

// Opens an unnamed file in dir for reading and writing (mode less the
// umask). -1 with errno set on failure; unnamedUnsupported(errno) tells a
// file system without such files from a real failure.
int openUnnamed(const std::string& dir, mode_t mode);
bool unnamedUnsupported(int e);
// A path that opens the file fd is open on, named or not ("/proc/self/fd/N").
std::string descriptorPath(int fd);
// Gives the unnamed (or unlinked) file open on fd the name path, which must
// not exist. 0 or an errno value.
int linkDescriptor(int fd, const std::string& path);

// Marks the file open on fd as in use (a read lock of the descriptor's open
// file description over the whole file; it goes with the last descriptor
// of that description, so also with the process). 0 or an errno value.
int markInUse(int fd);

// Who made a temporary file, read from its name: false when the name is
// not one of the caller's temporary names. pidMask is the part of the
// process id the name keeps (0xffff for four hex digits).
struct TempOwner {
  unsigned pid = 0;
  unsigned pidMask = 0xffffu;
};
using TempNameParser = std::function<bool(std::string_view name, TempOwner& owner)>;

// Whether the temporary file at path may be removed: a regular file nobody
// holds marked in use, whose maker (by the name's process id) is not a
// process of this machine that is alive. Anything doubtful is kept.
bool abandonedTempFile(const std::string& path, const TempOwner& owner);
// Removes from dir the abandoned temporary files whose names the parser
// accepts. Returns how many were removed.
int removeStaleFiles(const std::string& dir, const TempNameParser& parse);

}  // namespace orv::fs
