// The few things the library asks of the system that a test must be able to
// fix: the process id (the instance table is keyed by it), the clock, the
// system's user name, the current directory and the program starter. Production code reads them
// only through seams(); tests replace an entry and call resetSeams() after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv::platform {
class Spawner;
}

namespace vc {

struct Seams {
  std::uint32_t (*processId)();
  std::int64_t (*now)();  // seconds since 1970-01-01 UTC
  // The system's name for the effective user into buf: 0, VC_E_BUFFER_TOO_SMALL
  // when len leaves room for fewer than 49 characters, VC_E_DONE when the
  // system gives no name.
  int (*systemUserName)(char* buf, std::size_t len);
  // The process's current directory; false when it cannot be determined.
  bool (*currentDirectory)(std::string& out);
  // Starts the programs of `exec` and reaps them; never null in real use (a
  // process-wide PosixSpawner). Tests put a RecordingSpawner here.
  orv::platform::Spawner* spawner;
};

Seams& seams();
void resetSeams();

// The default systemUserName: the account name of the effective user through
// the password database into buf: 0; VC_E_BUFFER_TOO_SMALL when len leaves
// room for fewer than 49 characters (a name needs 1 to 49); VC_E_DONE when
// there is no name (no account entry, or a longer name than fits).
int systemUserName(char* buf, std::size_t len);

}  // namespace vc
