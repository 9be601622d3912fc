// Start and stop of the library: kelInit and kelExit.
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"

extern "C" KEL_API kelResult kelInit(const char* name) {
  return kel::exportBarrier([&]() -> int {
    if (!name || !*name) return KEL_INVALID_ARGUMENT;
    kel::Database& db = kel::database();
    if (!db.initialised) {
      if (int rc = rookdb::start()) {
        kel::setExtraError(rc);
        return KEL_CANNOT_ACCESS;
      }
    }
    db.startName = name;
    db.initialised = true;
    return KEL_SUCCESS;
  });
}

extern "C" KEL_API kelResult kelExit(void) {
  return kel::exportBarrier([&]() -> int {
    kel::Database& db = kel::database();
    if (!db.initialised) return KEL_NOT_INITIALIZED;
    // A database still open is closed, so that no lock outlives the library's use.
    kel::closeDatabase();
    int rc = rookdb::stop();
    db.initialised = false;
    db.startName.clear();
    db.startName.shrink_to_fit();
    if (rc) {
      kel::setExtraError(rc);
      return KEL_CANNOT_ACCESS;
    }
    return KEL_SUCCESS;
  });
}
