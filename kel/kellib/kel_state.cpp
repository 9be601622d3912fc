// The process-wide state and the gates every call passes first.
#include "kel/kellib/kel_state.h"

namespace kel {

Database& database() {
  static Database db;
  return db;
}

void setExtraError(int code) { database().extraError = code; }

int requireInitialised() { return database().initialised ? KEL_SUCCESS : KEL_NOT_INITIALIZED; }

int requireOpen() {
  if (int rc = requireInitialised()) return rc;
  return database().isOpen() ? KEL_SUCCESS : KEL_NOT_OPEN;
}

int requireWritable() {
  if (int rc = requireOpen()) return rc;
  return database().readOnly ? KEL_READ_ONLY : KEL_SUCCESS;
}

void closeDatabase() {
  Database& db = database();
  db.store.reset();
  db.basePath.clear();
  db.readOnly = false;
  db.globalModule = ObjectRecord();
}

}  // namespace kel
