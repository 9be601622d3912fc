// Opening and closing the database: kelOpenDB and kelCloseDB.
//
// An update open that another process prevents (a maintenance lock, no write
// access to the file or its directory) opens the database read-only instead
// and answers 26; every change then answers 26 too.
#include "kel/kellib/database_path.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"

namespace {

int openDatabase(const char* path, bool readOnly) {
  kel::Database& db = kel::database();
  if (int rc = kel::requireInitialised()) return rc;
  if (!path || !*path) return KEL_INVALID_ARGUMENT;
  if (db.isOpen()) return KEL_ALREADY_OPEN;

  std::string base;
  if (int rc = kel::resolveDatabasePath(path, readOnly, base)) return rc;

  bool fellBack = false;
  std::unique_ptr<rookdb::Store> store;
  int rc = rookdb::Store::open(base, readOnly ? rookdb::Mode::ReadOnly : rookdb::Mode::Update, store);
  if (rc == rookdb::kNoUpdate) {
    fellBack = true;
    rc = rookdb::Store::open(base, rookdb::Mode::ReadOnly, store);
  }
  if (rc) {
    kel::setExtraError(rc);
    return KEL_CANNOT_ACCESS;
  }

  db.store = std::move(store);
  db.basePath = base;
  db.readOnly = readOnly || fellBack;
  std::string image;
  rc = db.store->find(rookdb::Selection::ofTypeUnder(KEL_GLOBAL_MODULE, 0), image);
  if (rc == rookdb::kOk) rc = kel::decodeStored(image, db.globalModule);
  if (rc) {
    // Without its global module the database is of no use: close it again,
    // so that a later open is not refused as "already open".
    kel::setExtraError(rc);
    kel::closeDatabase();
    return KEL_CANNOT_READ;
  }
  return fellBack ? KEL_READ_ONLY : KEL_SUCCESS;
}

}  // namespace

extern "C" KEL_API kelResult kelOpenDB(const char* path, int readOnly) {
  return kel::exportBarrier([&]() -> int { return openDatabase(path, readOnly != 0); });
}

extern "C" KEL_API kelResult kelCloseDB(void) {
  return kel::exportBarrier([&]() -> int {
    if (int rc = kel::requireOpen()) return rc;
    kel::closeDatabase();
    return KEL_SUCCESS;
  });
}
