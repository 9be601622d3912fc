// kelCheckDatabasePath: follows a path through its redirectors and proves
// that the database at the end opens, without keeping it open.
#include "kel/kellib/caller_buffer.h"
#include "kel/kellib/database_path.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/redirector_file.h"

#include <memory>

extern "C" KEL_API kelResult kelCheckDatabasePath(const char* path, char* out, int length) {
  return kel::exportBarrier([&]() -> int {
    if (!path || !*path) return KEL_INVALID_ARGUMENT;
    std::string databaseFile;
    if (int rc = kel::followRedirectors(path, databaseFile)) return rc;
    std::unique_ptr<rookdb::Store> store;
    if (int rc = rookdb::Store::open(kel::databaseBase(databaseFile), rookdb::Mode::ReadOnly, store)) {
      kel::setExtraError(rc);
      return KEL_CANNOT_ACCESS;
    }
    store.reset();
    if (!out) return KEL_SUCCESS;
    return kel::copyToCaller(databaseFile, out, length);
  });
}
