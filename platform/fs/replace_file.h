// Replacing a file whole, so that a failure never loses the old contents.
//
// The new contents go to a temporary file in the same directory; commit()
// syncs it, renames it over the old file and syncs the directory. The old
// file is never deleted first. Until commit() succeeds the old file stays as
// it was; an abandoned writer removes its temporary file.
//
// The temporary file has no name while it is written where the file system
// allows (see temp_file.h): it is named ".<base>.<pid>.<n>~" only for the
// moment between its link and the rename, marked in use all the while, and
// begin() removes such names that writers killed in that moment left.
//
// Durability::NoSync leaves out both syncs: a crash still leaves the old or
// the new file (the replacement is atomic), but the new one may not have
// reached the disk. For files that can be made again, such as working files
// checked out of an archive. Over an existing regular file it swaps the two
// names in one step (where the system can) and then removes the old file:
// a rename over an existing file makes some file systems (ext4) start
// writing the new file out at once, the very cost NoSync leaves out. A crash
// between the swap and the removal can leave the old contents under the
// temporary name.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace orv::fs {

enum class Durability { Durable, NoSync };

class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter() { abandon(); }
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Starts writing a replacement of path. A new file gets newFileMode (less
  // the umask); an existing one keeps its permission bits and, where allowed,
  // its group. Returns 0 or an errno value.
  int begin(const std::string& path, mode_t newFileMode = 0666,
            Durability durability = Durability::Durable);
  // Appends data; returns 0 or an errno value (the writer then stays failed).
  int write(std::string_view data);
  // Makes the new contents the file's. Returns 0 or an errno value; on
  // failure the old file is untouched and the temporary file is gone.
  int commit();
  // Drops the temporary file; the old file stays.
  void abandon();

  // A path that reaches the temporary file (for an unnamed one, through
  // /proc/self/fd).
  const std::string& tempPath() const { return temp_; }

 private:
  int nameTemporary();
  // Puts the temporary file in the target's place; 0 or an errno value
  // (then the temporary file still holds the new contents).
  int putInPlace();

  std::string target_;
  std::string temp_;
  bool named_ = false;  // temp_ is a name in the directory
  int fd_ = -1;
  int error_ = 0;
  Durability durability_ = Durability::Durable;
  bool targetIsFile_ = false;  // the target existed as a regular file at begin()
  bool targetExists_ = false;  // the target existed (under any kind) at begin()
};

// One-call form: replaces path with contents.
int replaceFileContents(const std::string& path, std::string_view contents,
                        mode_t newFileMode = 0666);

// Syncs the directory that holds path (after a rename into it).
int syncParentDirectory(const std::string& path);

}  // namespace orv::fs
