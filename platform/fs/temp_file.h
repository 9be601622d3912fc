// Creating files under names that nobody else may have taken.
//
// Every temporary file is created with O_CREAT|O_EXCL|O_CLOEXEC, so a name
// that exists (a file another process just made, a planted symbolic link) is
// never opened; the caller's name generator is asked again with the next
// counter. Files in the shared temporary directory hold plain text of
// archives and get mode 0600.
#pragma once

#include <functional>
#include <string>
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

}  // namespace orv::fs
